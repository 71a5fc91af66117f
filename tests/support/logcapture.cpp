#include "support/logcapture.h"

#include <cstring>

namespace {

LogCapture* active = nullptr;

} // namespace

LogCapture::LogCapture(const char* category)
    : m_category(category)
{
    active = this;
    m_previous = qInstallMessageHandler(&LogCapture::handle);
}

LogCapture::~LogCapture()
{
    qInstallMessageHandler(m_previous);
    active = nullptr;
}

void LogCapture::handle(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    if (!context.category || std::strcmp(context.category, active->m_category) != 0) {
        active->m_previous(type, context, message);
        return;
    }
    if (type != QtDebugMsg && type != QtInfoMsg)
        active->m_warnings.append(message);
}
