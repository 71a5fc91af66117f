#include "background/backgroundrun.h"
#include "controls/middleelision.h"
#include "controls/pathlistview.h"
#include "listing/listbox.h"
#include "process/helperthread.h"
#include "readahead/folderreads.h"
#include "support/formfixture.h"
#include "windowkit/openwindows.h"

#include <gtest/gtest.h>

#include <QAccessible>
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QScopeGuard>
#include <QScrollBar>
#include <QTest>
#include <QTextDocumentFragment>
#include <QToolTip>
#include <private/qguiapplication_p.h>
#include <qpa/qplatformaccessibility.h>
#include <qpa/qplatformintegration.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <condition_variable>
#include <mutex>

namespace {

// Holds a run on its own thread as its walk enters the given folder, until released.
class RunGate {
public:
    explicit RunGate(qsizetype atFolder)
        : m_atFolder(atFolder)
    {
    }

    static GenerateRun::Progress observer(const std::shared_ptr<RunGate>& gate)
    {
        return [gate](qsizetype folders, qsizetype) {
            if (folders == gate->m_atFolder)
                gate->hold();
        };
    }

    static std::function<void()> writeObserver(const std::shared_ptr<RunGate>& gate)
    {
        return [gate] { gate->hold(); };
    }

    bool waitUntilHeld()
    {
        std::unique_lock lock(m_mutex);
        return m_changed.wait_for(lock, std::chrono::seconds(30), [this] { return m_held; });
    }

    void release()
    {
        const std::lock_guard lock(m_mutex);
        m_released = true;
        m_changed.notify_all();
    }

private:
    void hold()
    {
        std::unique_lock lock(m_mutex);
        m_held = true;
        m_changed.notify_all();
        m_changed.wait(lock, [this] { return m_released; });
    }

    const qsizetype m_atFolder;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    bool m_held = false;
    bool m_released = false;
};

class PaintCounter : public QObject {
public:
    explicit PaintCounter(QWidget* widget) { widget->installEventFilter(this); }
    int paints = 0;

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        paints += event->type() == QEvent::Paint ? 1 : 0;
        return false;
    }
};



QByteArray readFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

// The names of the threads the program started itself, sorted; Qt's own threads (which
// Qt may keep for a while) carry names of their own.
QStringList programThreads()
{
    QStringList names;
    for (const QString& task : QDir(QStringLiteral("/proc/self/task")).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        const QString name = QString::fromUtf8(readFile(QStringLiteral("/proc/self/task/%1/comm").arg(task)).trimmed());
        if (name.startsWith(QStringLiteral("korvale-")))
            names.append(name);
    }
    names.sort();
    return names;
}

// The text of the tool tip as a person reads it, its lines joined again; empty when none shows.
QString shownTip()
{
    if (!QToolTip::isVisible())
        return QString();
    return QTextDocumentFragment::fromHtml(QToolTip::text()).toPlainText().remove(u'\n');
}

QStringList shownEntries(const QListView* view)
{
    QStringList entries;
    for (int row = 0; row < view->model()->rowCount(); ++row)
        entries.append(view->model()->index(row, 0).data().toString());
    return entries;
}

class GenerateTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        fixture.drives().makeFile(QStringLiteral("C:\\Quelle\\b.txt"));
        fixture.drives().makeFile(QStringLiteral("C:\\Quelle\\A.txt"));
        fixture.drives().makeFile(QStringLiteral("C:\\Quelle\\Unter\\c.doc"));
        fixture.drives().makeFolder(QStringLiteral("C:\\Ziel"));
        form = &fixture.load();
    }

    void TearDown() override
    {
        if (gate)
            gate->release();
    }

    void pickSource(const QString& folder) { ASSERT_TRUE(form->controls().models.Dir2->setPath(folder)); }
    void click(QPushButton* button) { QTest::mouseClick(button, Qt::LeftButton); }

    // Starts a run that is held as its walk enters a folder, by default the first one, the
    // source folder.
    void startHeldRun(qsizetype atFolder = 1)
    {
        gate = std::make_shared<RunGate>(atFolder);
        form->setRunObserver(RunGate::observer(gate));
        click(form->controls().Command1);
        ASSERT_TRUE(form->isRunning());
        ASSERT_TRUE(gate->waitUntilHeld());
    }

    bool waitUntilEnded()
    {
        return QTest::qWaitFor([this] { return !form->isRunning(); }, 30000);
    }

    QString listFile() const { return fixture.drives().host(QStringLiteral("C:\\Liste.txt")); }

    FormFixture fixture;
    Form1* form = nullptr;
    std::shared_ptr<RunGate> gate;
};

TEST_F(GenerateTest, OneClickWritesTheListFileAndSetsCountAndStatus)
{
    pickSource(QStringLiteral("C:\\Quelle"));
    const MainControls& c = form->controls();
    ASSERT_TRUE(fixture.generate());

    EXPECT_EQ(c.Label1->text(), QStringLiteral(" 3 Files"));
    EXPECT_EQ(c.Label3->text(), QStringLiteral("Ergebnisdatei Liste.txt wurde in C:\\  erzeugt"));
    const QByteArray written = readFile(fixture.drives().host(QStringLiteral("C:\\Liste.txt")));
    EXPECT_TRUE(written.startsWith("C:\\Quelle\\A.txt\r\nC:\\Quelle\\b.txt\r\nC:\\Quelle\\Unter\\c.doc\r\n\r\n"
                                   "Korvale 3.0\r\n"))
        << written.constData();
    EXPECT_TRUE(written.endsWith("\r\n(c) Korvale-Team\r\nMail: info@korvale.example\r\n"
                                 "Internet: https://korvale.example/\r\n"))
        << written.constData();
    EXPECT_TRUE(c.List2->isVisibleTo(form));
    EXPECT_EQ(shownEntries(c.List2), QStringList({"C:\\Quelle\\A.txt", "C:\\Quelle\\b.txt", "C:\\Quelle\\Unter\\c.doc"}));
    // The working folder stays on the last folder entered, and that is what is stored.
    EXPECT_EQ(c.models.Dir1->Path(), QStringLiteral("C:\\Quelle\\Unter"));
    fixture.unload();
    EXPECT_TRUE(fixture.settingsText().contains("Dir1=C:\\Quelle\\Unter\n")) << fixture.settingsText().constData();
}

TEST_F(GenerateTest, HeldRunKeepsTheWindowAliveShowsItsCountAndTakesNoInput)
{
    pickSource(QStringLiteral("C:\\Quelle"));
    form->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form));
    const MainControls& c = form->controls();
    startHeldRun();

    PaintCounter statusPainted(c.Label3);
    const QString liveCount = QStringLiteral("Suche läuft in C:\\Quelle: 2 Dateien in 1 Verzeichnis ... (Esc bricht ab)");
    EXPECT_TRUE(QTest::qWaitFor([&] { return c.Label3->text() == liveCount; })) << c.Label3->text().toStdString();
    EXPECT_TRUE(QTest::qWaitFor([&] { return statusPainted.paints > 0; }));
    EXPECT_EQ(QApplication::overrideCursor() ? QApplication::overrideCursor()->shape() : Qt::ArrowCursor, Qt::WaitCursor);

    QTest::mouseClick(c.Check1, Qt::LeftButton);
    QTest::keyClicks(c.txt_filter, QStringLiteral("x"));
    click(c.Command3);
    QTest::mouseClick(c.Image1, Qt::LeftButton);
    EXPECT_TRUE(c.Check1->isChecked());
    EXPECT_EQ(c.txt_filter->text(), QStringLiteral("*.*"));
    EXPECT_FALSE(c.Text1->isVisibleTo(form));
    EXPECT_EQ(form->infoWindow(), nullptr);

    gate->release();
    ASSERT_TRUE(waitUntilEnded());
    EXPECT_EQ(c.Label1->text(), QStringLiteral(" 3 Files"));
    EXPECT_EQ(c.Label3->text(), QStringLiteral("Ergebnisdatei Liste.txt wurde in C:\\  erzeugt"));
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    // Input reaches the controls again.
    QTest::mouseClick(c.Check1, Qt::LeftButton);
    EXPECT_FALSE(c.Check1->isChecked());
}

