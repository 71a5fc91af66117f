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

// A control that may draw less than its whole text (a path shortened to fit): assistive
// technology sees it in the given role and reads out readableText().
class AccessibleWholeText {
public:
    virtual ~AccessibleWholeText() = default;
    virtual QAccessible::Role accessibleRole() const = 0;
    virtual QString readableText() const = 0;
};

// One of the program's own windows, which assistive technology sees as a window frame.
class AccessibleWindow {
public:
    virtual ~AccessibleWindow() = default;
};

namespace Accessibility {

// Tells Qt's accessibility layer about Korvale's own controls: the windows are frames, a
// picture is a graphic (or, when it acts, what AccessiblePress says), and a control with
// AccessibleWholeText reads out its whole text. Calling it again does nothing more.
void install();

} // namespace Accessibility
