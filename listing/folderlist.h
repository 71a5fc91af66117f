#pragma once

#include "drives/windowspath.h"
#include "listing/liststart.h"
#include "walk/folderscan.h"

#include <QAbstractListModel>
#include <QHash>
#include <QStringList>

#include <optional>

class FolderReads;

// A folder list: stands on one folder and lists its subfolders. For a view its rows are
// the folder's ancestors from the drive root down to the folder itself (shown open), then
// the subfolders (shown closed).
class FolderList : public QAbstractListModel {
    Q_OBJECT

public:
    enum Role { PathRole = Qt::UserRole + 1, RowKindRole, DepthRole };
    enum class RowKind { Ancestor, Current, Subfolder };

    explicit FolderList(ListStart start = ListStart::Nowhere, QObject* parent = nullptr);

    QString Path() const;
    // Takes a folder path, or a drive value ("c: [...]", "C:") meaning the folder this list
    // last stood on on that drive (its root if never). Anything that is not an existing
    // folder, or whose path holds a name that cannot be written, leaves the list as it was
    // and answers false.
    bool setPath(const QString& pathOrDrive);
    void Refresh();
    // The folders setPath tries for a text, in its order: a folder path itself; for a drive
    // value the folder this list last stood on there, then the drive's root. None for a
    // text that names no folder this list could stand on.
    QList<WindowsPath> candidatesFor(const QString& pathOrDrive) const;
    // Takes a folder read elsewhere (see FolderLooks): moves there, raising the change, or,
    // where the list stands there already, lists what was read.
    void takeRead(const WindowsPath& folder, const QString& pathText, const FolderScan& scan);
    const std::optional<WindowsPath>& folder() const { return m_folder; }
    qsizetype ListCount() const { return m_subfolders.size(); }
    QString List(qsizetype index) const;
    // The rows a view shows widest: the longest names, counting each row's depth.
    QList<int> longestRows() const;

    // The folder exists but could not be read (to its end): what it lists may be short.
    bool readFailed() const { return m_readFailed; }
    qsizetype leftOutNames() const { return m_leftOut.size(); }
    // The subfolders left out, as the host gives their names.
    const HostNames& leftOutHostNames() const { return m_leftOut; }

    // While a run shares its reads (nullptr ends it), the list reads through them and
    // leaves each folder's files there for the file list that follows it.
    void shareReads(FolderReads* reads) { m_reads = reads; }

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

signals:
    void Change();

private:
    bool moveTo(const WindowsPath& path);
    void enter(const WindowsPath& folder, const QString& pathText, const FolderScan& scan);
    void takeScan(const FolderScan& scan);
    void relist(const FolderScan& scan);
    qsizetype ancestorRows() const { return m_folder->names().size() + 1; }

    std::optional<WindowsPath> m_folder;
    QString m_pathText; // m_folder as text: asked for at every step of a walk
    QStringList m_subfolders;
    HostNames m_leftOut;
    bool m_readFailed = false;
    QHash<QChar, WindowsPath> m_lastFolderOnDrive;
    FolderReads* m_reads = nullptr;
};
