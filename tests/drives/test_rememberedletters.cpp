#include "drives/rememberedletters.h"
#include "support/qtprinters.h"

#include <gtest/gtest.h>

namespace {

// "E=uuid:A@7" is E: for uuid:A, last mounted on the 7th of December 2026.
RememberedLetters lettersOf(const QStringList& lines)
{
    RememberedLetters letters;
    for (const QString& line : lines) {
        const qsizetype at = line.indexOf(u'@');
        EXPECT_TRUE(letters.remember(line[0], {line.sliced(2, at - 2), QDate(2026, 12, line.sliced(at + 1).toInt())}))
            << line.toStdString();
    }
    return letters;
}

QStringList linesOf(const RememberedLetters& letters)
{
    QStringList lines;
    for (auto it = letters.volumes().cbegin(); it != letters.volumes().cend(); ++it)
        lines.append(QString(it.key()) + u'=' + it->identity + u'@' + QString::number(it->lastMounted.day()));
    return lines;
}

TEST(RememberedLetters, OneLetterPerVolumeAndOnlyDToY)
{
    RememberedLetters letters = lettersOf({"E=uuid:A@7"});
    const struct {
        const char* what;
        QChar letter;
        QString identity;
        bool taken;
    } cases[] = {
        {"C: stays the home folder", u'C', QStringLiteral("uuid:B"), false},
        {"Z: stays the root", u'Z', QStringLiteral("uuid:B"), false},
        {"a small letter is no drive", u'f', QStringLiteral("uuid:B"), false},
        {"no volume without identity", u'F', QString(), false},
        {"a volume held by another letter", u'F', QStringLiteral("uuid:A"), false},
        {"a letter given anew", u'E', QStringLiteral("uuid:B"), true},
    };
    for (const auto& [what, letter, identity, taken] : cases)
        EXPECT_EQ(letters.remember(letter, {identity, {}}), taken) << what;
    EXPECT_EQ(linesOf(letters), QStringList({"E=uuid:B@0"}));
}

TEST(RememberedLetters, AMergeKeepsWhatOthersWroteSinceAndAddsWhatThisSessionLearnt)
{
    const struct {
        const char* what;
        QStringList read, now, inFile, merged;
    } cases[] = {
        {"another window's letter stays", {}, {"D=uuid:A@7"}, {"E=uuid:B@7"}, {"D=uuid:A@7", "E=uuid:B@7"}},
        {"a line the person deleted stays deleted", {"D=uuid:A@7"}, {"D=uuid:A@8"}, {}, {}},
        {"a volume met this session is added", {"D=uuid:A@7"}, {"D=uuid:A@8", "E=uuid:N@8"}, {"D=uuid:A@7"},
         {"D=uuid:A@8", "E=uuid:N@8"}},
        {"the later day of the two", {"D=uuid:A@7"}, {"D=uuid:A@8"}, {"D=uuid:A@9"}, {"D=uuid:A@9"}},
        {"a letter another window gave meanwhile stays theirs", {}, {"E=uuid:N@8"}, {"E=uuid:M@8"}, {"E=uuid:M@8"}},
        {"a volume another window gave another letter keeps it", {}, {"E=uuid:N@8"}, {"F=uuid:N@8"}, {"F=uuid:N@8"}},
        {"a letter given anew takes the place of the old volume", {"H=uuid:Alt@1"}, {"H=uuid:N@8"}, {"H=uuid:Alt@1"},
         {"H=uuid:N@8"}},
        {"unless someone else changed the line meanwhile", {"H=uuid:Alt@1"}, {"H=uuid:N@8"}, {"H=uuid:M@8"},
         {"H=uuid:M@8"}},
        {"a letter given anew whose old line was deleted", {"H=uuid:Alt@1"}, {"H=uuid:N@8"}, {}, {"H=uuid:N@8"}},
    };
    for (const auto& [what, read, now, inFile, merged] : cases) {
        EXPECT_EQ(linesOf(RememberedLetters::merged(lettersOf(read), lettersOf(now), lettersOf(inFile))), merged)
            << what;
    }
}

} // namespace
