#pragma once

#include <QAccessible>

// A control that acts when pressed. Assistive technology sees it in the given role and
// may press it through the accessibility layer, which calls pressedByAssistiveTechnology().
class AccessiblePress {
public:
    virtual ~AccessiblePress() = default;
    virtual QAccessible::Role accessibleRole() const = 0;
    virtual void pressedByAssistiveTechnology() = 0;
};

namespace Accessibility {

// Tells Qt's accessibility layer about Korvale's own controls: the two windows are frames,
// a picture is a graphic (or, when it acts, what AccessiblePress says), and an
// ElidingLabel reads out its whole text. Calling it again does nothing more.
void install();

} // namespace Accessibility
