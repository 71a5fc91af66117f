#pragma once

#include "controls/drivecombo.h"
#include "controls/elidinglabel.h"
#include "controls/folderview.h"
#include "controls/picturebutton.h"
#include "listing/drivelist.h"
#include "listing/filelist.h"
#include "listing/folderlist.h"
#include "listing/listbox.h"
#include "mainwindow/form1.h"
#include "settings/settingsstore.h"
#include "support/qtprinters.h"
#include "support/testdrives.h"

#include <QTemporaryDir>

#include <memory>

// A main window over test drives (C:, D:, a not-ready E:) with its own settings file,
// so that no test touches the real home folder or the user's stored options.
class FormFixture {
public:
    FormFixture();
    ~FormFixture();

    // Loads a new main window (its load step restores from the settings file) and waits
    // until its stored folders have answered.
    Form1& load();
    // The same without waiting: the window as it stands when its constructor returns.
    Form1& startLoading();
    // Waits until every folder the window asked for has answered (see FolderLooks); false
    // when one has not within ten seconds.
    bool settle();
    Form1& form() { return *m_form; }
    const MainControls& c() const { return m_form->controls(); }
    void unload();
    // Presses the generate button and waits until the run has ended; false when it does not.
    bool generate();

    const TestDrives& drives() const { return m_drives; }
    SettingsStore& store() { return m_store; }
    QString settingsFile() const { return m_config.filePath(QStringLiteral("Korvale.ini")); }
    // Writes a settings file by hand before load().
    void writeSettings(const QByteArray& ini) const;
    QByteArray settingsText() const;

private:
    TestDrives m_drives;
    QTemporaryDir m_config;
    SettingsStore m_store;
    std::unique_ptr<Form1> m_form;
};
