#include "mainwindow/leftoutdialog.h"

#include <QApplication>
#include <QClipboard>
#include <QDialogButtonBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

LeftOutDialog::LeftOutDialog(const LeftOutEntries& entries, QWidget* mainWindow)
    : QDialog(mainWindow)
    , m_list(new QPlainTextEdit(this))
{
    setWindowTitle(QStringLiteral("Ausgelassene Einträge"));
    setAttribute(Qt::WA_DeleteOnClose);
    resize(560, 300);
    // Plain text, never markup, and one entry a line however long its path.
    m_list->setReadOnly(true);
    m_list->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_list->setPlainText(text(entries));
    m_list->setAccessibleName(QStringLiteral("Ausgelassene Einträge"));
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

QString LeftOutDialog::text(const LeftOutEntries& entries)
{
    QStringList lines;
    for (const LeftOutEntries::Entry& entry : entries.kept())
        lines.append(QString::fromUtf8(LeftOutEntries::lineOf(entry)));
    if (entries.notKept() != 0)
        lines.append(LeftOutEntries::notKeptText(entries.notKept()));
    return lines.join(u'\n');
}

QString LeftOutDialog::shownText() const { return m_list->toPlainText(); }
