#include "menus/entriesdialog.h"

#include "changes/listchanges.h"
#include "generation/leftoutentries.h"

#include <QApplication>
#include <QClipboard>
#include <QDialogButtonBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

EntriesDialog::EntriesDialog(const QString& title, const QString& text, QWidget* mainWindow)
    : QDialog(mainWindow)
    , m_list(new QPlainTextEdit(this))
{
    setWindowTitle(title);
    setAttribute(Qt::WA_DeleteOnClose);
    resize(560, 300);
    // Plain text, never markup, and one entry a line however long its path.
    m_list->setReadOnly(true);
    m_list->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_list->setPlainText(text);
    m_list->setAccessibleName(title);
    m_list->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);

    // Qt's own button texts are English here: the buttons are named in German.
    auto* buttons = new QDialogButtonBox(this);
    QPushButton* copy = buttons->addButton(QStringLiteral("Alles kopieren"), QDialogButtonBox::ActionRole);
    buttons->addButton(QStringLiteral("Schließen"), QDialogButtonBox::RejectRole);
    connect(copy, &QPushButton::clicked, this, [this] { QApplication::clipboard()->setText(shownText()); });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::close);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_list);
    layout->addWidget(buttons);
}

QString EntriesDialog::leftOutText(const LeftOutEntries& entries)
{
    QStringList lines;
    for (const LeftOutEntries::Entry& entry : entries.kept())
        lines.append(QString::fromUtf8(LeftOutEntries::lineOf(entry)));
    if (entries.notKept() != 0)
        lines.append(LeftOutEntries::notKeptText(entries.notKept()));
    return lines.join(u'\n');
}

QString EntriesDialog::changesText(const ListChanges& changes)
{
    QStringList lines;
    for (const ListChanges::Kind kind : {ListChanges::Kind::New, ListChanges::Kind::Missing}) {
        if (!lines.isEmpty())
            lines.append(QString());
        lines.append(kind == ListChanges::Kind::New ? QStringLiteral("Neu") : QStringLiteral("Fehlt"));
        for (const ListChanges::Entry& entry : changes.kept(kind))
            lines.append(entry.shown);
        if (const qsizetype notKept = changes.count(kind) - changes.keptCount(kind))
            lines.append(LeftOutEntries::notKeptText(notKept));
        if (changes.count(kind) == 0)
            lines.append(QStringLiteral("keine"));
    }
    return lines.join(u'\n');
}

QString EntriesDialog::shownText() const { return m_list->toPlainText(); }
