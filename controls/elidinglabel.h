#pragma once

#include "windowkit/accessibility.h"

#include <QLabel>

// A label for texts that hold paths and names. It takes its text as plain text, shows a
// name that is not UTF-8 as the list file spells it, and where the text does not fit it
// draws it shortened in the middle of its paths (see MiddleElision), with the whole text
// in a tool tip. text() is always the whole text, and so is what assistive technology
// reads.
class ElidingLabel : public QLabel, public AccessibleWholeText {
    Q_OBJECT

public:
    ElidingLabel(QAccessible::Role role, QWidget* parent);

    // Lets a message that one line cannot show, however short its paths, take further
    // lines down to the bottom of the window.
    void setMayWrap(bool mayWrap) { m_mayWrap = mayWrap; }

    // Sets a new message: its text and the pieces of it that may be shortened (empty: the
    // whole text may), and tells assistive technology that something new is shown.
    void setMessage(const QString& text, const QStringList& shortenable);
    // Shows a figure that changes several times a second (a run's progress): shortened
    // like a message, but not read out at every change.
    void setProgress(const QString& text, const QStringList& shortenable = {});

    QString shownText() const { return layout().text; }
    // The whole text as the reader sees it: what is drawn before any shortening.
    QString readableText() const override;
    QAccessible::Role accessibleRole() const override { return m_role; }

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    struct Layout {
        QString text;
        int lines;
    };

    void takeText(const QString& text, const QStringList& shortenable);
    Layout layout() const;
    int linesBelow() const;
    void fitHeight();

    QAccessible::Role m_role;
    QStringList m_shortenable;
    bool m_mayWrap = false;
    int m_oneLineHeight = -1;
};
