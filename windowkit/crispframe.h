#pragma once

#include <QObject>

class QAbstractScrollArea;

// A one-pixel border for a list or text area that stays whole at every scale. The style's
// own frame is a line one device pixel wide inside a border one logical pixel wide: at 2
// it leaves a sliver of whatever lies below between frame and content, and at 1.5 the
// content covers its bottom or left line. This border fills the whole logical pixel.
class CrispFrame : public QObject {
    Q_OBJECT

public:
    static void applyTo(QAbstractScrollArea* area);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    using QObject::QObject;
};
