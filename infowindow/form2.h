#pragma once

#include "windowkit/accessibility.h"

#include <QElapsedTimer>
#include <QPointer>
#include <QTimer>
#include <QWidget>

// The info window. It belongs to no other window; the main window it opens beside is
// only read for its place. Unloading keeps the object, and the next Show() loads it
// afresh from its layout table.
class Form2 : public QWidget, public AccessibleWindow {
    Q_OBJECT

public:
    explicit Form2(QWidget* mainWindow);

    // Loads the window when it is not loaded (placement, then the opening slide, which
    // goes on from a timer after Show() returns); otherwise only brings it to the front.
    void Show();
    bool isLoaded() const;
    bool isSliding() const { return m_slide.isActive(); }

    // Asks the desktop to carry out Operation on Path; true when it reports success.
    bool ShellExec(const QString& Path, int WindowStyle, const QString& Operation);

signals:
    // Each outer width the opening slide reached, in pixels, in order.
    void openingStep(int outerWidth);
    // The opening slide has ended: the window has its width.
    void opened();

protected:
    void closeEvent(QCloseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void createControls();
    void resetToDesign();
    void Form_Load();
    void placeBesideMainWindow();
    void slideStep();
    void endSlide();
    int designedOuterWidth() const;
    int frameExtraWidth() const;
    int outerWidth() const;
    void setOuterWidth(int width);
    void Label4_Click();
    void cmdExit_Click();

    QPointer<QWidget> m_mainWindow;
    bool m_loaded = false;
    QTimer m_slide;
    QElapsedTimer m_shownFor;
    int m_slideWidth = 0;
    int m_slideTarget = 0;
};
