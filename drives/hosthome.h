#pragma once

#include <QByteArray>
#include <QString>

// The one home folder of this program: drive C: stands on it and the settings live below
// it, so both always agree.
class HostHome {
public:
    // $HOME when it is an absolute path naming a folder, as every desktop program takes
    // it; otherwise the account's own home folder.
    static QByteArray folder();

    // Where per-user settings go: $XDG_CONFIG_HOME when it is an absolute path (a relative
    // one is not valid there), otherwise .config in the home folder.
    static QString configFolder();
};
