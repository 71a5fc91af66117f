#pragma once

#include <sys/resource.h>

// How many files a walk may hold open at once. The process's limit of open files is shared
// with everything else it does: while the walk lasts, the soft limit is raised as far as
// the hard one allows, and the walk takes what is left of it, less what is open already,
// less what the list file's write needs after the walk (its folder, the old file, the new
// file and a kept copy). The soft limit goes back afterwards, so that programs the window
// starts (a browser) get the limit they expect.
class OpenFileBudget {
public:
    OpenFileBudget();
    ~OpenFileBudget();
    OpenFileBudget(const OpenFileBudget&) = delete;
    OpenFileBudget& operator=(const OpenFileBudget&) = delete;

    // Never less than none.
    int descriptors() const { return m_descriptors; }

    static constexpr int kWriteReserve = 4;

    // Makes room in the process's table of descriptors for this many more than are open
    // now, at once. The kernel grows that table a doubling at a time as files are opened,
    // and where other threads share it, each time it waits until all of them have passed
    // a grace period (milliseconds), with every open of the process held up meanwhile.
    static void makeRoomFor(int more);

private:
    rlimit m_before{};
    bool m_raised = false;
    int m_descriptors = 0;
};
