#pragma once

#include "background/backgroundwork.h"
#include "background/workthread.h"
#include "table/tablerun.h"

#include <atomic>

class ListBox;

// One TableRun on a thread of its own ("korvale-table"), so the window stays alive while
// the files of a long list are looked at. The entries are only read, on that thread, while
// the window shows them: nothing may change them until finished() has arrived.
class BackgroundTable : public BackgroundWork {
    Q_OBJECT

public:
    BackgroundTable(ListBox& entries, TableRun::Input input);

    // The table ends before the next file it would look at, touching nothing; once it is
    // being written, it ends with the write.
    void requestStop() override { m_thread.requestStop(); }
    Phase phase() const override { return m_thread.phase(); }

    // Only after finished().
    const TableRun::Outcome& outcome() const { return m_outcome; }

protected:
    Status progress() const override;
    QString writingText() const override;

private:
    void work(std::stop_token stop);

    ListBox& m_entries;
    TableRun::Input m_input;
    std::atomic<qsizetype> m_filesRead = 0;
    std::atomic<qsizetype> m_files = 0;
    TableRun::Outcome m_outcome;
    WorkThread m_thread;
};
