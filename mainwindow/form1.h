#pragma once

#include "background/stopgrace.h"
#include "commandline/handedin.h"
#include "generation/generaterun.h"
#include "looks/folderlooks.h"
#include "mainwindow/maincontrols.h"
#include "windowkit/accessibility.h"

#include <QTimer>
#include <QWidget>

#include <memory>
#include <optional>

class BackgroundRun;
class BackgroundTable;
class BackgroundWork;
class Form2;
class HandIns;
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
    // stored folders have answered, or count as not answering (see restored()). A start
    // folder, as the command line names it, becomes the source once it has been looked at
    // and the stored folders are restored, as if picked.
    explicit Form1(SettingsStore& store, const std::optional<QString>& startFolder = std::nullopt,
                   QWidget* parent = nullptr);
    ~Form1() override;

    const MainControls& controls() const { return m_c; }
    Form2* infoWindow() const { return m_form2; }
    RunMenu* runMenu() const { return m_runMenu; }
    // A run or a table is being made.
    bool isRunning() const { return m_work != nullptr; }
    bool isRestoring() const { return m_restoring; }
    // A folder handed in (the start folder, a drop) has not been taken or refused yet.
    bool isTakingHandIn() const;
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

    // After a run whose list file was written: asks where its table goes (see
    // TableFileDialog), then saves it.
    void saveTableAs();
    // Saves the last run's result list as a table into folder\name, beside its list file.
    void saveTable(const QString& folder, const QString& name);

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
    // A run the generate button started, or a table, has ended, completed or stopped: the
    // status line says which.
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
    void checkAgainstList(const QByteArray& listHostPath);
    // The window holds its input and shows the work's live status until it has ended;
    // then takeResult runs.
    void startWork(std::unique_ptr<BackgroundWork> work, std::function<void()> takeResult);
    void stopRun();
    void showRunProgress();
    void showRunStatus();
    // What the window does once a run has stopped: a close or the exit picture waits for it.
    // In this order: a later request never undoes a farther-reaching one.
    enum class AfterRun { Stay, Close, Exit };
    void endDuringRun(AfterRun after);
    void forceExitAt(StopGrace::Clock::time_point moment);
    void forceExit();
    void endWork();
    void takeRunResult(BackgroundRun& run);
    void takeCheckResult(const GenerateRun::Outcome& outcome);
    void takeTableResult(const BackgroundTable& table);
    void takeOver(std::unique_ptr<GenerateRun> run, const QList<int>& longestRows);
    void takeHandIn(const HandedIn::Decision& decision);
    void takeHandedInFolder(FolderLooks::Ticket ticket, FolderLooks::Outcome outcome);
    void sayHandIn(const HandedIn::Decision& said);

    SettingsStore& m_store;
    FolderLooks m_looks;
    std::unique_ptr<OptionRestore> m_restore;
    bool m_restoring = false;
    // The hidden controls as the load step or the last completed run left them.
    std::unique_ptr<GenerateRun> m_hidden;
    MainControls m_c;
    Form2* m_form2 = nullptr;
    RunMenu* m_runMenu = nullptr;
    HandIns* m_handIns = nullptr;
    // A hand-in that came while the stored folders were restored, taken after them.
    std::optional<HandedIn::Decision> m_handInAfterRestore;
    // The hand-in whose folder its list is moving to.
    HandedIn::Decision m_handInMoving;
    FolderLooks::Ticket m_handInTicket = 0;
    bool m_centredWithFrame = false;
    std::unique_ptr<BackgroundWork> m_work;
    std::function<void()> m_takeResult;
    std::unique_ptr<InputHold> m_inputHold;
    GenerateRun::Progress m_runObserver;
    std::function<void()> m_writeObserver;
    QTimer m_progressTimer;
    AfterRun m_afterRun = AfterRun::Stay;
    StopGrace m_stopGrace;
    QTimer m_forcedExitTimer;
    bool m_optionsSavedAtSessionEnd = false;
};
