#pragma once

#include "generation/generaterun.h"
#include "generation/stopgrace.h"
#include "listing/folderlooks.h"
#include "mainwindow/maincontrols.h"
#include "windowkit/accessibility.h"

#include <QTimer>
#include <QWidget>

#include <memory>

class BackgroundRun;
class Form2;
class InputHold;
class OptionRestore;
class RunMenu;
class SettingsStore;
struct RestoreResult;

// The main window. Its controls hold all working state; its handlers only decide what
// is shown and hand the work to generation/ and options/.
class Form1 : public QWidget, public AccessibleWindow {
    Q_OBJECT

public:
    // Loads the window: builds its controls and runs Form_Load, which begins to restore the
    // stored options from store. The window is not shown yet; it holds its input until the
    // stored folders have answered, or count as not answering (see restored()).
    explicit Form1(SettingsStore& store, QWidget* parent = nullptr);
    ~Form1() override;

    const MainControls& controls() const { return m_c; }
    Form2* infoWindow() const { return m_form2; }
    RunMenu* runMenu() const { return m_runMenu; }
    bool isRunning() const { return m_run != nullptr; }
    bool isRestoring() const { return m_restoring; }
    const FolderLooks& folderLooks() const { return m_looks; }
    // Called on the run's thread as its walk enters a folder: lets a test hold a run at
    // a known place.
    void setRunObserver(GenerateRun::Progress observer) { m_runObserver = std::move(observer); }
    // The same as a run is about to write its list file.
    void setWriteObserver(std::function<void()> observer) { m_writeObserver = std::move(observer); }
    // Lets a test that holds a run see the program end in a moment, not after StopGrace::kGrace.
    void setStopGrace(std::chrono::milliseconds grace) { m_stopGrace = StopGrace(grace); }

    // The session ends (a signal): as the exit picture, but the options are saved at once,
    // and a run that does not stop in time is left behind.
    void endSession();
    // Saves the options while the window is loaded, as its unload step does.
    void saveOptions();

    void Command1_Click();
    void Command3_Click();
    void Command4_Click();
    void Drive1_Change();
    void Dir2_Change();
    void Drive2_Change();
    void Dir3_Change();
    void Image1_Click();
    void Image2_Click();
    void Image1_MouseMove();
    void Image3_MouseMove();
    void Form_MouseMove();

    // Where the outer frame of a window with this client size and frame goes so that the
    // whole window stands in the middle of the available area.
    static QPoint centredFramePosition(const QRect& available, const QSize& clientSize, const QMargins& frame);

signals:
    // The stored folders are restored as far as they answered.
    void restored();
    // A run the generate button started has ended, completed or stopped: the status line
    // says which.
    void runEnded();

protected:
    void closeEvent(QCloseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void setUpWindow();
    void centreOnScreen(const QMargins& frame);
    void connectHandlers();
    void Form_Load();
    void takeRestoredFolders(const RestoreResult& result);
    void keepDriveWithFolder(FolderList* list, FolderLooks::Outcome outcome);
    void Form_Unload();
    void UnloadAllForms();
    void hidePanel();
    void startRun(GenerateRun::Input input);
    void stopRun();
    void showRunProgress();
    void showRunStatus();
    // What the window does once a run has stopped: a close or the exit picture waits for it.
    // In this order: a later request never undoes a farther-reaching one.
    enum class AfterRun { Stay, Close, Exit };
    void endDuringRun(AfterRun after);
    void forceExitAt(StopGrace::Clock::time_point moment);
    void forceExit();
    void endRun();
    void takeOver(std::unique_ptr<GenerateRun> run, const QList<int>& longestRows);

    SettingsStore& m_store;
    FolderLooks m_looks;
    std::unique_ptr<OptionRestore> m_restore;
    bool m_restoring = false;
    // The hidden controls as the load step or the last completed run left them.
    std::unique_ptr<GenerateRun> m_hidden;
    MainControls m_c;
    Form2* m_form2 = nullptr;
    RunMenu* m_runMenu = nullptr;
    bool m_centredWithFrame = false;
    std::unique_ptr<BackgroundRun> m_run;
    std::unique_ptr<InputHold> m_inputHold;
    GenerateRun::Progress m_runObserver;
    std::function<void()> m_writeObserver;
    QTimer m_progressTimer;
    AfterRun m_afterRun = AfterRun::Stay;
    StopGrace m_stopGrace;
    QTimer m_forcedExitTimer;
    bool m_optionsSavedAtSessionEnd = false;
};
