#pragma once

#include <QObject>

#include <functional>

class QWidget;

// Holds a window's input while a run goes on. The window still repaints, moves and
// answers the desktop, and the pointer still moves over it, but no click, key, wheel,
// drop or menu reaches its controls, so nothing the run has read can change under it and
// no second run can start. Escape asks the run to stop; the exit picture and the window's
// close control stay live. The busy pointer shows meanwhile.
class InputHold : public QObject {
public:
    InputHold(QWidget* window, QWidget* exitPicture, std::function<void()> onEscape);
    ~InputHold() override;
    InputHold(const InputHold&) = delete;
    InputHold& operator=(const InputHold&) = delete;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool isOwnControl(QObject* object) const;

    QWidget* m_window;
    QWidget* m_exitPicture;
    std::function<void()> m_onEscape;
};
