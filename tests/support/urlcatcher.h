#pragma once

#include <QObject>
#include <QUrl>

// Receives what the desktop would be asked to open (QDesktopServices::setUrlHandler).
class UrlCatcher : public QObject {
    Q_OBJECT
public:
    QList<QUrl> opened;
public slots:
    void open(const QUrl& url) { opened.append(url); }
};
