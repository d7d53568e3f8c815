#pragma once
// The program's own process and environment.

#include <QHash>
#include <QString>

namespace platform {

struct OsVersion {
    int platformId = 2; // 1: Windows 9x family, 2: NT family
    int major = 0;
    int minor = 0;
    int build = 0;
};

class System {
public:
    virtual ~System() = default;
    // Claims the per-user single-instance lock; false when another instance holds it.
    virtual bool claimSingleInstance() = 0;
    // Ends the program at once, saving nothing. A real backend never returns; a test fake
    // records the call and returns, so callers return straight after it.
    virtual void endProgram() = 0;
    // The folder of the program's executable, Windows form, no trailing backslash.
    virtual QString programFolder() = 0;
    // SHGetFolderPath: 0 and the folder (Windows form) on success, else an error code.
    virtual long specialFolderPath(int csidl, QString& path) = 0;
    // What GetVersionEx tells a program on this system.
    virtual OsVersion osVersion() = 0;
    // The environment variables a Windows program sees, by upper-case name, as
    // ExpandEnvironmentStrings looks them up.
    virtual QHash<QString, QString> environment() = 0;
};

} // namespace platform
