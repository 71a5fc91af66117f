#pragma once

#include "mainwindow/maincontrols.h"

#include <QWidget>

class Form2;
class SettingsStore;
struct RunNotes;

// The main window. Its controls hold all working state; its handlers only decide what
// is shown and hand the work to generation/ and options/.
class Form1 : public QWidget {
    Q_OBJECT

public:
    // Loads the window: builds its controls and runs Form_Load, which restores the stored
    // options from store. The window is not shown yet.
    explicit Form1(SettingsStore& store, QWidget* parent = nullptr);
    ~Form1() override;

    const MainControls& controls() const { return m_c; }
    Form2* infoWindow() const { return m_form2; }

    void Command1_Click();
    void Command3_Click();
    void Command4_Click();
    void Drive1_Change();
    void Dir2_Change();
    void Drive2_Change();
    void Dir3_Change();
    void Dir1_Change();
    void Image1_Click();
    void Image2_Click();
    void Image1_MouseMove();
    void Image3_MouseMove();
    void Form_MouseMove();

    // Where the outer frame of a window with this client size and frame goes so that the
    // whole window stands in the middle of the available area.
    static QPoint centredFramePosition(const QRect& available, const QSize& clientSize, const QMargins& frame);

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
    void Form_Unload();
    void Dateiausgeben(const RunNotes& notes);
    void UnloadAllForms();
    void hidePanel();

    SettingsStore& m_store;
    MainControls m_c;
    Form2* m_form2 = nullptr;
    bool m_centredWithFrame = false;
};
