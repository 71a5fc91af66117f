#include "support/testsettingsfile.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>

void TestSettingsFile::write(const QByteArray& content) const
{
    QDir().mkpath(QFileInfo(path()).path());
    QFile file(path());
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(content);
}

QByteArray TestSettingsFile::bytes() const
{
    QFile file(path());
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}
