#pragma once

#include <QStringList>
#include <QtGlobal>

// Takes the messages of one logging category while it lives, instead of letting them reach
// standard error; messages of other categories pass on as before. One at a time.
class LogCapture {
public:
    explicit LogCapture(const char* category);
    ~LogCapture();
    LogCapture(const LogCapture&) = delete;
    LogCapture& operator=(const LogCapture&) = delete;

    // The warnings and worse, each as it was written.
    const QStringList& warnings() const { return m_warnings; }

private:
    static void handle(QtMsgType type, const QMessageLogContext& context, const QString& message);

    const char* m_category;
    QStringList m_warnings;
    QtMessageHandler m_previous;
};
