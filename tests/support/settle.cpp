#include "support/settle.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QTest>

bool waitUntilSettled(const std::function<bool()>& busy, int timeoutMs)
{
    const QDeadlineTimer deadline(timeoutMs);
    do {
        if (!QTest::qWaitFor([&] { return !busy(); }, int(deadline.remainingTime())))
            return false;
        QCoreApplication::processEvents();
    } while (busy());
    return true;
}
