#pragma once
// The profile's special folders.

#include <QString>

class QObject;

// The folder `folderId` (26: application data) in Windows form, or empty when the lookup fails.
QString GetSpecialFolderPath(QObject* owner, int folderId, int flags);
