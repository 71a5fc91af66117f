#pragma once

#include "commandline/handedin.h"

#include <QElapsedTimer>
#include <QHash>
#include <QObject>
#include <QTimer>

#include <functional>
#include <memory>
#include <optional>

class QDropEvent;
class QWidget;
struct MainControls;

// Folders and files handed to the main window: the folder it is started with, and what a
// file manager drops onto it (onto Drive1 and Dir2 for the source; onto Label2, the
// "Speicherort Zieldatei" button and, while the panel is open, Drive2 and Dir3 for the
// target). Each is looked at off the window's thread; a drag that can only be refused gets
// the no-drop pointer as soon as its look has answered, and a drop or a start folder takes
// effect when the look answers, or is said to have had no answer.
class HandIns : public QObject {
    Q_OBJECT

public:
    using Take = std::function<void(const HandedIn::Decision& decision)>;
    // isBusy: no drop is taken while it answers true (a run holds the window's input).
    HandIns(const MainControls& controls, HandedIn::ListTest isListFile, std::function<bool()> isBusy, Take take,
            QObject* parent);
    ~HandIns() override;

    // Looks at what text names (a folder as the command line takes it) and hands on what
    // it means for the role.
    void handIn(HandedIn::Role role, const QString& text);
    // A hand-in waits for its look.
    bool isWaiting() const { return m_waitingRole.has_value(); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct PendingLook;

    void watch(QWidget* widget, HandedIn::Role role);
    void dragged(HandedIn::Role role, QDropEvent* event);
    void dropped(HandedIn::Role role, QDropEvent* event);
    void startLook(const QString& text, bool anew);
    std::optional<HandedIn::Look> answer(const QString& text) const;
    void takeWhenAnswered();

    HandedIn::ListTest m_isListFile;
    std::function<bool()> m_isBusy;
    Take m_take;
    QHash<QObject*, HandedIn::Role> m_roles;
    std::unique_ptr<PendingLook> m_look;
    // A hand-in waiting for its look.
    std::optional<HandedIn::Role> m_waitingRole;
    QTimer m_poll;
    QElapsedTimer m_waited;
};
