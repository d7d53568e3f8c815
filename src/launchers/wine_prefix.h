#pragma once
// Where the Wine prefix lies: $WINEPREFIX, else ~/.wine.

#include <QString>

namespace platform::linuxbackend {

struct WinePrefix {
    QString root; // absolute, without trailing slash; the folder may not exist

    // A relative $WINEPREFIX is resolved against the current folder: ask before the folder moves
    // (programs started later are given the absolute path).
    static WinePrefix fromEnvironment();

    // A file or folder inside the prefix ("system.reg", "dosdevices").
    QString path(const QString& relative) const { return root + QLatin1Char('/') + relative; }

    // True while a wineserver holds the prefix: it has the registry in memory and would
    // overwrite any edit made to the files.
    bool serverRunning() const;
};

} // namespace platform::linuxbackend