// The live status names the folder being listed; where the line is too narrow, only that
// folder is shortened, in its middle, and the figures stay whole.
TEST_F(GenerateTest, TheLiveStatusNamesTheSourceAndShortensOnlyItsFolder)
{
    const QString deep = QStringLiteral("C:\\Quelle\\Ein recht langer Ordnername\\Noch ein langer Ordnername\\Urlaub");
    fixture.drives().makeFile(deep + QStringLiteral("\\Bild.jpg"));
    const QString figures = QStringLiteral(": 1 Datei in 1 Verzeichnis ... (Esc bricht ab)");
    const struct {
        QString source;
        QString shown;
    } cases[] = {
        {QStringLiteral("C:\\Quelle\\Unter"), QStringLiteral("Suche läuft in C:\\Quelle\\Unter") + figures},
        {deep, QStringLiteral("Suche läuft in C:\\Quelle\\...\\Urlaub") + figures},
    };
    form->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form));
    const MainControls& c = form->controls();
    for (const auto& step : cases) {
        pickSource(step.source);
        startHeldRun();
        const QString whole = QStringLiteral("Suche läuft in ") + step.source + figures;
        EXPECT_TRUE(QTest::qWaitFor([&] { return c.Label3->text() == whole; })) << c.Label3->text().toStdString();
        EXPECT_EQ(c.Label3->shownText(), step.shown);
        gate->release();
        ASSERT_TRUE(waitUntilEnded());
    }
}

TEST_F(GenerateTest, EscapeStopsARunAndLeavesListFileCountAndListAsTheyWere)
{
    pickSource(QStringLiteral("C:\\Quelle"));
    const MainControls& c = form->controls();
    ASSERT_TRUE(fixture.generate());
    const QByteArray listBefore = readFile(listFile());
    const QStringList shownBefore = shownEntries(c.List2);
    const QString dir1Before = c.models.Dir1->Path();
    fixture.drives().makeFile(QStringLiteral("C:\\Quelle\\neu.txt"));
    c.txt_filter->setText(QStringLiteral("*.txt"));
    startHeldRun();

    QTest::keyClick(c.Command1, Qt::Key_Escape);
    // Said while the run is still held, as a folder read that hangs would hold it.
    EXPECT_EQ(c.Label3->text(), QStringLiteral("Wird abgebrochen ..."));
    gate->release();
    ASSERT_TRUE(waitUntilEnded());

    EXPECT_EQ(c.Label3->text(), QStringLiteral("Abgebrochen. Die Ergebnisdatei wurde nicht verändert."));
    EXPECT_EQ(readFile(listFile()), listBefore);
    EXPECT_EQ(QDir(fixture.drives().cRoot()).entryList(QDir::Files | QDir::Hidden), QStringList({"Liste.txt"}));
    EXPECT_EQ(c.Label1->text(), QStringLiteral(" 3 Files"));
    EXPECT_EQ(shownEntries(c.List2), shownBefore);
    EXPECT_EQ(c.models.Dir1->Path(), dir1Before);
}

