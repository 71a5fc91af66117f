#include "controls/drivecombo.h"
#include "controls/folderview.h"
#include "listing/drivelist.h"
#include "listing/folderlist.h"
#include "support/formfixture.h"
#include "support/stallingshare.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMessageBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

namespace {

class PickersTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        fixture.drives().makeFolder(QStringLiteral("C:\\Quelle\\Tief\\Tiefer"));
        fixture.drives().makeFolder(QStringLiteral("C:\\Ziel"));
        fixture.drives().makeFolder(QStringLiteral("D:\\Daten\\Archiv"));
        form = &fixture.load();
        c = &form->controls();
    }

    int rowOfPath(const FolderList& list, const QString& path) const
    {
        for (int row = 0; row < list.rowCount(); ++row) {
            if (list.index(row).data(FolderList::PathRole).toString() == path)
                return row;
        }
        return -1;
    }

    QMessageBox* openMessageBox() const { return form->findChild<QMessageBox*>(); }

    FormFixture fixture;
    Form1* form = nullptr;
    const MainControls* c = nullptr;
};

TEST_F(PickersTest, PickingADriveMovesTheSourceFolderAndTheCascadeEnds)
{
    QSignalSpy driveChanges(c->models.Drive1, &DriveList::Change);
    QSignalSpy folderChanges(c->models.Dir2, &FolderList::Change);
    emit c->Drive1->activated(c->models.Drive1->rowOf(u'D'));
    ASSERT_TRUE(fixture.settle());
    EXPECT_EQ(c->models.Dir2->Path(), QStringLiteral("D:\\"));
    EXPECT_EQ(c->Drive1->currentIndex(), c->models.Drive1->rowOf(u'D'));
    EXPECT_EQ(driveChanges.count(), 1);
    EXPECT_EQ(folderChanges.count(), 1);
}

TEST_F(PickersTest, OpeningAFolderOnTheShownDriveChangesNoDrive)
{
    QSignalSpy driveChanges(c->models.Drive1, &DriveList::Change);
    c->Dir2->open(c->models.Dir2->index(rowOfPath(*c->models.Dir2, QStringLiteral("C:\\Quelle"))));
    ASSERT_TRUE(fixture.settle());
    EXPECT_EQ(c->models.Dir2->Path(), QStringLiteral("C:\\Quelle"));
    EXPECT_EQ(driveChanges.count(), 0);
}

TEST_F(PickersTest, ADriveReturnsToTheFolderTheListLastStoodOnThere)
{
    ASSERT_TRUE(c->models.Dir2->setPath(QStringLiteral("D:\\Daten\\Archiv")));
    EXPECT_EQ(c->models.Drive1->letter(), u'D');
    emit c->Drive1->activated(c->models.Drive1->rowOf(u'C'));
    ASSERT_TRUE(fixture.settle());
    EXPECT_EQ(c->models.Dir2->Path(), QStringLiteral("C:\\"));
    emit c->Drive1->activated(c->models.Drive1->rowOf(u'D'));
    ASSERT_TRUE(fixture.settle());
    EXPECT_EQ(c->models.Dir2->Path(), QStringLiteral("D:\\Daten\\Archiv"));
}

TEST_F(PickersTest, TargetDrivePickReachesTheLabelBeforeOk)
{
    form->Command3_Click();
    emit c->Drive2->activated(c->models.Drive2->rowOf(u'D'));
    ASSERT_TRUE(fixture.settle());
    EXPECT_EQ(c->models.Dir3->Path(), QStringLiteral("D:\\"));
    EXPECT_EQ(c->Label2->text(), QStringLiteral("D:\\"));
    EXPECT_TRUE(c->Dir3->isVisibleTo(form));
}

TEST_F(PickersTest, TargetFolderTakesEffectWithoutOkAndOkCopiesIt)
{
    form->Command3_Click();
    c->Dir3->open(c->models.Dir3->index(rowOfPath(*c->models.Dir3, QStringLiteral("C:\\Ziel"))));
    ASSERT_TRUE(fixture.settle());
    EXPECT_EQ(c->Label2->text(), QStringLiteral("C:\\Ziel"));
    c->Label2->setText(QStringLiteral("C:\\"));
    QTest::mouseClick(c->Command4, Qt::LeftButton);
    EXPECT_EQ(c->Label2->text(), QStringLiteral("C:\\Ziel"));
}

