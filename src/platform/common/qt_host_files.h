#pragma once
// The host's folders as both backends list them, through Qt; each backend reads files its own
// way.

#include "platform/hostfiles.h"

namespace platform::common {

class QtHostFiles : public HostFiles {
public:
    QStringList list(const QString& folder, Entries kind, int limit, int* looked) override;
    bool isFolder(const QString& path) override;
    bool exists(const QString& path) override;
    QString canonical(const QString& path) override;
};

} // namespace platform::common