// Once the list file is being written, the status no longer offers Escape, and Escape
// changes nothing: the write ends.
TEST_F(GenerateTest, WhileTheListFileIsWrittenTheStatusSaysSoAndEscapeWaits)
{
    pickSource(QStringLiteral("C:\\Quelle"));
    const MainControls& c = form->controls();
    gate = std::make_shared<RunGate>(0);
    form->setWriteObserver(RunGate::writeObserver(gate));
    click(c.Command1);
    ASSERT_TRUE(gate->waitUntilHeld());

    const QString writing = QStringLiteral("Ergebnisdatei wird geschrieben ...");
    EXPECT_TRUE(QTest::qWaitFor([&] { return c.Label3->text() == writing; })) << c.Label3->text().toStdString();
    QTest::keyClick(c.Command1, Qt::Key_Escape);
    EXPECT_EQ(c.Label3->text(), writing);
    gate->release();
    ASSERT_TRUE(waitUntilEnded());
    EXPECT_EQ(c.Label3->text(), QStringLiteral("Ergebnisdatei Liste.txt wurde in C:\\  erzeugt"));
}

// Closing the window or leaving through the exit picture waits for the run to stop, then
// unloads as ever: the options saved once, with the working folder of the last completed
// run, and no thread left. The run is held inside its walk, where it reads ahead.
TEST_F(GenerateTest, ClosingDuringARunStopsItFirstAndSavesOnce)
{
    const QList<std::pair<const char*, std::function<void(Form1&)>>> waysOut = {
        {"title bar", [](Form1& window) { window.close(); }},
        {"exit picture", [](Form1& window) { QTest::mouseClick(window.controls().Image2, Qt::LeftButton); }},
    };
    const QStringList threadsBefore = programThreads();
    for (const auto& [way, leave] : waysOut) {
        form = &fixture.load();
        pickSource(QStringLiteral("C:\\Quelle"));
        form->show();
        startHeldRun(2);
        const QStringList threadsHeld = programThreads();
        // With one processor the walk reads its folders itself, and no reader starts.
        QStringList running = {QStringLiteral("korvale-run")};
        if (FolderReads::walkReadsHere() == ReadAhead::WalkReads::Never)
            running.append(QStringLiteral("korvale-rd-1"));
        for (const QString& thread : running)
            EXPECT_TRUE(threadsHeld.contains(thread)) << way << ": " << threadsHeld.join(u' ').toStdString();
        leave(*form);
        EXPECT_TRUE(OpenWindows::instance().windows().contains(form)) << way;
        EXPECT_FALSE(QFile::exists(fixture.settingsFile())) << way;

        gate->release();
        EXPECT_TRUE(QTest::qWaitFor([&] { return !OpenWindows::instance().windows().contains(form); })) << way;
        EXPECT_FALSE(form->isRunning()) << way;
        EXPECT_EQ(programThreads(), threadsBefore) << way;
        EXPECT_TRUE(fixture.settingsText().contains("Dir1=C:\\\n")) << way;
        QFile::remove(fixture.settingsFile());
        fixture.unload();
        EXPECT_FALSE(QFile::exists(fixture.settingsFile())) << way;
    }
}

TEST_F(GenerateTest, PatternAndSwitchAreReadAtEveryRun)
{
    pickSource(QStringLiteral("C:\\Quelle"));
    const MainControls& c = form->controls();
    c.txt_filter->setText(QStringLiteral("*.txt"));
    c.Check1->setChecked(false);
    ASSERT_TRUE(fixture.generate());
    EXPECT_EQ(c.Label1->text(), QStringLiteral(" 2 Files"));
    c.txt_filter->setText(QStringLiteral("*.doc"));
    ASSERT_TRUE(fixture.generate());
    EXPECT_EQ(c.Label1->text(), QStringLiteral(" 0 Files"));
    EXPECT_TRUE(readFile(fixture.drives().host(QStringLiteral("C:\\Liste.txt"))).startsWith("\r\nKorvale 3.0\r\n"));
}

