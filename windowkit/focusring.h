#pragma once

#include <QColor>
#include <QWidget>

// A ring drawn around a control while it has the keyboard focus: blue to the outside,
// white to the inside, so that it stands out both on the white window and on a list of
// any colour, light or dark. It lies over the control's border and lets the pointer pass.
class FocusRing : public QWidget {
    Q_OBJECT

public:
    static FocusRing* attachTo(QWidget* control);

    static QColor outerColour() { return QColor(0, 84, 180); }
    static QColor innerColour() { return Qt::white; }
    static constexpr int kOuterWidth = 2;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    explicit FocusRing(QWidget* control);
    void follow();

    QWidget* m_control;
};
