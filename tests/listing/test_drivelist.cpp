#include "drives/drivetable.h"
#include "listing/drivelist.h"
#include "support/testdrives.h"

#include <gtest/gtest.h>

#include <QAbstractItemModelTester>
#include <QFile>

using namespace Qt::StringLiterals;

namespace {

class DriveListTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        QObject::connect(&list, &DriveList::Change, [this] { seen.append(list.Drive()); });
    }

    TestDrives drives;
    DriveList list{ListStart::CurrentFolder};
    QAbstractItemModelTester tester{&list, QAbstractItemModelTester::FailureReportingMode::Fatal};
    QStringList seen;
};

TEST_F(DriveListTest, DriveReadsLowerCaseLetterColonAndHostFolder)
{
    EXPECT_EQ(list.letter(), u'C');
    EXPECT_EQ(list.Drive(), u"c: ["_s + drives.cRoot() + u']');
    EXPECT_EQ(DriveList::driveText(u'd'), u"d: ["_s + drives.dRoot() + u']');
    EXPECT_EQ(DriveList::driveText(u'Q'), QString());
}

TEST_F(DriveListTest, RowsAreTheDrivesOfTheTable)
{
    ASSERT_EQ(list.rowCount(), 3);
    const QString expected[] = {DriveList::driveText(u'C'), DriveList::driveText(u'D'), DriveList::driveText(u'E')};
    for (int row = 0; row < 3; ++row) {
        EXPECT_EQ(list.index(row).data().toString(), expected[row]);
        EXPECT_EQ(list.index(row).data(DriveList::LetterRole).toChar(), QChar(char16_t(u'C' + row)));
    }
    EXPECT_EQ(list.rowOf(u'd'), 1);
    EXPECT_EQ(list.rowOf(u'Q'), -1);
}

TEST_F(DriveListTest, ChangeIsRaisedOncePerRealChangeAndNeverForTheSameDrive)
{
    const QString dText = DriveList::driveText(u'D');
    const QString cText = DriveList::driveText(u'C');
    const struct {
        QString written;
        bool accepted;
        QChar letterAfter;
        bool changed;
    } steps[] = {
        {u"C:\\"_s, true, u'C', false},
        {cText, true, u'C', false},
        {u"c:"_s, true, u'C', false},
        {u"D:\\"_s, true, u'D', true},
        {u"d:\\Daten\\Unter"_s, true, u'D', false},
        {dText, true, u'D', false},
        {u"Q:\\"_s, false, u'D', false},
        {u""_s, false, u'D', false},
        {u"\\"_s, false, u'D', false},
        {cText, true, u'C', true},
        {u"e:\\"_s, true, u'E', true},
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(step.written.toStdString());
        const qsizetype before = seen.size();
        EXPECT_EQ(list.setDrive(step.written), step.accepted);
        EXPECT_EQ(list.letter(), step.letterAfter);
        EXPECT_EQ(seen.size() - before, step.changed ? 1 : 0);
    }
    EXPECT_EQ(seen, QStringList({dText, cText, DriveList::driveText(u'E')}));
}

} // namespace