TEST_F(GenerateTest, ListFileGoesWhereTheTargetLabelPointsUnderTheNameInTheBox)
{
    pickSource(QStringLiteral("C:\\Quelle"));
    const MainControls& c = form->controls();
    c.models.Dir3->setPath(QStringLiteral("C:\\Ziel"));
    c.Text1->setText(QStringLiteral("Übersicht.txt"));
    ASSERT_TRUE(fixture.generate());
    EXPECT_EQ(c.Label3->text(), QStringLiteral("Ergebnisdatei Übersicht.txt wurde in C:\\Ziel  erzeugt"));
    EXPECT_TRUE(QFile::exists(fixture.drives().host(QStringLiteral("C:\\Ziel\\Übersicht.txt"))));
}

TEST_F(GenerateTest, MissingTargetFolderGivesTheFailureText)
{
    pickSource(QStringLiteral("C:\\Quelle"));
    fixture.drives().makeFolder(QStringLiteral("C:\\Weg"));
    const MainControls& c = form->controls();
    c.models.Dir3->setPath(QStringLiteral("C:\\Weg"));
    QDir(fixture.drives().host(QStringLiteral("C:\\Weg"))).removeRecursively();
    ASSERT_TRUE(fixture.generate());
    EXPECT_EQ(c.Label3->text(),
              QStringLiteral("Ergebnisdatei konnte nicht erzeugt werden. Der Zielordner existiert nicht."));
}

// Where no thread can be started, the run fails saying so; the window and the old list
// file stay as they were.
TEST_F(GenerateTest, WithoutAThreadTheRunSaysSoAndLeavesTheListFile)
{
    pickSource(QStringLiteral("C:\\Quelle"));
    fixture.drives().makeFile(QStringLiteral("C:\\Liste.txt"), "alt");
    HelperThread::refuseStarts(true);
    const auto allow = qScopeGuard([] { HelperThread::refuseStarts(false); });
    ASSERT_TRUE(fixture.generate());
    EXPECT_EQ(form->controls().Label3->text(),
              QStringLiteral("Ergebnisdatei konnte nicht erzeugt werden. Es konnte kein Arbeitsthread gestartet werden."));
    EXPECT_EQ(readFile(fixture.drives().host(QStringLiteral("C:\\Liste.txt"))), QByteArray("alt"));
}

TEST_F(GenerateTest, VanishedSourceFolderWritesNothingAndSaysSo)
{
    fixture.drives().makeFolder(QStringLiteral("C:\\Fluechtig"));
    pickSource(QStringLiteral("C:\\Fluechtig"));
    QDir(fixture.drives().host(QStringLiteral("C:\\Fluechtig"))).removeRecursively();
    const MainControls& c = form->controls();
    ASSERT_TRUE(fixture.generate());
    EXPECT_EQ(c.Label1->text(), QStringLiteral(" 0 Files"));
    EXPECT_EQ(c.Label3->text(), QStringLiteral("Quellverzeichnis C:\\Fluechtig konnte nicht gelesen werden."));
    EXPECT_FALSE(QFile::exists(fixture.drives().host(QStringLiteral("C:\\Liste.txt"))));
}

TEST_F(GenerateTest, GenerateClosesAnOpenPanelAndLeavesTheTargetLabel)
{
    pickSource(QStringLiteral("C:\\Quelle"));
    const MainControls& c = form->controls();
    click(c.Command3);
    c.Label2->setText(QStringLiteral("C:\\Ziel"));
    ASSERT_TRUE(fixture.generate());
    for (QWidget* member : {c.Line1, c.Line2, c.Line3, c.Line4, static_cast<QWidget*>(c.Text1),
                            static_cast<QWidget*>(c.Drive2), static_cast<QWidget*>(c.Dir3),
                            static_cast<QWidget*>(c.Command4)})
        EXPECT_FALSE(member->isVisibleTo(form)) << member->objectName().toStdString();
    EXPECT_TRUE(c.List2->isVisibleTo(form));
    EXPECT_EQ(c.Label2->text(), QStringLiteral("C:\\Ziel"));
    EXPECT_TRUE(QFile::exists(fixture.drives().host(QStringLiteral("C:\\Ziel\\Liste.txt"))));
}

