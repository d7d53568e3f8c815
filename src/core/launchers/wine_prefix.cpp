#include "core/launchers/wine_prefix.h"

#include <QDir>

namespace launchers {

WinePrefix WinePrefix::fromEnvironment() {
    const QString given = qEnvironmentVariable("WINEPREFIX");
    QString root = given.isEmpty() ? QDir::homePath() + QStringLiteral("/.wine") : given;
    // Taken against the start folder, once: the current folder moves later.
    if (QDir::isRelativePath(root))
        root = QDir::current().absoluteFilePath(root);
    while (root.size() > 1 && root.endsWith(QLatin1Char('/')))
        root.chop(1);
    return WinePrefix{root};
}

} // namespace launchers
