#pragma once

#include "platform/windowspath.h"

#include <QByteArray>
#include <QList>

#include <optional>

// Maps the old platform's drive letters onto host folders. Nothing outside platform/
// knows which host folder a letter stands for.
class DriveTable {
public:
    struct Drive {
        QChar letter;
        QByteArray hostRoot;
    };

    DriveTable() = default;
    explicit DriveTable(QList<Drive> drives);

    // C: the home folder, D:..Y: extra volumes in mount-point order, Z: the root.
    static DriveTable forThisHost();
    // The same from the home folder and the volumes' mount points given, in their order;
    // volumes beyond Y: get no letter.
    static DriveTable forHost(const QByteArray& homeFolder, const QList<QByteArray>& volumeMountPoints);

    // The table this thread works with: the host's, unless the thread installed its own
    // (tests do; a run on a thread of its own takes the table of the thread that started it).
    static const DriveTable& active();
    static void setActive(DriveTable table);

    const QList<Drive>& drives() const { return m_drives; }
    bool contains(QChar letter) const { return find(letter) != nullptr; }
    std::optional<QByteArray> hostRoot(QChar letter) const;

    // A drive is ready when its host folder exists and can be read.
    bool isReady(QChar letter) const;

    std::optional<QByteArray> hostPathOf(const WindowsPath& path) const;

    // The drive whose host folder is the longest prefix of hostPath takes it.
    std::optional<WindowsPath> windowsPathOf(const QByteArray& hostPath) const;

private:
    const Drive* find(QChar letter) const;

    QList<Drive> m_drives;
};