TEST_F(GenerateTest, LongListFileNameSurvivesSaveAndRestore)
{
    const QString name = QString(40000, u'n') + QStringLiteral(".txt");
    form->controls().Text1->setText(name);
    fixture.unload();
    Form1& again = fixture.load();
    EXPECT_EQ(again.controls().Text1->text(), name);
}

// The rightmost column of an image that is not its top-left pixel's colour.
int inkRight(const QImage& image)
{
    for (int x = image.width() - 1; x >= 0; --x)
        for (int y = 0; y < image.height(); ++y)
            if (image.pixel(x, y) != image.pixel(0, 0))
                return x;
    return -1;
}

TEST_F(GenerateTest, MarkupInAFolderNameIsShownAsItStands)
{
    // '/' cannot stand in a folder name here; everything else of markup can.
    const QString folder = QStringLiteral("C:\\<b>x&amp;<i>y");
    fixture.drives().makeFolder(folder);
    pickSource(QStringLiteral("C:\\Quelle"));
    const MainControls& c = form->controls();
    ASSERT_TRUE(c.models.Dir3->setPath(folder));
    ASSERT_TRUE(fixture.generate());

    EXPECT_EQ(c.Label2->shownText(), folder);
    EXPECT_EQ(c.Label3->shownText(), QStringLiteral("Ergebnisdatei Liste.txt wurde in C:\\<b>x&amp;<i>y  erzeugt"));
    form->show();
    // Drawn as markup, the label would show a bold "x" and end far sooner.
    EXPECT_GE(inkRight(c.Label2->grab().toImage()), c.Label2->fontMetrics().horizontalAdvance(folder) - 3);
}

TEST_F(GenerateTest, LongTargetFolderIsShortenedInTheMiddleAndTheNotesStayInSight)
{
    QString target = QStringLiteral("C:\\Daten\\Projekte\\2024\\Kunde Mustermann GmbH");
    while (target.size() < 108)
        target += QStringLiteral("\\Unterordner");
    target += QStringLiteral("\\Auswertungen");
    fixture.drives().makeFolder(target);
    QFile named(fixture.drives().host(QStringLiteral("C:\\Quelle")) + QStringLiteral("/mit\\Trenner.txt"));
    ASSERT_TRUE(named.open(QIODevice::WriteOnly));
    pickSource(QStringLiteral("C:\\Quelle"));
    const MainControls& c = form->controls();
    ASSERT_TRUE(c.models.Dir3->setPath(target));
    ASSERT_TRUE(fixture.generate());

    const QString message = QStringLiteral("Ergebnisdatei Liste.txt wurde in ") + target
        + QStringLiteral("  erzeugt (1 Dateiname ausgelassen)");
    EXPECT_EQ(c.Label3->text(), message);
    const QString shown = c.Label3->shownText();
    EXPECT_TRUE(shown.startsWith(QStringLiteral("Ergebnisdatei Liste.txt wurde in C:\\"))) << shown.toStdString();
    EXPECT_TRUE(shown.contains(QStringLiteral("\\...\\"))) << shown.toStdString();
    EXPECT_TRUE(shown.endsWith(QStringLiteral("\\Auswertungen  erzeugt (1 Dateiname ausgelassen)"))) << shown.toStdString();
    EXPECT_LE(c.Label3->fontMetrics().horizontalAdvance(shown), c.Label3->width());
    // What a screen reader reads out of the status line is the whole message.
    EXPECT_EQ(QAccessible::queryAccessibleInterface(c.Label3)->text(QAccessible::Name), message);

    EXPECT_EQ(c.Label2->text(), target);
    EXPECT_TRUE(c.Label2->shownText().contains(QStringLiteral("\\...\\"))) << c.Label2->shownText().toStdString();
    EXPECT_TRUE(c.Label2->shownText().endsWith(QStringLiteral("\\Auswertungen")));
    EXPECT_LE(c.Label2->fontMetrics().horizontalAdvance(c.Label2->shownText()), c.Label2->width());

    form->show();
    QHelpEvent hover(QEvent::ToolTip, QPoint(5, 5), c.Label3->mapToGlobal(QPoint(5, 5)));
    QApplication::sendEvent(c.Label3, &hover);
    EXPECT_EQ(shownTip(), message);
    QToolTip::hideText();
}

