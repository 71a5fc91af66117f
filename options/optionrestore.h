#pragma once

#include "looks/folderlooks.h"
#include "options/optionstore.h"

#include <QHash>
#include <QObject>
#include <QPointer>
#include <QStringList>

struct RestoreResult {
    // The folder Dir3 stands on once the restore is over: the target label shows it, so the
    // folder the list goes to, the one shown and the one saved at the end are the same.
    QString targetFolder;
    // The source and target folders that did not answer, and so were not restored.
    QStringList silentFolders;
};

// Restores the stored folders into the window's folder lists at load, through the window's
// folder looks: Dir1, Dir2 and Dir3 in this order, each only when its stored folder answers
// as a folder, and each once the one before and the moves its change handlers asked for
// have ended, so that the cascades come in the order they always came. Dir3 goes to "C:\" when its stored folder is
// not restored. A stored folder that does not answer in time is not restored, as one that
// is not there.
class OptionRestore : public QObject {
    Q_OBJECT

public:
    // options has read the settings file already.
    OptionRestore(OptionStore options, FolderLooks& looks, StoredOptionsControls controls, QObject* parent = nullptr);

    void start();

    // The stored folders the window has not taken, by key, to be saved as they were
    // rather than be lost to a share that was down for a while: those not looked at yet,
    // and those that did not answer, as long as their list stands where the restore left
    // it.
    QHash<QString, QString> foldersToKeep();

signals:
    void done(const RestoreResult& result);

private:
    FolderList& listAt(int step);
    void next();
    void takeAnswer(FolderLooks::Ticket ticket, FolderLooks::Outcome outcome, const QString& pathText);

    struct Unanswered {
        QString key;
        QString folder;
        // Gone once a run's lists took the place of the window's.
        QPointer<FolderList> list;
        // Where the list stood once the restore was over.
        std::optional<QString> standing;
    };

    OptionStore m_options;
    FolderLooks& m_looks;
    StoredOptionsControls m_controls;
    int m_step = 0;
    FolderLooks::Ticket m_waiting = 0;
    bool m_targetRestored = false;
    bool m_finished = false;
    QStringList m_silentFolders;
    QString m_askedFolder;
    QList<Unanswered> m_unanswered;
};
