#pragma once

// Where a list stands before anything moves it. A list a person sees starts in the
// process's current folder; one that stays hidden stands on no folder and reads nothing
// until a run or the stored options move it, since the current folder may be large and
// is rarely the one a run lists.
enum class ListStart { Nowhere, CurrentFolder };
