#include "listing/listbox.h"
#include "support/formfixture.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QTest>

namespace {

QByteArray readFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
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

    void pickSource(const QString& folder) { ASSERT_TRUE(form->controls().dir2->setPath(folder)); }
    void click(QPushButton* button) { QTest::mouseClick(button, Qt::LeftButton); }

    FormFixture fixture;
    Form1* form = nullptr;
};

TEST_F(GenerateTest, OneClickWritesTheListFileAndSetsCountAndStatus)
{
    pickSource(QStringLiteral("C:\\Quelle"));
    const MainControls& c = form->controls();
    click(c.Command1);

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
}

TEST_F(GenerateTest, PatternAndSwitchAreReadAtEveryRun)
{
    pickSource(QStringLiteral("C:\\Quelle"));
    const MainControls& c = form->controls();
    c.txt_filter->setText(QStringLiteral("*.txt"));
    c.Check1->setChecked(false);
    click(c.Command1);
    EXPECT_EQ(c.Label1->text(), QStringLiteral(" 2 Files"));
    c.txt_filter->setText(QStringLiteral("*.doc"));
    click(c.Command1);
    EXPECT_EQ(c.Label1->text(), QStringLiteral(" 0 Files"));
    EXPECT_TRUE(readFile(fixture.drives().host(QStringLiteral("C:\\Liste.txt"))).startsWith("\r\nKorvale 3.0\r\n"));
}

TEST_F(GenerateTest, ListFileGoesWhereTheTargetLabelPointsUnderTheNameInTheBox)
{
    pickSource(QStringLiteral("C:\\Quelle"));
    const MainControls& c = form->controls();
    c.dir3->setPath(QStringLiteral("C:\\Ziel"));
    c.Text1->setText(QStringLiteral("Übersicht.txt"));
    click(c.Command1);
    EXPECT_EQ(c.Label3->text(), QStringLiteral("Ergebnisdatei Übersicht.txt wurde in C:\\Ziel  erzeugt"));
    EXPECT_TRUE(QFile::exists(fixture.drives().host(QStringLiteral("C:\\Ziel\\Übersicht.txt"))));
}

TEST_F(GenerateTest, MissingTargetFolderGivesTheFailureText)
{
    pickSource(QStringLiteral("C:\\Quelle"));
    fixture.drives().makeFolder(QStringLiteral("C:\\Weg"));
    const MainControls& c = form->controls();
    c.dir3->setPath(QStringLiteral("C:\\Weg"));
    QDir(fixture.drives().host(QStringLiteral("C:\\Weg"))).removeRecursively();
    click(c.Command1);
    EXPECT_EQ(c.Label3->text(),
              QStringLiteral("Ergebnisdatei konnte nicht erzeugt werden. Der Zielordner existiert nicht."));
}

TEST_F(GenerateTest, VanishedSourceFolderWritesNothingAndSaysSo)
{
    fixture.drives().makeFolder(QStringLiteral("C:\\Fluechtig"));
    pickSource(QStringLiteral("C:\\Fluechtig"));
    QDir(fixture.drives().host(QStringLiteral("C:\\Fluechtig"))).removeRecursively();
    const MainControls& c = form->controls();
    click(c.Command1);
    EXPECT_EQ(c.Label1->text(), QStringLiteral(" 0 Files"));
    EXPECT_EQ(c.Label3->text(), QStringLiteral("Quellverzeichnis C:\\Fluechtig konnte nicht gelesen werden."));
    EXPECT_FALSE(QFile::exists(fixture.drives().host(QStringLiteral("C:\\Liste.txt"))));
}

TEST_F(GenerateTest, ResultListSortsLetterCaseNotCounted)
{
    ListBox& list = *form->controls().list2;
    for (const char* path : {"D:\\b.txt", "C:\\z.txt", "c:\\a.txt"})
        list.AddItem(QString::fromLatin1(path));
    ASSERT_EQ(list.ListCount(), 3);
    EXPECT_EQ(shownEntries(form->controls().List2), QStringList({"c:\\a.txt", "C:\\z.txt", "D:\\b.txt"}));
}

TEST_F(GenerateTest, GenerateClosesAnOpenPanelAndLeavesTheTargetLabel)
{
    pickSource(QStringLiteral("C:\\Quelle"));
    const MainControls& c = form->controls();
    click(c.Command3);
    c.Label2->setText(QStringLiteral("C:\\Ziel"));
    click(c.Command1);
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

} // namespace
