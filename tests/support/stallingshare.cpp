#include "support/stallingshare.h"

#include "support/privatemounts.h"

StallingShare::StallingShare(const QByteArray& mountPoint)
{
    m_missing = TestShare::unavailableReason();
    if (m_missing.isEmpty())
        m_missing = PrivateMounts::missingForTheProgram();
    if (m_missing.isEmpty()) {
        TestShare::Faults faults;
        faults.stalledFolder = "haengt";
        m_share = std::make_unique<TestShare>(mountPoint, QList<QByteArray>{"lebt/datei.txt", "lebt/unten/", "haengt/"},
                                              faults);
    }
}

QString StallingShare::missingReason() const
{
    return QString::fromUtf8(m_missing.isEmpty() ? QByteArray("the test share did not mount") : m_missing);
}
