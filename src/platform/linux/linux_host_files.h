#pragma once
// The machine's own files: read without blocking and only when regular, and Windows paths
// through any prefix's drives.

#include "platform/common/qt_host_files.h"

namespace platform::linuxbackend {

class LinuxHostFiles : public common::QtHostFiles {
public:
    std::optional<QByteArray> read(const QString& path, qint64 limit) override;
    std::unique_ptr<HeldFile> hold(const QString& path, qint64 limit) override;
    QString inPrefix(const QString& prefixRoot, const QString& windowsPath) override;
};

} // namespace platform::linuxbackend
