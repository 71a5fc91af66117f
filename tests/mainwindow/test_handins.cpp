#include "controls/drivecombo.h"
#include "controls/folderview.h"
#include "support/formfixture.h"
#include "text/namecodec.h"
#include "windowkit/openwindows.h"

#include <gtest/gtest.h>

#include <QDropEvent>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QTest>

namespace {

// What the window shows of its source and target.
struct Shown {
    QString dir2;
    QChar drive1;
    QString dir3, label2, text1, label3;
    friend bool operator==(const Shown&, const Shown&) = default;
};

void PrintTo(const Shown& shown, std::ostream* out)
{
    *out << "Dir2 " << shown.dir2.toStdString() << ", Drive1 " << QString(shown.drive1).toStdString() << ", Dir3 "
         << shown.dir3.toStdString() << ", Label2 " << shown.label2.toStdString() << ", Text1 "
         << shown.text1.toStdString() << ", Label3 \"" << shown.label3.toStdString() << '"';
}

Shown shownBy(const MainControls& c)
{
    return {c.models.Dir2->Path(), c.models.Drive1->letter(), c.models.Dir3->Path(), c.Label2->text(),
            c.Text1->text(), c.Label3->text()};
}

QUrl fileUrl(const QString& hostPath) { return QUrl::fromLocalFile(hostPath); }

class HandInsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        fixture.drives().makeFolder(QStringLiteral("C:\\Daten"));
        fixture.drives().makeFile(QStringLiteral("C:\\Daten\\notiz.txt"));
        fixture.drives().makeFolder(QStringLiteral("D:\\Ziel"));
        fixture.drives().makeFile(QStringLiteral("D:\\Ziel\\Bericht.txt"));
    }
    void TearDown() override
    {
        for (QWidget* window : OpenWindows::instance().windows())
            window->close();
    }

    QString host(const char* windowsPath) const { return fixture.drives().host(QString::fromUtf8(windowsPath)); }

    // What the window shows once the hand-in has been taken or refused.
    Shown settled(const MainControls& c)
    {
        EXPECT_TRUE(fixture.settle());
        return shownBy(c);
    }

    FormFixture fixture;
};

TEST_F(HandInsTest, AStartFolderBecomesTheSourceAsIfPicked)
{
    const QByteArray stored = "[Optionen]\nDir2=C:\\Daten\nDir3=C:\\\n";
    const QString storedSource = QStringLiteral("C:\\Daten");
    const struct {
        const char* what;
        QString startFolder;
        Shown expected;
    } cases[] = {
        {"a folder of this machine on another drive", host("D:\\Ziel"),
         {QStringLiteral("D:\\Ziel"), u'D', QStringLiteral("C:\\"), QStringLiteral("C:\\"), QStringLiteral("Liste.txt"), {}}},
        {"a drive-letter path", QStringLiteral("d:/"),
         {QStringLiteral("D:\\"), u'D', QStringLiteral("C:\\"), QStringLiteral("C:\\"), QStringLiteral("Liste.txt"), {}}},
        {"a file", host("C:\\Daten\\notiz.txt"),
         {storedSource, u'C', QStringLiteral("C:\\"), QStringLiteral("C:\\"), QStringLiteral("Liste.txt"),
          QStringLiteral("C:\\Daten\\notiz.txt ist kein Ordner.")}},
        {"nothing there", host("D:\\fehlt"),
         {storedSource, u'C', QStringLiteral("C:\\"), QStringLiteral("C:\\"), QStringLiteral("Liste.txt"),
          QStringLiteral("D:\\fehlt gibt es nicht.")}},
        {"a line break", QStringLiteral("C:\\Zeile\nZeile"),
         {storedSource, u'C', QStringLiteral("C:\\"), QStringLiteral("C:\\"), QStringLiteral("Liste.txt"),
          QStringLiteral("\u201EC:\\Zeile?Zeile\u201C: ein Ordnername darin enthält \\ oder einen Zeilenumbruch und "
                         "lässt sich nicht als Pfad schreiben.")}},
        {"bytes that are no UTF-8", QString::fromUtf8("/nirgends/") + NameCodec::decode("Bl\xe4tter"),
         {storedSource, u'C', QStringLiteral("C:\\"), QStringLiteral("C:\\"), QStringLiteral("Liste.txt"),
          QStringLiteral("\u201E/nirgends/") + NameCodec::decode("Bl\xe4tter")
              + QStringLiteral("\u201C: kein Laufwerk enthält diesen Ordner.")}},
    };
    for (const auto& [what, startFolder, expected] : cases) {
        fixture.writeSettings(stored);
        Form1& form = fixture.load(startFolder);
        EXPECT_EQ(settled(form.controls()), expected) << what;
        form.close();
    }
    // Saved at the end as always: the folder handed in is the stored source now.
    fixture.writeSettings(stored);
    fixture.load(host("D:\\Ziel"));
    settled(fixture.c());
    fixture.unload();
    EXPECT_TRUE(fixture.settingsText().contains("Dir2=D:\\Ziel\n")) << fixture.settingsText().toStdString();
}

