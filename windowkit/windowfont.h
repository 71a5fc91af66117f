#pragma once

#include <QFont>

// The windows' font, "MS Sans Serif". Where it is missing (everywhere but the old
// platform) a narrow sans serif of similar width stands in, so every caption still fits
// its control.
namespace WindowFont {

QFont make(qreal pointSize = 8.25, bool bold = false);

} // namespace WindowFont
