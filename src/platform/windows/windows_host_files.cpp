#include "platform/windows/windows_host_files.h"

#include <QFile>

namespace platform::windowsbackend {

namespace {

// A regular file kept open: Windows lets no one replace a file another holds open.
class HeldWindowsFile : public HeldFile {
public:
    HeldWindowsFile(std::unique_ptr<QFile> file, const QString& path)
        : file_(std::move(file)), path_(path) {}
    QString name() const override { return path_; }

private:
    std::unique_ptr<QFile> file_;
    QString path_;
};

} // namespace

std::optional<QByteArray> WindowsHostFiles::read(const QString& path, qint64 limit) {
    const auto file = files_.openRegularFile(path, QIODevice::ReadOnly);
    if (!file || file->size() > limit)
        return std::nullopt;
    QByteArray bytes = file->read(limit + 1);
    return bytes.size() <= limit ? std::optional(bytes) : std::nullopt;
}

std::unique_ptr<HeldFile> WindowsHostFiles::hold(const QString& path, qint64 limit) {
    auto file = files_.openRegularFile(path, QIODevice::ReadOnly);
    if (!file || file->size() > limit)
        return nullptr;
    return std::make_unique<HeldWindowsFile>(std::move(file), path);
}

QString WindowsHostFiles::inPrefix(const QString&, const QString& windowsPath) {
    return windowsPath;
}

} // namespace platform::windowsbackend
