#pragma once
// Where the Wine prefix lies: $WINEPREFIX, else ~/.wine.

#include <QString>

namespace platform::linuxbackend {

struct WinePrefix {
    QString root; // absolute, without trailing slash; the folder may not exist

    static WinePrefix fromEnvironment();
};

} // namespace platform::linuxbackend
