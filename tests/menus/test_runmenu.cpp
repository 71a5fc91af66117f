#include "controls/pathlistview.h"
#include "menus/entriesdialog.h"
#include "menus/filemanager.h"
#include "menus/runmenu.h"
#include "menus/tablefiledialog.h"
#include "process/helperthread.h"
#include "support/formfixture.h"
#include "support/listentries.h"
#include "support/urlcatcher.h"
#include "windowkit/openwindows.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QDesktopServices>
#include <QFile>
#include <QFileDialog>
#include <QSignalSpy>
#include <QMenu>
#include <QScopeGuard>
#include <QTest>
#include <QWindow>

#include <algorithm>

namespace {

QStringList menuTexts(const QMenu* menu)
{
    QStringList texts;
    if (!menu)
        return texts;
    for (const QAction* action : menu->actions()) {
        if (!action->isSeparator())
            texts.append(action->text() + (action->isEnabled() ? QString() : QStringLiteral(" (aus)")));
    }
    return texts;
}

QMenu* openMenu(const QWidget* window)
{
    for (QMenu* menu : window->findChildren<QMenu*>())
        if (menu->isVisible())
            return menu;
    return nullptr;
}

QByteArray readBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

const QString kCopy = QStringLiteral("Pfad kopieren");
const QString kCopyAll = QStringLiteral("Alle Pfade kopieren");
const QString kShow = QStringLiteral("Im Dateimanager zeigen");
const QString kOpenFile = QStringLiteral("Ergebnisdatei öffnen");
const QString kOpenFolder = QStringLiteral("Ordner öffnen");
const QString kCheck = QStringLiteral("Mit Liste vergleichen ...");
const QString kShowChanges = QStringLiteral("Änderungen anzeigen");
const QString kSaveTable = QStringLiteral("Als Tabelle speichern ...");

class RunMenuTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        fixture.drives().makeFile(QStringLiteral("C:\\Quelle\\b.txt"));
        fixture.drives().makeFile(QStringLiteral("C:\\Quelle\\A.txt"));
        fixture.drives().makeFile(QStringLiteral("C:\\Quelle\\Unter\\c.doc"));
        form = &fixture.load();
        ASSERT_TRUE(form->controls().models.Dir2->setPath(QStringLiteral("C:\\Quelle")));
        form->show();
    }

    void TearDown() override
    {
        TableFileDialog::setAsk({});
        FileManager::setShowItems({});
        QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
    }

    // Asks for a menu as the user would and returns its entries; closes it again.
    QStringList menuEntries(QWidget* where, QContextMenuEvent::Reason reason)
    {
        QContextMenuEvent ask(reason, QPoint(5, 5), where->mapToGlobal(QPoint(5, 5)));
        QApplication::sendEvent(where, &ask);
        QMenu* menu = openMenu(form);
        const QStringList entries = menuTexts(menu);
        if (menu)
            menu->close();
        return entries;
    }

    FormFixture fixture;
    Form1* form = nullptr;
};

TEST_F(RunMenuTest, MenusOfferTheRunsEntriesOnlyAfterASuccessfulRunAndGoWhenClosed)
{
    const MainControls& c = form->controls();
    EXPECT_EQ(menuEntries(c.Label3, QContextMenuEvent::Mouse), QStringList({kCheck}));

    ASSERT_TRUE(fixture.generate());
    c.List2->setCurrentIndex(c.List2->model()->index(0, 0));
    const QStringList afterSuccess = {kCopy, kCopyAll, kShow, kOpenFile, kOpenFolder, kSaveTable};
    EXPECT_EQ(menuEntries(c.List2->viewport(), QContextMenuEvent::Mouse), afterSuccess);
    EXPECT_EQ(menuEntries(c.List2, QContextMenuEvent::Keyboard), afterSuccess);
    QTest::keyClick(c.List2, Qt::Key_F10, Qt::ShiftModifier);
    ASSERT_NE(openMenu(form), nullptr);
    EXPECT_EQ(openMenu(form)->accessibleName(), QStringLiteral("Ergebnisliste"));
    openMenu(form)->close();
    EXPECT_EQ(menuEntries(c.Label3, QContextMenuEvent::Mouse), QStringList({kOpenFile, kOpenFolder, kCheck}));
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(form->findChildren<QMenu*>().isEmpty());

    c.Label2->setText(QStringLiteral("C:\\fehlt"));
    ASSERT_TRUE(fixture.generate());
    c.List2->setCurrentIndex(QModelIndex());
    EXPECT_EQ(menuEntries(c.List2->viewport(), QContextMenuEvent::Mouse),
              QStringList({kCopy + " (aus)", kCopyAll, kShow + " (aus)"}));
    EXPECT_EQ(menuEntries(c.Label3, QContextMenuEvent::Mouse), QStringList({kCheck}));
}

