#include "platform/linux/linux_host_files.h"

#include "platform/linux/linux_files.h"
#include "platform/linux/regular_file.h"

namespace platform::linuxbackend {

namespace {

class HeldRegularFile : public HeldFile {
public:
    explicit HeldRegularFile(const QString& path) : file_(path) {}
    bool isOpen() const { return file_.isOpen(); }
    qint64 size() const { return file_.size(); }
    QString name() const override { return file_.reopenPath(); }

private:
    RegularFile file_;
};

} // namespace

std::optional<QByteArray> LinuxHostFiles::read(const QString& path, qint64 limit) {
    return readRegularFile(path, limit);
}

std::unique_ptr<HeldFile> LinuxHostFiles::hold(const QString& path, qint64 limit) {
    auto file = std::make_unique<HeldRegularFile>(path);
    if (!file->isOpen() || file->size() > limit)
        return nullptr;
    return file;
}

QString LinuxHostFiles::inPrefix(const QString& prefixRoot, const QString& windowsPath) {
    return LinuxFiles(WinePrefix{prefixRoot, {}}).toNative(windowsPath);
}

} // namespace platform::linuxbackend
