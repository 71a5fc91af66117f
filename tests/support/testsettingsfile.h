#pragma once

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

// A settings file of the test's own, in a temporary folder, written and read as bytes.
class TestSettingsFile {
public:
    QString path() const { return m_config.filePath(QStringLiteral("Korvale/Korvale.ini")); }
    // The temporary folder that holds it, two levels up.
    QString folder() const { return m_config.path(); }
    // Makes its folder where it is missing.
    void write(const QByteArray& content) const;
    // "<missing>" where there is no file.
    QByteArray bytes() const;

private:
    QTemporaryDir m_config;
};
