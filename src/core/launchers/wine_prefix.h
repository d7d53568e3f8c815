#pragma once
// Where the Wine prefix lies when no launcher's record chose one: $WINEPREFIX, else ~/.wine.

#include <QString>

namespace launchers {

struct WinePrefix {
    QString root; // absolute, without trailing slash; the folder may not exist

    // A relative $WINEPREFIX is resolved against the current folder: ask before the folder moves
    // (programs started later are given the absolute path).
    static WinePrefix fromEnvironment();

    // A file or folder inside the prefix ("system.reg", "dosdevices").
    QString path(const QString& relative) const { return root + QLatin1Char('/') + relative; }
};

} // namespace launchers
