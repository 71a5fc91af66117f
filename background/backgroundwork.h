#pragma once

#include <QObject>
#include <QStringList>

// Work the window hands to a thread of its own (a run, a table), so that it stays alive
// however long the work takes. While it goes on, the window holds its input, shows the
// live status, may ask it to stop, and takes its result once finished() arrives.
class BackgroundWork : public QObject {
    Q_OBJECT

public:
    enum class Phase {
        Working,
        Stopping, // asked to stop; a read may still hold it
        Writing,  // its file is being written, which no stop ends
    };

    // The status line while the work goes on, and the folders in it that a narrow line
    // may shorten.
    struct Status {
        QString text;
        QStringList paths;
    };

    virtual void requestStop() = 0;
    virtual Phase phase() const = 0;
    // Its live figures, that it is being stopped, or that its file is being written.
    Status status() const;

protected:
    virtual Status progress() const = 0;
    virtual QString writingText() const = 0;

signals:
    // On the thread that made the work, once its own thread has ended. A receiver that
    // destroys the work takes it queued, never within this signal.
    void finished();
};
