#pragma once
// A Wine prefix, the Windows the Linux backend presents to the program, and how Windows programs
// are started in it.

#include <QString>
#include <utility>

namespace platform {

struct WineRunner {
    enum class Kind {
        Wine,   // `program` (empty: $WINE, else wine from PATH) with WINEPREFIX set
        Proton, // `program run <exe> <args>`, the prefix's Steam variables set
        None,   // no way known to start one without harming the prefix: starts fail
    };
    Kind kind = Kind::Wine;
    QString program;     // Wine's binary or Proton's script
    QString compatData;  // Proton: the folder holding pfx/ (STEAM_COMPAT_DATA_PATH)
    QString steamFolder; // Proton: STEAM_COMPAT_CLIENT_INSTALL_PATH

    bool operator==(const WineRunner&) const = default;
};

struct WinePrefix {
    WinePrefix() = default;
    WinePrefix(QString folder, WineRunner starter = {})
        : root(std::move(folder)), runner(std::move(starter)) {}

    QString root; // the folder of system.reg: absolute, cleaned; it may not exist
    WineRunner runner;

    // A file or folder inside the prefix ("system.reg", "dosdevices").
    QString path(const QString& relative) const { return root + QLatin1Char('/') + relative; }

    bool operator==(const WinePrefix&) const = default;
};

} // namespace platform
