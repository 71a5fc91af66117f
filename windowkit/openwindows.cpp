#include "windowkit/openwindows.h"

OpenWindows& OpenWindows::instance()
{
    static OpenWindows windows;
    return windows;
}

void OpenWindows::loaded(QWidget* window)
{
    if (!windows().contains(window))
        m_windows.append(window);
}

void OpenWindows::unloaded(QWidget* window)
{
    m_windows.removeIf([window](const QPointer<QWidget>& entry) { return entry.isNull() || entry == window; });
}

QList<QWidget*> OpenWindows::windows() const
{
    QList<QWidget*> alive;
    for (const QPointer<QWidget>& window : m_windows) {
        if (window)
            alive.append(window);
    }
    return alive;
}
