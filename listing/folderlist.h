#pragma once

#include "listing/folderscan.h"
#include "platform/hostfolder.h"

#include <QAbstractListModel>
#include <QHash>
#include <QStringList>

// A folder list: stands on one folder and lists its subfolders. For a view its rows are
// the folder's ancestors from the drive root down to the folder itself (shown open), then
// the subfolders (shown closed).
class FolderList : public QAbstractListModel {
    Q_OBJECT

public:
    enum Role { PathRole = Qt::UserRole + 1, RowKindRole, DepthRole };
    enum class RowKind { Ancestor, Current, Subfolder };

    explicit FolderList(QObject* parent = nullptr);

    QString Path() const;
    // Takes a folder path, or a drive value ("c: [...]", "C:") meaning the folder this list
    // last stood on on that drive (its root if never). Anything that is not an existing
    // folder leaves the list as it was and answers false.
    bool setPath(const QString& pathOrDrive);
    void Refresh();
    qsizetype ListCount() const { return m_subfolders.size(); }
    QString List(qsizetype index) const;

    // The folder exists but could not be read: it was entered and lists nothing.
    bool readFailed() const { return m_readFailed; }
    qsizetype leftOutNames() const { return m_leftOut; }

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

signals:
    void Change();

private:
    std::optional<HostFolder> folderForDrive(QChar letter) const;
    bool moveTo(const WindowsPath& path, const QByteArray& hostPath);
    void enter(const HostFolder& folder, FolderScan scan);
    void takeScan(FolderScan scan);
    qsizetype ancestorRows() const { return m_folder.path.names().size() + 1; }

    HostFolder m_folder;
    QString m_pathText; // m_folder.path as text: asked for at every step of a walk
    QStringList m_subfolders;
    qsizetype m_leftOut = 0;
    bool m_readFailed = false;
    QHash<QChar, WindowsPath> m_lastFolderOnDrive;
};
