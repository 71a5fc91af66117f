#pragma once

#include "drives/drivetable.h"

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

// Installs a drive table for this thread while the object lives; the table before comes
// back however the test leaves, a failed assertion included.
class ScopedDriveTable {
public:
    explicit ScopedDriveTable(DriveTable table);
    ~ScopedDriveTable();
    ScopedDriveTable(const ScopedDriveTable&) = delete;
    ScopedDriveTable& operator=(const ScopedDriveTable&) = delete;

private:
    DriveTable m_previous;
};

// A drive table over temporary folders, installed for the lifetime of the object:
// C: and D: are fresh empty folders, E: names a folder that does not exist (a drive
// without medium). The previous table comes back on destruction.
class TestDrives {
public:
    TestDrives();
    TestDrives(const TestDrives&) = delete;
    TestDrives& operator=(const TestDrives&) = delete;

    // The host path of a Windows-style path on C: or D:, e.g. host("C:\\a\\b.txt").
    QString host(const QString& windowsPath) const;
    QString cRoot() const { return m_c.path(); }
    QString dRoot() const { return m_d.path(); }

    // Create the folders of a Windows-style path; makeFile also its file, with content.
    void makeFolder(const QString& windowsPath) const;
    void makeFile(const QString& windowsPath, const QByteArray& content = QByteArray()) const;

private:
    QTemporaryDir m_c;
    QTemporaryDir m_d;
    ScopedDriveTable m_table;
};