TEST_F(RunMenuTest, EntriesCopyShowAndOpenWhatTheyName)
{
    const MainControls& c = form->controls();
    ASSERT_TRUE(fixture.generate());
    c.List2->setCurrentIndex(c.List2->model()->index(0, 0));
    RunMenu& menu = *form->runMenu();

    menu.copyPath();
    EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("C:\\Quelle\\A.txt"));
    menu.copyAllPaths();
    EXPECT_EQ(QApplication::clipboard()->text(),
              QStringLiteral("C:\\Quelle\\A.txt\nC:\\Quelle\\b.txt\nC:\\Quelle\\Unter\\c.doc"));

    const QUrl file = QUrl::fromLocalFile(fixture.drives().host(QStringLiteral("C:\\Quelle\\A.txt")));
    const QUrl folder = QUrl::fromLocalFile(fixture.drives().host(QStringLiteral("C:\\Quelle")));
    UrlCatcher desktop;
    QDesktopServices::setUrlHandler(QStringLiteral("file"), &desktop, "open");
    for (const bool fileManagerAnswers : {true, false}) {
        QList<QUrl> asked;
        FileManager::setShowItems([&](const QList<QUrl>& items, const std::function<void(bool)>& done) {
            asked = items;
            done(fileManagerAnswers);
        });
        desktop.opened.clear();
        menu.showInFileManager();
        EXPECT_EQ(asked, QList<QUrl>({file}));
        // Without a file manager on the bus, the desktop opens the folder.
        EXPECT_EQ(desktop.opened, fileManagerAnswers ? QList<QUrl>() : QList<QUrl>({folder}));
    }

    desktop.opened.clear();
    menu.openListFile();
    menu.openTargetFolder();
    EXPECT_EQ(desktop.opened, QList<QUrl>({QUrl::fromLocalFile(fixture.drives().host(QStringLiteral("C:\\Liste.txt"))),
                                           QUrl::fromLocalFile(fixture.drives().cRoot())}));
}

// The table is offered beside the list file, under the list's name with ".csv"; it is made
// off the window's thread, and the list file itself is never replaced by it. Without a
// thread to make it on, nothing is written and the status line says why.
TEST_F(RunMenuTest, SaveAsTableAsksWhereAndSavesBesideTheListFile)
{
    const MainControls& c = form->controls();
    ASSERT_TRUE(fixture.generate());
    const QString listFile = fixture.drives().host(QStringLiteral("C:\\Liste.txt"));
    const QByteArray listBytes = readBytes(listFile);
    const QString tableFile = fixture.drives().host(QStringLiteral("D:\\Tabelle.csv"));
    const QString threadlessFile = fixture.drives().host(QStringLiteral("D:\\Ohne.csv"));
    const struct {
        QString answer;
        QString status;
        bool withoutThreads = false;
    } cases[] = {
        {QString(), c.Label3->text()}, // cancelled: nothing changes
        {tableFile, QStringLiteral("Tabelle Tabelle.csv wurde in D:\\ erzeugt")},
        {listFile, QStringLiteral("Tabelle nicht gespeichert: Sie würde die Ergebnisdatei ersetzen.")},
        {threadlessFile,
         QStringLiteral("Tabelle konnte nicht erzeugt werden. Es konnte kein Arbeitsthread gestartet werden."), true},
    };
    for (const auto& step : cases) {
        QString suggested;
        TableFileDialog::setAsk([&](QWidget* parent, const QString& offered) {
            EXPECT_EQ(parent, form);
            suggested = offered;
            return step.answer;
        });
        QContextMenuEvent ask(QContextMenuEvent::Keyboard, QPoint(5, 5), c.List2->mapToGlobal(QPoint(5, 5)));
        QApplication::sendEvent(c.List2, &ask);
        QMenu* menu = openMenu(form);
        ASSERT_NE(menu, nullptr);
        const QList<QAction*> actions = menu->actions();
        const auto save = std::find_if(actions.begin(), actions.end(), [](QAction* a) { return a->text() == kSaveTable; });
        ASSERT_NE(save, actions.end());
        HelperThread::refuseStarts(step.withoutThreads);
        const auto allow = qScopeGuard([] { HelperThread::refuseStarts(false); });
        (*save)->trigger();
        menu->close();
        ASSERT_TRUE(QTest::qWaitFor([&] { return !form->isRunning(); }, 30000));
        EXPECT_EQ(suggested, fixture.drives().cRoot() + QStringLiteral("/Liste.csv"));
        EXPECT_EQ(c.Label3->text(), step.status);
    }
    EXPECT_TRUE(readBytes(tableFile).startsWith("\xEF\xBB\xBFPfad;Ordner;Name;"));
    EXPECT_EQ(readBytes(listFile), listBytes);
    EXPECT_FALSE(QFile::exists(threadlessFile));
}

