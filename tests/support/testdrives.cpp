#include "support/testdrives.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

ScopedDriveTable::ScopedDriveTable(DriveTable table)
    : m_previous(DriveTable::active())
{
    DriveTable::setActive(std::move(table));
}

ScopedDriveTable::~ScopedDriveTable() { DriveTable::setActive(m_previous); }

TestDrives::TestDrives()
    : m_table(DriveTable({
        {u'C', QFile::encodeName(m_c.path())},
        {u'D', QFile::encodeName(m_d.path())},
        {u'E', QFile::encodeName(m_d.path() + QStringLiteral("-no-medium"))},
    }))
{
}

QString TestDrives::host(const QString& windowsPath) const
{
    const std::optional<WindowsPath> path = WindowsPath::parse(windowsPath);
    const std::optional<QByteArray> host = path ? DriveTable::active().hostPathOf(*path) : std::nullopt;
    return host ? QFile::decodeName(*host) : QString();
}

void TestDrives::makeFolder(const QString& windowsPath) const
{
    QDir().mkpath(host(windowsPath));
}

void TestDrives::makeFile(const QString& windowsPath, const QByteArray& content) const
{
    const QString path = host(windowsPath);
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    if (file.open(QIODevice::WriteOnly))
        file.write(content);
}