TEST_F(PickersTest, AnUnrestoredTargetPutsDir3OnTheLabelsRoot)
{
    // The lists begin at the process's current folder; a stored target that is gone is not
    // restored, and Dir3 goes to the root the label shows, so OK changes nothing.
    fixture.unload();
    fixture.writeSettings("[Optionen]\nDir3=C:\\Geloescht\n");
    const QString previous = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(fixture.drives().host(QStringLiteral("C:\\Ziel"))));
    Form1& again = fixture.load();
    QDir::setCurrent(previous);
    const MainControls& m = again.controls();
    EXPECT_EQ(m.models.Dir3->Path(), QStringLiteral("C:\\"));
    EXPECT_EQ(m.Label2->text(), QStringLiteral("C:\\"));
    again.Command3_Click();
    again.Command4_Click();
    EXPECT_EQ(m.Label2->text(), QStringLiteral("C:\\"));
}

TEST_F(PickersTest, PanelOpensClosesAndOnlyGenerateShowsTheResultList)
{
    const QList<QWidget*> members = {c->Line1, c->Line2, c->Line3, c->Line4, c->Text1, c->Drive2, c->Dir3, c->Command4};
    auto membersShown = [&] {
        int shown = 0;
        for (QWidget* member : members)
            shown += member->isVisibleTo(form) ? 1 : 0;
        return shown;
    };
    ASSERT_TRUE(fixture.generate());
    EXPECT_TRUE(c->List2->isVisibleTo(form));
    QTest::mouseClick(c->Command3, Qt::LeftButton);
    EXPECT_EQ(membersShown(), 8);
    EXPECT_FALSE(c->List2->isVisibleTo(form));
    QTest::mouseClick(c->Command3, Qt::LeftButton);
    EXPECT_EQ(membersShown(), 8);
    QTest::mouseClick(c->Command4, Qt::LeftButton);
    EXPECT_EQ(membersShown(), 0);
    EXPECT_FALSE(c->List2->isVisibleTo(form));
    ASSERT_TRUE(fixture.generate());
    EXPECT_TRUE(c->List2->isVisibleTo(form));
}

