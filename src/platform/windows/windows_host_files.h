#pragma once
// The machine's own files, which on Windows are the program's: Windows paths, opened as
// WindowsFiles opens them. There are no Wine prefixes here.

#include "platform/common/qt_host_files.h"
#include "platform/windows/windows_files.h"

namespace platform::windowsbackend {

class WindowsHostFiles : public common::QtHostFiles {
public:
    std::optional<QByteArray> read(const QString& path, qint64 limit) override;
    std::unique_ptr<HeldFile> hold(const QString& path, qint64 limit) override;
    // Windows' own drives hold every path: it is taken as it is.
    QString inPrefix(const QString& prefixRoot, const QString& windowsPath) override;

private:
    WindowsFiles files_;
};

} // namespace platform::windowsbackend
