#include "core/settings/mShellFolders.h"

#include "core/win32/text.h"
#include "platform/platform.h"

QString GetSpecialFolderPath(QObject* /*owner*/, int folderId, int /*flags*/) {
    QString path;
    if (platform::current().system->specialFolderPath(folderId, path) != 0)
        return QString();
    return TrimAtNull(path.left(260));
}