TEST_F(PickersTest, NotReadyDriveIsRefusedInBothPickersWithAMessage)
{
    for (DriveCombo* combo : {c->Drive1, c->Drive2}) {
        DriveList* drives = combo == c->Drive1 ? c->models.Drive1 : c->models.Drive2;
        const QChar before = drives->letter();
        QSignalSpy changes(drives, &DriveList::Change);
        emit combo->activated(drives->rowOf(u'E'));
        ASSERT_TRUE(fixture.settle());
        EXPECT_EQ(drives->letter(), before);
        EXPECT_EQ(changes.count(), 0);
        EXPECT_EQ(combo->currentIndex(), drives->rowOf(before));
        QMessageBox* box = openMessageBox();
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(box->text(), QStringLiteral("Laufwerk e: ist nicht bereit."));
        box->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
}

TEST_F(PickersTest, VanishedFolderIsNotEnteredAndTheListIsReadAfresh)
{
    ASSERT_TRUE(c->models.Dir2->setPath(QStringLiteral("C:\\Quelle")));
    const int row = rowOfPath(*c->models.Dir2, QStringLiteral("C:\\Quelle\\Tief"));
    ASSERT_GE(row, 0);
    QDir(fixture.drives().host(QStringLiteral("C:\\Quelle\\Tief"))).removeRecursively();
    QSignalSpy changes(c->models.Dir2, &FolderList::Change);
    c->Dir2->open(c->models.Dir2->index(row));
    ASSERT_TRUE(fixture.settle());
    EXPECT_EQ(c->models.Dir2->Path(), QStringLiteral("C:\\Quelle"));
    EXPECT_EQ(c->models.Dir2->ListCount(), 0);
    EXPECT_EQ(changes.count(), 0);
}

TEST_F(PickersTest, SingleClickSelectsAndDoubleClickOrEnterOpens)
{
    c->Dir2->show();
    form->show();
    const QModelIndex quelle = c->models.Dir2->index(rowOfPath(*c->models.Dir2, QStringLiteral("C:\\Quelle")));
    const QPoint centre = c->Dir2->visualRect(quelle).center();
    QTest::mouseClick(c->Dir2->viewport(), Qt::LeftButton, {}, centre);
    EXPECT_EQ(c->models.Dir2->Path(), QStringLiteral("C:\\"));
    EXPECT_EQ(c->Dir2->currentIndex(), quelle);
    QTest::keyClick(c->Dir2, Qt::Key_Return);
    ASSERT_TRUE(fixture.settle());
    EXPECT_EQ(c->models.Dir2->Path(), QStringLiteral("C:\\Quelle"));
    QCoreApplication::processEvents();
    const QModelIndex tief = c->models.Dir2->index(rowOfPath(*c->models.Dir2, QStringLiteral("C:\\Quelle\\Tief")));
    // For a widget QTest sends the second press of a double click alone: the first comes first.
    const QPoint tiefCentre = c->Dir2->visualRect(tief).center();
    QTest::mouseClick(c->Dir2->viewport(), Qt::LeftButton, {}, tiefCentre);
    EXPECT_EQ(c->models.Dir2->Path(), QStringLiteral("C:\\Quelle"));
    QTest::mouseDClick(c->Dir2->viewport(), Qt::LeftButton, {}, tiefCentre);
    ASSERT_TRUE(fixture.settle());
    EXPECT_EQ(c->models.Dir2->Path(), QStringLiteral("C:\\Quelle\\Tief"));
    form->close();
}

TEST_F(PickersTest, WalkLeavesTheSourcePickersWhereTheUserPutThem)
{
    ASSERT_TRUE(c->models.Dir2->setPath(QStringLiteral("C:\\Quelle")));
    QSignalSpy driveChanges(c->models.Drive1, &DriveList::Change);
    QSignalSpy folderChanges(c->models.Dir2, &FolderList::Change);
    ASSERT_TRUE(fixture.generate());
    EXPECT_EQ(c->models.Dir1->Path(), QStringLiteral("C:\\Quelle\\Tief\\Tiefer"));
    EXPECT_EQ(c->models.Dir2->Path(), QStringLiteral("C:\\Quelle"));
    EXPECT_EQ(driveChanges.count(), 0);
    EXPECT_EQ(folderChanges.count(), 0);
}

// A double click into a folder of a share that died since it was listed: the window goes
// on answering, then says the folder does not answer, and the list stays where it was. A
// pick made meanwhile stands, whatever the dead folder answers later.
TEST_F(PickersTest, ADeadFolderNeverHoldsTheWindowAndALaterPickStands)
{
    fixture.drives().makeFolder(QStringLiteral("D:\\Netz"));
    StallingShare share(QFile::encodeName(fixture.drives().host(QStringLiteral("D:\\Netz"))));
    if (!share.mounted())
        GTEST_SKIP() << share.missingReason().toStdString();
    ASSERT_TRUE(c->models.Dir2->setPath(QStringLiteral("D:\\Netz")));
    QSignalSpy changes(c->models.Dir2, &FolderList::Change);
    bool answering = false;
    QTimer::singleShot(100, form, [&answering] { answering = true; });
    c->Dir2->open(c->models.Dir2->index(rowOfPath(*c->models.Dir2, QStringLiteral("D:\\Netz\\haengt"))));
    EXPECT_TRUE(QTest::qWaitFor([&answering] { return answering; }, 1000));
    EXPECT_TRUE(form->folderLooks().isLooking());
    ASSERT_TRUE(fixture.settle());
    QMessageBox* box = openMessageBox();
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->text(), QStringLiteral("Der Ordner D:\\Netz\\haengt antwortet nicht."));
    box->close();
    EXPECT_EQ(c->models.Dir2->Path(), QStringLiteral("D:\\Netz"));
    EXPECT_EQ(changes.count(), 0);

    // On a share of its own, as the first one takes no further look for now: a live folder
    // that answers late, and a drive picked before it did.
    fixture.drives().makeFolder(QStringLiteral("D:\\Netz2"));
    StallingShare slow(QFile::encodeName(fixture.drives().host(QStringLiteral("D:\\Netz2"))));
    ASSERT_TRUE(slow.mounted());
    ASSERT_TRUE(c->models.Dir2->setPath(QStringLiteral("D:\\Netz2")));
    slow.freeze();
    c->Dir2->open(c->models.Dir2->index(rowOfPath(*c->models.Dir2, QStringLiteral("D:\\Netz2\\lebt"))));
    emit c->Drive1->activated(c->models.Drive1->rowOf(u'C'));
    QTest::qWait(100);
    slow.thaw();
    ASSERT_TRUE(fixture.settle());
    QTest::qWait(200);
    EXPECT_EQ(c->models.Dir2->Path(), QStringLiteral("C:\\"));
    EXPECT_EQ(c->models.Drive1->letter(), u'C');
    EXPECT_EQ(openMessageBox(), nullptr);
}

} // namespace
