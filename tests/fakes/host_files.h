#pragma once
// The machine's own files as the tests see them: plain Qt reads, and a prefix's drives taken
// from its dosdevices links.

#include "platform/hostfiles.h"

namespace fakes {

class HostFiles : public platform::HostFiles {
public:
    std::optional<QByteArray> read(const QString& path, qint64 limit) override;
    QStringList list(const QString& folder, Entries kind, int limit, int* looked) override;
    bool isFolder(const QString& path) override;
    bool exists(const QString& path) override;
    QString canonical(const QString& path) override;
    std::unique_ptr<platform::HeldFile> hold(const QString& path, qint64 limit) override;
    QString inPrefix(const QString& prefixRoot, const QString& windowsPath) override;

    QStringList reads; // the files read, in order
};

} // namespace fakes
