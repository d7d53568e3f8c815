#include "platform/linux/wine_prefix.h"

#include <QDir>

namespace platform::linuxbackend {

WinePrefix WinePrefix::fromEnvironment() {
    QString root = qEnvironmentVariable("WINEPREFIX");
    if (root.isEmpty())
        root = QDir::homePath() + QStringLiteral("/.wine");
    while (root.size() > 1 && root.endsWith(QLatin1Char('/')))
        root.chop(1);
    return WinePrefix{root};
}

} // namespace platform::linuxbackend
