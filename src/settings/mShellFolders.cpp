#include "settings/mShellFolders.h"

#include "platform/platform.h"

QString GetSpecialFolderPath(QWidget* /*owner*/, int folderId, int /*flags*/) {
    QString path;
    if (platform::current().system->specialFolderPath(folderId, path) != 0)
        return QString();
    return TrimAtNull(path.left(260));
}

QString TrimAtNull(const QString& text) {
    const qsizetype nul = text.indexOf(QChar(0));
    return nul < 0 ? text : text.left(nul);
}
