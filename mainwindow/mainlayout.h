#pragma once

#include "windowkit/controllayout.h"

// The main window's 25 controls. The rows run from back to front: the drawn elements
// (labels, pictures, lines) first, in the order they cover each other, then the window
// controls, which always lie in front of them; the panel's controls come after the
// result list they cover. The window creates its controls in this order. The working
// controls Dir1, File1 and List1 come last: never shown, they exist as models only.
namespace MainLayout {

constexpr int kClientWidth = 7785;
constexpr int kClientHeight = 5415;

const QList<ControlLayout>& table();

} // namespace MainLayout
