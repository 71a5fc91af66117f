#include "commandline/handedin.h"
#include "support/testdrives.h"
#include "text/namecodec.h"

#include <gtest/gtest.h>

#include <QFile>

#include <sys/stat.h>

namespace {

using HandedIn::Decision;
using HandedIn::Dragged;
using HandedIn::Look;
using HandedIn::Role;
using Action = Decision::Action;
using Standing = Look::Standing;

TEST(HandedIn, ADragNamesOnePathOfThisMachineByItsBytes)
{
    const struct {
        QList<QUrl> urls;
        Dragged::Kind kind;
        QString text;
    } cases[] = {
        {{}, Dragged::Kind::Unusable, {}},
        {{QUrl()}, Dragged::Kind::Unusable, {}},
        {{QUrl("file:///a"), QUrl("file:///b")}, Dragged::Kind::Unusable, {}},
        {{QUrl("file:///home/anna/Daten/")}, Dragged::Kind::Local, QStringLiteral("/home/anna/Daten/")},
        {{QUrl("file:///tmp/%C3%9Cbersicht%20neu")}, Dragged::Kind::Local, QStringLiteral("/tmp/Übersicht neu")},
        {{QUrl("file:///tmp/Bl%E4tter")}, Dragged::Kind::Local, NameCodec::decode("/tmp/Bl\xe4tter")},
        {{QUrl("file://localhost/tmp/x")}, Dragged::Kind::Local, QStringLiteral("/tmp/x")},
        {{QUrl("file://nas/daten")}, Dragged::Kind::Remote, QStringLiteral("file://nas/daten")},
        {{QUrl("sftp://anna@server/home/anna")}, Dragged::Kind::Remote, QStringLiteral("sftp://anna@server/home/anna")},
    };
    for (const auto& [urls, kind, text] : cases) {
        const Dragged dragged = HandedIn::fromUrls(urls);
        EXPECT_EQ(dragged.kind, kind) << (urls.isEmpty() ? "none" : urls.first().toString().toStdString());
        EXPECT_EQ(dragged.text, text);
    }
}

TEST(HandedIn, ALookTellsFoldersFilesListsAndWhatIsNoneOfThem)
{
    const TestDrives drives;
    drives.makeFolder(QStringLiteral("C:\\Daten"));
    drives.makeFile(QStringLiteral("C:\\Daten\\notiz.txt"));
    drives.makeFile(QStringLiteral("C:\\Daten\\Liste.txt"));
    ASSERT_EQ(mkfifo(QFile::encodeName(drives.host(QStringLiteral("C:\\Rohr"))).constData(), 0600), 0);
    const HandedIn::ListTest isList = [](const QByteArray& host) { return host.endsWith("/Liste.txt"); };

    const struct {
        QString text;
        Look expected;
    } cases[] = {
        {drives.host(QStringLiteral("C:\\Daten")), {Standing::Folder, {}, QStringLiteral("C:\\Daten")}},
        {QStringLiteral("c:/Daten/"), {Standing::Folder, {}, QStringLiteral("C:\\Daten")}},
        {drives.host(QStringLiteral("C:\\Daten\\notiz.txt")), {Standing::File, {}, QStringLiteral("C:\\Daten\\notiz.txt")}},
        {QStringLiteral("C:\\Daten\\Liste.txt"), {Standing::ListFile, {}, QStringLiteral("C:\\Daten\\Liste.txt")}},
        {QStringLiteral("C:\\Rohr"), {Standing::Other, {}, QStringLiteral("C:\\Rohr")}},
        {QStringLiteral("C:\\fehlt"), {Standing::Missing, {}, QStringLiteral("C:\\fehlt")}},
        {QStringLiteral("C:\\Daten\\notiz.txt\\x"), {Standing::Missing, {}, QStringLiteral("C:\\Daten\\notiz.txt\\x")}},
        {QStringLiteral("E:\\"), {Standing::Missing, {}, QStringLiteral("E:\\")}},
        {QStringLiteral("C:\\Zeile\nZeile"), {Standing::NotMapped, FolderArgument::Mapped::Failure::NameCannotStand, {}}},
        {QStringLiteral("Q:\\"), {Standing::Missing, {}, QStringLiteral("Q:\\")}},
        {QStringLiteral("/proc"), {Standing::NotMapped, FolderArgument::Mapped::Failure::NoDrive, {}}},
    };
    for (const auto& [text, expected] : cases) {
        const Look look = HandedIn::lookAt(text, "/", DriveTable::active(), isList);
        EXPECT_EQ(look.standing, expected.standing) << text.toStdString();
        EXPECT_EQ(look.mapping, expected.mapping) << text.toStdString();
        EXPECT_EQ(look.path, expected.path) << text.toStdString();
    }
}

TEST(HandedIn, WhatALookMeansForTheSourceAndTheTarget)
{
    const auto look = [](Standing standing, const char* path) { return Look{standing, {}, QString::fromUtf8(path)}; };
    const struct {
        Role role;
        Look look;
        bool accepted;
        Decision decision;
    } cases[] = {
        {Role::Source, look(Standing::Folder, "C:\\Daten"), true, {Action::SetSource, QStringLiteral("C:\\Daten"), {}, {}}},
        {Role::Target, look(Standing::Folder, "D:\\"), true, {Action::SetTarget, QStringLiteral("D:\\"), {}, {}}},
        {Role::Target, look(Standing::File, "C:\\Daten\\a.txt"), true, {Action::SetTarget, QStringLiteral("C:\\Daten"), {}, {}}},
        {Role::Target, look(Standing::ListFile, "C:\\Liste neu.txt"), true,
         {Action::SetTarget, QStringLiteral("C:\\"), QStringLiteral("Liste neu.txt"), {}}},
        {Role::Source, look(Standing::ListFile, "C:\\Liste.txt"), false,
         {Action::Explain, QStringLiteral("C:\\Liste.txt"), {}, QStringLiteral("C:\\Liste.txt ist kein Ordner.")}},
        {Role::Target, look(Standing::Other, "C:\\Rohr"), false,
         {Action::Explain, QStringLiteral("C:\\Rohr"), {}, QStringLiteral("C:\\Rohr ist kein Ordner.")}},
        {Role::Source, look(Standing::Missing, "C:\\fehlt"), false,
         {Action::Explain, QStringLiteral("C:\\fehlt"), {}, QStringLiteral("C:\\fehlt gibt es nicht.")}},
        {Role::Source, look(Standing::UnreadableFolder, "C:\\privat"), true,
         {Action::Explain, QStringLiteral("C:\\privat"), {}, QStringLiteral("Der Ordner C:\\privat lässt sich nicht lesen.")}},
        {Role::Target, look(Standing::Unreadable, "C:\\privat\\x"), true,
         {Action::Explain, QStringLiteral("C:\\privat\\x"), {}, QStringLiteral("Auf C:\\privat\\x besteht kein Zugriff.")}},
        {Role::Source, look(Standing::NoAnswer, ""), true,
         {Action::Explain, QStringLiteral("/net/nas?"), {}, QStringLiteral("/net/nas? antwortet nicht.")}},
        {Role::Source, {Standing::NotMapped, FolderArgument::Mapped::Failure::NoDrive, {}}, true,
         {Action::Explain, {}, {}, QStringLiteral("\u201E/net/nas?\u201C: kein Laufwerk enthält diesen Ordner.")}},
    };
    for (const auto& [role, given, accepted, expected] : cases) {
        const std::string what = given.path.toStdString() + (role == Role::Source ? " as source" : " as target");
        EXPECT_EQ(HandedIn::accepts(role, given), accepted) << what;
        const Decision decision = HandedIn::decide(role, given, QStringLiteral("/net/nas\n"));
        EXPECT_EQ(decision.action, expected.action) << what;
        EXPECT_EQ(decision.folder, expected.folder) << what;
        EXPECT_EQ(decision.listFileName, expected.listFileName) << what;
        EXPECT_EQ(decision.status, expected.status) << what;
    }
    EXPECT_EQ(HandedIn::remote(QStringLiteral("sftp://server/x")).status,
              QStringLiteral("\u201Esftp://server/x\u201C liegt nicht auf diesem Rechner; nur Ordner dieses Rechners "
                             "lassen sich übernehmen."));
}

} // namespace
