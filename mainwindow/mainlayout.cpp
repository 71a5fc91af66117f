#include "mainwindow/mainlayout.h"

namespace MainLayout {

const QList<ControlLayout>& table()
{
    using K = ControlLayout::Kind;
    using S = ControlLayout::Shown;
    static const QList<ControlLayout> rows = {
        // name          kind           left  top   width height text                                        shown     tab
        {"Label1",       K::Label,      3000, 1800, 1695, 255,  QString(),                                   S::Yes,   6},
        {"Label2",       K::Label,      4080, 840,  3615, 255,  QStringLiteral("C:\\"),                      S::Yes,   11},
        {"Label3",       K::Label,      120,  4920, 6615, 255,  QString(),                                   S::Yes,   13},
        // Lines: left/top is the first end point, width/height the second.
        {"Line1",        K::Line,       3960, 0,    3960, 4680, QString(),                                   S::No,    -1},
        {"Line2",        K::Line,       6720, 0,    6720, 4680, QString(),                                   S::No,    -1},
        {"Line3",        K::Line,       6720, 4680, 3960, 4680, QString(),                                   S::No,    -1},
        {"Line4",        K::Line,       6720, 0,    3960, 0,    QString(),                                   S::No,    -1},
        {"Image1",       K::Picture,    7245, 45,   525,  645,  QString(),                                   S::Yes,   -1},
        {"Image2",       K::Picture,    7140, 4680, 600,  615,  QString(),                                   S::Yes,   -1},
        {"Label4",       K::Label,      3000, 1080, 675,  255,  QStringLiteral("Filter"),                    S::Yes,   17},
        {"Image3",       K::Picture,    7245, 45,   540,  645,  QString(),                                   S::Yes,   -1},
        {"List2",        K::ListBox,    3045, 1800, 4305, 2790, QString(),                                   S::No,    5},
        {"Command1",     K::Button,     105,  135,  3810, 645,  QStringLiteral("Korvale generieren"),        S::Yes,   4},
        {"Command3",     K::Button,     4080, 135,  2415, 615,  QStringLiteral("Speicherort Zieldatei"),     S::Yes,   8},
        {"Check1",       K::CheckBox,   120,  810,  3615, 255,  QStringLiteral("Unterverzeichnisse berücksichtigen"), S::Yes,   15},
        {"Drive1",       K::DriveList,  120,  1320, 2775, 315,  QString(),                                   S::Yes,   3},
        {"txt_filter",   K::TextBox,    3000, 1320, 855,  315,  QStringLiteral("*.*"),                       S::Yes,   16},
        {"Dir2",         K::FolderList, 120,  1800, 2775, 2790, QString(),                                   S::Yes,   7},
        {"Drive2",       K::DriveList,  4080, 1200, 1815, 315,  QString(),                                   S::No,    9},
        {"Dir3",         K::FolderList, 4080, 1620, 1815, 2565, QString(),                                   S::No,    10},
        {"Command4",     K::Button,     6000, 4080, 615,  495,  QStringLiteral("OK"),                        S::No,    12},
        {"Text1",        K::TextBox,    4080, 4320, 1815, 285,  QStringLiteral("Liste.txt"),                 S::No,    14},
        {"Dir1",         K::FolderList, 1200, 5160, 1455, 315,  QString(),                                   S::Never, 2},
        {"File1",        K::FileList,   2640, 5160, 1935, 1260, QString(),                                   S::Never, 1},
        {"List1",        K::ListBox,    4560, 5160, 1455, 255,  QString(),                                   S::Never, 0},
    };
    return rows;
}

} // namespace MainLayout
