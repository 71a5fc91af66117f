#pragma once

#include "support/testshare.h"

#include <QByteArray>
#include <QString>

#include <memory>

// A test share mounted in this test program's own process (see PrivateMounts), standing
// for a share whose connection died: "lebt" (with "datei.txt" and the folder "unten")
// answers, "haengt" and everything in it never does. A thread that asks there waits until
// the object goes, which ends the server and fails whatever it held.
class StallingShare {
public:
    explicit StallingShare(const QByteArray& mountPoint);

    bool mounted() const { return m_share && m_share->mounted(); }
    // Why it is not, for the test to skip with.
    QString missingReason() const;
    void freeze() { m_share->freeze(); }
    void thaw() { m_share->thaw(); }

private:
    QByteArray m_missing;
    std::unique_ptr<TestShare> m_share;
};