// The tool tip a hover over a list row brings up; empty when none shows.
QString hoverTip(QAbstractItemView* view, const QModelIndex& index)
{
    const QPoint at = view->visualRect(index).center();
    QHelpEvent hover(QEvent::ToolTip, at, view->viewport()->mapToGlobal(at));
    QApplication::sendEvent(view->viewport(), &hover);
    return shownTip();
}

QModelIndex rowShowing(const QAbstractItemView* view, const QString& text)
{
    const QModelIndexList found = view->model()->match(view->model()->index(0, 0), Qt::DisplayRole, text, 1,
                                                       Qt::MatchFixedString | Qt::MatchCaseSensitive);
    return found.isEmpty() ? QModelIndex() : found.first();
}

TEST_F(GenerateTest, LongPathsShowWholeInAToolTipAndTheScrollBarReachesTheirEnd)
{
    const QString folderName = QString(180, u'f');
    const QString path = QStringLiteral("C:\\Quelle\\") + folderName + u'\\' + QString(106, u'd') + QStringLiteral(".txt");
    ASSERT_GE(path.size(), 300);
    fixture.drives().makeFile(path);
    pickSource(QStringLiteral("C:\\Quelle"));
    const MainControls& c = form->controls();
    ASSERT_TRUE(fixture.generate());
    form->show();

    EXPECT_GE(c.List2->horizontalScrollBar()->maximum() + c.List2->viewport()->width(),
              c.List2->fontMetrics().horizontalAdvance(path));
    // A row that fits shows no tip; one cut at the edge shows its whole path.
    EXPECT_EQ(hoverTip(c.List2, rowShowing(c.List2, QStringLiteral("C:\\Quelle\\A.txt"))), QString());
    EXPECT_EQ(hoverTip(c.List2, rowShowing(c.List2, path)), path);

    const QModelIndex folderRow = rowShowing(c.Dir2, folderName);
    EXPECT_GE(c.Dir2->horizontalScrollBar()->maximum() + c.Dir2->viewport()->width(),
              c.Dir2->visualRect(folderRow).left() + c.Dir2->fontMetrics().horizontalAdvance(folderName));
    EXPECT_EQ(hoverTip(c.Dir2, folderRow), QStringLiteral("C:\\Quelle\\") + folderName);
    QToolTip::hideText();
}

QList<QAccessible::Event>& statusEvents()
{
    static QList<QAccessible::Event> events;
    return events;
}

TEST_F(GenerateTest, EveryEndedRunIsAnnouncedAlsoWhenItsMessageRepeats)
{
    pickSource(QStringLiteral("C:\\Quelle"));
    static const QObject* status = form->controls().Label3;
    QPlatformAccessibility* platform = QGuiApplicationPrivate::platformIntegration()->accessibility();
    ASSERT_NE(platform, nullptr);
    platform->setActive(true);
    QAccessible::installUpdateHandler([](QAccessibleEvent* event) {
        if (event->object() == status)
            statusEvents().append(event->type());
    });
    QList<QString> messages;
    for (int run = 0; run < 2; ++run) {
        statusEvents().clear();
        ASSERT_TRUE(fixture.generate());
        messages.append(form->controls().Label3->text());
        EXPECT_EQ(statusEvents().count(QAccessible::NameChanged), 1) << run;
    }
    QAccessible::installUpdateHandler(nullptr);
    platform->setActive(false);
    EXPECT_EQ(messages[0], messages[1]);
}