// Drags the mime data over the widget as a file manager does and drops it there; whether
// the drop was taken.
bool dragAndDrop(QWidget* target, const QMimeData& data, Qt::DropActions actions = Qt::CopyAction | Qt::MoveAction)
{
    const QPoint at = target->rect().center();
    QDragEnterEvent enter(at, actions, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &enter);
    if (!enter.isAccepted())
        return false;
    QDropEvent drop(at, actions, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &drop);
    return drop.isAccepted() && drop.dropAction() != Qt::MoveAction;
}

QMimeData* urls(const QList<QUrl>& list)
{
    auto* data = new QMimeData;
    data->setUrls(list);
    return data;
}

TEST_F(HandInsTest, FoldersAndFilesDroppedOntoTheSourceAndTheTarget)
{
    Form1& form = fixture.load();
    form.show();
    const MainControls& c = form.controls();
    const struct {
        const char* what;
        QWidget* target;
        QString path;
        Shown expected;
    } cases[] = {
        {"a folder onto the source list", c.Dir2->viewport(), host("D:\\Ziel"),
         {QStringLiteral("D:\\Ziel"), u'D', QStringLiteral("C:\\"), QStringLiteral("C:\\"), QStringLiteral("Liste.txt"), {}}},
        {"a folder onto the source drive", c.Drive1, host("C:\\Daten"),
         {QStringLiteral("C:\\Daten"), u'C', QStringLiteral("C:\\"), QStringLiteral("C:\\"), QStringLiteral("Liste.txt"), {}}},
        {"a folder onto the target label", c.Label2, host("D:\\Ziel"),
         {QStringLiteral("C:\\Daten"), u'C', QStringLiteral("D:\\Ziel"), QStringLiteral("D:\\Ziel"), QStringLiteral("Liste.txt"),
          {}}},
        {"a file onto the target button: its folder", c.Command3, host("C:\\Daten\\notiz.txt"),
         {QStringLiteral("C:\\Daten"), u'C', QStringLiteral("C:\\Daten"), QStringLiteral("C:\\Daten"),
          QStringLiteral("Liste.txt"), {}}},
    };
    for (const auto& [what, target, path, expected] : cases) {
        const std::unique_ptr<QMimeData> data(urls({fileUrl(path)}));
        EXPECT_TRUE(dragAndDrop(target, *data)) << what;
        EXPECT_EQ(settled(c), expected) << what;
    }

    // With the panel open, its drive and folder list take the target too.
    form.Command3_Click();
    const std::unique_ptr<QMimeData> folder(urls({fileUrl(host("D:\\Ziel"))}));
    EXPECT_TRUE(dragAndDrop(c.Dir3->viewport(), *folder));
    EXPECT_EQ(settled(c).dir3, QStringLiteral("D:\\Ziel"));
    const std::unique_ptr<QMimeData> root(urls({fileUrl(host("C:\\"))}));
    EXPECT_TRUE(dragAndDrop(c.Drive2, *root));
    EXPECT_EQ(settled(c).label2, QStringLiteral("C:\\"));
}

TEST_F(HandInsTest, WhatCannotBeTakenGetsTheNoDropPointerOrAStatus)
{
    Form1& form = fixture.load();
    form.show();
    const MainControls& c = form.controls();
    const Shown atStart = shownBy(c);

    // Refused as soon as the drag is seen: nothing usable, or a drag that would move.
    QMimeData text;
    text.setText(QStringLiteral("/tmp"));
    const std::unique_ptr<QMimeData> two(urls({fileUrl(host("C:\\Daten")), fileUrl(host("D:\\Ziel"))}));
    const std::unique_ptr<QMimeData> folder(urls({fileUrl(host("D:\\Ziel"))}));
    EXPECT_FALSE(dragAndDrop(c.Dir2->viewport(), text));
    EXPECT_FALSE(dragAndDrop(c.Label2, *two));
    EXPECT_FALSE(dragAndDrop(c.Dir2->viewport(), *folder, Qt::MoveAction));

    // Refused once the look has answered: a file over the source.
    const std::unique_ptr<QMimeData> file(urls({fileUrl(host("C:\\Daten\\notiz.txt"))}));
    QWidget* source = c.Dir2->viewport();
    QDragEnterEvent enter(source->rect().center(), Qt::CopyAction, file.get(), Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(source, &enter);
    EXPECT_TRUE(QTest::qWaitFor([&] {
        QDragMoveEvent move(source->rect().center(), Qt::CopyAction, file.get(), Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(source, &move);
        return !move.isAccepted();
    }, 3000));
    EXPECT_EQ(shownBy(c), atStart);

    // Taken, and the status line says why nothing changed.
    const std::unique_ptr<QMimeData> remote(urls({QUrl(QStringLiteral("sftp://server/home/anna"))}));
    EXPECT_TRUE(dragAndDrop(source, *remote));
    EXPECT_EQ(c.Label3->text(), QStringLiteral("\u201Esftp://server/home/anna\u201C liegt nicht auf diesem Rechner; nur "
                                               "Ordner dieses Rechners lassen sich übernehmen."));
    EXPECT_EQ(c.models.Dir2->Path(), atStart.dir2);
}

} // namespace
