#include "menus/filemanager.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDesktopServices>
#include <QLoggingCategory>

namespace {

Q_LOGGING_CATEGORY(fileManagerLog, "korvale.shell", QtWarningMsg)

// A file manager that is started on demand may take a moment; one that is not there is
// known at once.
constexpr int kBusTimeoutMs = 5000;

void askOverTheBus(const QList<QUrl>& items, const std::function<void(bool shown)>& done)
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        done(false);
        return;
    }
    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.FileManager1"), QStringLiteral("/org/freedesktop/FileManager1"),
        QStringLiteral("org.freedesktop.FileManager1"), QStringLiteral("ShowItems"));
    QStringList uris;
    for (const QUrl& item : items)
        uris.append(QString::fromLatin1(item.toEncoded()));
    call << uris << QString();
    // Asynchronous, so that a slow bus never holds the window.
    auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(call, kBusTimeoutMs));
    QObject::connect(watcher, &QDBusPendingCallWatcher::finished, watcher, [done](QDBusPendingCallWatcher* reply) {
        if (reply->isError())
            qCDebug(fileManagerLog) << "no file manager on the bus:" << reply->error().message();
        done(!reply->isError());
        reply->deleteLater();
    });
}

FileManager::ShowItems& showItemsCall()
{
    static FileManager::ShowItems call = askOverTheBus;
    return call;
}

} // namespace

namespace FileManager {

void show(const QUrl& file, const QUrl& folder)
{
    showItemsCall()({file}, [folder](bool shown) {
        if (!shown && !QDesktopServices::openUrl(folder))
            qCDebug(fileManagerLog) << "the desktop did not open" << folder;
    });
}

void setShowItems(ShowItems showItems) { showItemsCall() = showItems ? std::move(showItems) : askOverTheBus; }

} // namespace FileManager
