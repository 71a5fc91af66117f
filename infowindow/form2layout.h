#pragma once

#include "windowkit/controllayout.h"

#include <QList>

// The info window's controls and its designed client area, in twips.
namespace Form2Layout {

inline constexpr int kClientWidth = 5220;
inline constexpr int kClientHeight = 3990;

const QList<ControlLayout>& table();

} // namespace Form2Layout
