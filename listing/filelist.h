#pragma once

#include "drives/windowspath.h"
#include "listing/liststart.h"
#include "walk/filepattern.h"
#include "walk/folderscan.h"
#include "walk/hostnames.h"

#include <QAbstractListModel>

#include <optional>

class FolderReads;

// A file list: the bare names of one folder's files that match its pattern. It reads its
// folder when the folder or the pattern changes and on Refresh, never otherwise, so
// pointing it at the folder it already lists costs nothing.
class FileList : public QAbstractListModel {
    Q_OBJECT

public:
    explicit FileList(ListStart start = ListStart::Nowhere, QObject* parent = nullptr);

    void setPattern(const QString& pattern);
    QString Path() const;
    // False, with the list unchanged, unless the path names an existing folder.
    bool setPath(const QString& path);
    // Given a folder path, lists that folder, as setPath does.
    bool setFileName(const QString& folderPath) { return setPath(folderPath); }
    void Refresh();
    qsizetype ListCount() const { return m_names.size(); }
    QString List(qsizetype index) const;
    // The same names as the host gives them, for a caller that hands them on unread.
    const HostNames& hostNames() const { return m_names; }

    bool readFailed() const { return m_readFailed; }
    qsizetype leftOutNames() const { return m_leftOut.size(); }
    // The matching names left out, as the host gives them.
    const HostNames& leftOutHostNames() const { return m_leftOut; }

    // While a run shares its reads (nullptr ends it), the list takes a folder's files from
    // the folder list's read of it instead of reading it again.
    void shareReads(FolderReads* reads) { m_reads = reads; }

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

private:
    void readFiles();
    void takeFolder(const WindowsPath& folder, const QString& pathText, const FolderScan& scan);
    void takeScan(const FolderScan& scan);

    QString m_patternText = QStringLiteral("*.*");
    FilePattern m_pattern{m_patternText};
    std::optional<WindowsPath> m_folder;
    QString m_pathText; // m_folder's path as text: a walk points the list here twice per folder
    HostNames m_names;
    HostNames m_leftOut;
    bool m_readFailed = false;
    FolderReads* m_reads = nullptr;
};
