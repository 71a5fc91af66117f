#include "options/optionrestore.h"

#include "listing/folderlist.h"

#include <algorithm>

namespace {

// The stored folders in the order they are restored; after them, Dir3 once more, to the
// default folder, where its stored one was not restored.
const QString kStoredFolderKeys[] = {QStringLiteral("Dir1"), QStringLiteral("Dir2"), QStringLiteral("Dir3")};
constexpr int kDir1 = 0;
constexpr int kDir3 = 2;
constexpr int kDir3ToDefault = 3;

} // namespace

OptionRestore::OptionRestore(OptionStore options, FolderLooks& looks, StoredOptionsControls controls, QObject* parent)
    : QObject(parent)
    , m_options(options)
    , m_looks(looks)
    , m_controls(controls)
{
    connect(&looks, &FolderLooks::answered, this,
            [this](FolderLooks::Ticket ticket, FolderList*, FolderLooks::Outcome outcome, const QString& pathText) {
                takeAnswer(ticket, outcome, pathText);
            });
}

FolderList& OptionRestore::listAt(int step)
{
    FolderList* const lists[] = {&m_controls.Dir1, &m_controls.Dir2, &m_controls.Dir3};
    return *lists[std::min(step, kDir3)];
}

void OptionRestore::start()
{
    m_step = kDir1;
    next();
}

void OptionRestore::next()
{
    for (; m_step <= kDir3ToDefault; ++m_step) {
        std::optional<QString> folder;
        if (m_step < kDir3ToDefault)
            folder = m_options.storedFolder(kStoredFolderKeys[m_step]);
        else if (!m_targetRestored)
            folder = OptionStore::defaultFolder();
        if (folder) {
            m_askedFolder = *folder;
            m_waiting = m_looks.move(listAt(m_step), *folder);
            return;
        }
    }
    for (Unanswered& unanswered : m_unanswered)
        unanswered.standing = unanswered.list ? unanswered.list->Path() : QString();
    m_finished = true;
    emit done({m_controls.Dir3.Path(), m_silentFolders});
}

void OptionRestore::takeAnswer(FolderLooks::Ticket ticket, FolderLooks::Outcome outcome, const QString& pathText)
{
    if (m_finished)
        return;
    if (ticket == m_waiting) {
        m_waiting = 0;
        if (m_step == kDir3 && outcome == FolderLooks::Outcome::Read)
            m_targetRestored = true;
        if (outcome == FolderLooks::Outcome::NotAnswering && m_step < kDir3ToDefault) {
            m_unanswered.append({kStoredFolderKeys[m_step], m_askedFolder, &listAt(m_step), std::nullopt});
        }
        // The hidden working folder is no choice of the person's, and nothing shows it.
        if (m_step != kDir1 && outcome == FolderLooks::Outcome::NotAnswering && !m_silentFolders.contains(pathText))
            m_silentFolders.append(pathText);
        ++m_step;
    } else if (m_waiting != 0) {
        return;
    }
    // The moves its change handlers asked for end first: a stored folder that is not
    // restored leaves its list where the cascades before it put it.
    if (!m_looks.isLooking())
        next();
}

QHash<QString, QString> OptionRestore::foldersToKeep()
{
    QHash<QString, QString> kept;
    for (const Unanswered& unanswered : std::as_const(m_unanswered)) {
        if (unanswered.list && (!unanswered.standing || unanswered.list->Path() == *unanswered.standing))
            kept.insert(unanswered.key, unanswered.folder);
    }
    for (int step = m_step; !m_finished && step < kDir3ToDefault; ++step) {
        if (const std::optional<QString> folder = m_options.storedFolder(kStoredFolderKeys[step]))
            kept.insert(kStoredFolderKeys[step], *folder);
    }
    return kept;
}
