#pragma once

#include <QUrl>

#include <functional>

// Shows a file in the desktop's file manager, selected in its folder: asked over the
// session bus (org.freedesktop.FileManager1), or, where no file manager answers there,
// the folder opened as the desktop opens folders.
namespace FileManager {

// Asks the file manager to show the items; calls done with whether it took the request.
using ShowItems = std::function<void(const QList<QUrl>& items, const std::function<void(bool shown)>& done)>;

void show(const QUrl& file, const QUrl& folder);

// Tests replace the bus call; an empty function brings the bus back.
void setShowItems(ShowItems showItems);

} // namespace FileManager
