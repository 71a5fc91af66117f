#include "background/backgroundtable.h"

#include "table/tabletext.h"

BackgroundTable::BackgroundTable(ListBox& entries, TableRun::Input input)
    : m_entries(entries)
    , m_input(std::move(input))
{
    const bool started = m_thread.start(
        "korvale-table", [this](std::stop_token stop) { work(std::move(stop)); }, [this] { emit finished(); });
    if (!started)
        m_outcome.statusText = TableText::withoutThread();
}

void BackgroundTable::work(std::stop_token stop)
{
    TableRun::Hooks hooks;
    hooks.progress = [this](qsizetype filesRead, qsizetype files) {
        m_files = files;
        m_filesRead = filesRead;
    };
    hooks.stop = std::move(stop);
    hooks.writing = [this] { m_thread.beginWriting(); };
    m_outcome = TableRun(std::move(hooks)).run(m_entries, m_input);
}

BackgroundWork::Status BackgroundTable::progress() const { return {TableText::reading(m_filesRead, m_files), {}}; }

QString BackgroundTable::writingText() const { return TableText::writing(); }
