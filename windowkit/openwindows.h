#pragma once

#include <QList>
#include <QPointer>
#include <QWidget>

// The loaded windows in load order: the main window first, the info window after it
// while it is loaded. Leaving through the exit picture unloads them in this order.
class OpenWindows {
public:
    static OpenWindows& instance();

    void loaded(QWidget* window);
    void unloaded(QWidget* window);
    QList<QWidget*> windows() const;

private:
    QList<QPointer<QWidget>> m_windows;
};
