#include "settings/mShellFolders.h"

#include "platform/platform.h"
#include "win32/text.h"

QString GetSpecialFolderPath(QWidget* /*owner*/, int folderId, int /*flags*/) {
    QString path;
    if (platform::current().system->specialFolderPath(folderId, path) != 0)
        return QString();
    return TrimAtNull(path.left(260));
}