// A name with '\\' cannot stand in a line of the list, a Cyrillic one only with '?': the
// window names both, by their host paths, in a dialog of its own.
TEST_F(RunMenuTest, LeftOutEntriesAreListedInADialogOfTheMainWindow)
{
    const MainControls& c = form->controls();
    ASSERT_TRUE(fixture.generate());
    EXPECT_EQ(menuEntries(c.Label3, QContextMenuEvent::Mouse), QStringList({kOpenFile, kOpenFolder, kCheck}));

    const QString folder = fixture.drives().host(QStringLiteral("C:\\Quelle"));
    for (const QString& name : {QStringLiteral("mit\\Trenner.txt"), QStringLiteral("Жук.txt")})
        QFile(folder + u'/' + name).open(QIODevice::WriteOnly);
    ASSERT_TRUE(fixture.generate());
    const QString showLeftOut = QStringLiteral("Ausgelassene Einträge anzeigen");
    EXPECT_EQ(menuEntries(c.Label3, QContextMenuEvent::Mouse),
              QStringList({kOpenFile, kOpenFolder, showLeftOut, kShowChanges, kCheck}));
    EXPECT_TRUE(menuEntries(c.List2, QContextMenuEvent::Keyboard).contains(showLeftOut));

    EntriesDialog* dialog = form->runMenu()->showLeftOut();
    EXPECT_EQ(dialog->shownText(), QStringLiteral("ausgelassen: ") + folder + QStringLiteral("/mit\\\\Trenner.txt\n")
                                       + QStringLiteral("mit Ersatzzeichen: ") + folder + QStringLiteral("/Жук.txt"));
    // The main window's own: not one of the program's windows, which end it once all are closed.
    EXPECT_EQ(dialog->parentWidget(), form);
    EXPECT_FALSE(OpenWindows::instance().windows().contains(dialog));
    EXPECT_EQ(dialog->windowHandle()->transientParent(), form->windowHandle());
    dialog->close();
}

// After a run that replaced a list with other entries, both menus show what changed, in two
// groups; a check against a list shows the same for the list chosen, and changes nothing
// the window shows but its status line, nor any file.
TEST_F(RunMenuTest, ChangesAreShownInTwoGroupsAndACheckWritesNothing)
{
    const MainControls& c = form->controls();
    ASSERT_TRUE(fixture.generate());
    EXPECT_FALSE(menuEntries(c.List2, QContextMenuEvent::Keyboard).contains(kShowChanges));
    ASSERT_TRUE(fixture.generate());
    EXPECT_FALSE(menuEntries(c.Label3, QContextMenuEvent::Mouse).contains(kShowChanges)) << "nothing changed";

    fixture.drives().makeFile(QStringLiteral("C:\\Quelle\\Neu.txt"));
    QFile::remove(fixture.drives().host(QStringLiteral("C:\\Quelle\\b.txt")));
    ASSERT_TRUE(fixture.generate());
    EXPECT_TRUE(c.Label3->text().endsWith(QStringLiteral("  erzeugt (1 neu, 1 fehlt)"))) << c.Label3->text().toStdString();
    EXPECT_TRUE(menuEntries(c.List2, QContextMenuEvent::Keyboard).contains(kShowChanges));
    EXPECT_TRUE(menuEntries(c.Label3, QContextMenuEvent::Mouse).contains(kShowChanges));
    EntriesDialog* changes = form->runMenu()->showChanges();
    EXPECT_EQ(changes->shownText(), QStringLiteral("Neu\nC:\\Quelle\\Neu.txt\n\nFehlt\nC:\\Quelle\\b.txt"));
    EXPECT_EQ(changes->windowTitle(), QStringLiteral("Änderungen"));
    changes->close();

    ASSERT_EQ(c.Label2->text(), QStringLiteral("C:\\"));
    const QString listFile = fixture.drives().host(QStringLiteral("C:\\Liste.txt"));
    const QByteArray listBytes = [&] {
        QFile file(listFile);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }();
    ASSERT_FALSE(listBytes.isEmpty());
    const QStringList shown = rowsOf(*c.List2->model());
    const QString count = c.Label1->text();
    fixture.drives().makeFile(QStringLiteral("C:\\Quelle\\Später.txt"));
    QFileDialog* chooser = form->runMenu()->chooseListToCheck();
    QSignalSpy ended(form, &Form1::runEnded);
    chooser->selectFile(listFile);
    static_cast<QDialog*>(chooser)->accept();
    ASSERT_TRUE(ended.wait(10000));
    EXPECT_EQ(c.Label3->text(), QStringLiteral("1 neu."));
    EXPECT_EQ(rowsOf(*c.List2->model()), shown);
    EXPECT_EQ(c.Label1->text(), count);
    QFile file(listFile);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), listBytes);
    EntriesDialog* shownChanges = nullptr;
    for (EntriesDialog* dialog : form->findChildren<EntriesDialog*>())
        shownChanges = dialog->isVisible() ? dialog : shownChanges;
    ASSERT_NE(shownChanges, nullptr);
    EXPECT_EQ(shownChanges->shownText(), QStringLiteral("Neu\nC:\\Quelle\\Später.txt\n\nFehlt\nkeine"));
    shownChanges->close();
}

} // namespace