TEST(MiddleElisionTest, ShortensTheLongestPieceFoldersFirstThenLetters)
{
    // One unit of width per character.
    auto within = [](int width) { return [width](const QString& text) { return text.size() <= width; }; };
    const struct {
        const char* text;
        QStringList shortenable;
        int width;
        const char* shown;
    } cases[] = {
        {"in C:\\a\\b\\c  erzeugt", {"C:\\a\\b\\c"}, 40, "in C:\\a\\b\\c  erzeugt"},
        {"in C:\\Daten\\Projekte\\2024\\Auswertungen  erzeugt", {"C:\\Daten\\Projekte\\2024\\Auswertungen"}, 40,
         "in C:\\Daten\\...\\Auswertungen  erzeugt"},
        {"in C:\\Daten\\Projekte\\2024\\Auswertungen  erzeugt", {"C:\\Daten\\Projekte\\2024\\Auswertungen"}, 31,
         "in C:\\...\\Auswertungen  erzeugt"},
        {"in C:\\Daten\\Projekte\\2024\\Auswertungen  erzeugt", {"C:\\Daten\\Projekte\\2024\\Auswertungen"}, 27,
         "in C:\\...\\Aus...en  erzeugt"},
        {"in C:\\Daten\\Projekte\\2024\\Auswertungen  erzeugt", {"C:\\Daten\\Projekte\\2024\\Auswertungen"}, 20,
         "in C:\\...en  erzeugt"},
        {"Liste.txt in C:\\Daten\\Projekte\\2024  erzeugt", {"Liste.txt", "C:\\Daten\\Projekte\\2024"}, 34,
         "Liste.txt in C:\\...\\2024  erzeugt"},
        {"abcdefghij", {"nicht darin"}, 7, "ab...ij"},
        {"fix  erzeugt (1 Dateiname ausgelassen)", {"fix"}, 10, "fix  erzeugt (1 Dateiname ausgelassen)"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(MiddleElision::fit(QString::fromUtf8(c.text), c.shortenable, within(c.width)), QString::fromUtf8(c.shown))
            << c.text << " in " << c.width;
}

// A name in another code page than UTF-8 keeps its bytes on disk and in the list file; the
// lists show and sort it as the list file spells it.
TEST_F(GenerateTest, NamesThatAreNotUtf8ShowAndSortAsTheListFileSpellsThem)
{
    fixture.drives().makeFolder(QStringLiteral("C:\\Namen"));
    const QByteArray folder = QFile::encodeName(fixture.drives().host(QStringLiteral("C:\\Namen")));
    for (const QByteArray& name : {QByteArray("cafe.txt"), QByteArray("caf\xE9.txt"), QByteArray("cafz.txt")})
        ::close(::open((folder + '/' + name).constData(), O_CREAT | O_WRONLY, 0644));
    ::mkdir((folder + "/\xC4rger").constData(), 0755);
    pickSource(QStringLiteral("C:\\Namen"));
    const MainControls& c = form->controls();
    ASSERT_TRUE(fixture.generate());

    EXPECT_EQ(shownEntries(c.List2),
              QStringList({"C:\\Namen\\cafe.txt", "C:\\Namen\\café.txt", "C:\\Namen\\cafz.txt"}));
    EXPECT_TRUE(shownEntries(c.Dir2).contains(QStringLiteral("Ärger")));
    EXPECT_TRUE(readFile(fixture.drives().host(QStringLiteral("C:\\Liste.txt"))).contains("C:\\Namen\\caf\xE9.txt\r\n"));
    // The temporary folder cannot remove names it cannot spell.
    ::unlink((folder + "/caf\xE9.txt").constData());
    ::rmdir((folder + "/\xC4rger").constData());
}

} // namespace
