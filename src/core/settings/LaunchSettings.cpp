#include "core/settings/LaunchSettings.h"

#include "core/settings/mShellFolders.h"
#include "platform/filesystem.h"
#include "platform/platform.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <memory>

QString LaunchSettings::text(int offset, int length, int step) const {
    QString value;
    for (int k = 0; k < length; ++k) {
        const char byte = image.at(offset + k * step);
        if (byte != '\0')
            value += QChar::fromLatin1(byte);
    }
    return value;
}

void LaunchSettings::setText(int offset, int length, int step, const QString& value) {
    for (int k = 0; k < length; ++k) {
        char byte = '\0';
        if (k < value.size()) {
            // One byte per character; what Latin-1 cannot hold is stored as '?'.
            const char16_t c = value.at(k).unicode();
            byte = c <= 0xFF ? static_cast<char>(c) : '?';
        }
        image[offset + k * step] = byte;
    }
}

void LaunchSettings::read(const QString& windowsFile) {
    if (settingsfile::readImage(windowsFile, image) != settingsfile::Outcome::Ok) {
        settingsfile::CreateSettingsFolders();
        image = QByteArray(Size, '\0');
    }
}

bool LaunchSettings::write(const QString& windowsFile) const {
    using settingsfile::Outcome;
    switch (settingsfile::writeImage(windowsFile, image)) {
    case Outcome::Ok:
        return true;
    case Outcome::FolderMissing:
        settingsfile::CreateSettingsFolders();
        return settingsfile::writeImage(windowsFile, image) == Outcome::Ok;
    case Outcome::NotWritable:
    case Outcome::Failed:
        break;
    }
    return false;
}

namespace settingsfile {

namespace {

QString nativePath(const QString& windowsPath) {
    return platform::current().files->toNative(windowsPath);
}

bool folderExists(const QString& windowsFile) {
    const QString native = nativePath(windowsFile);
    return !native.isEmpty() && QFileInfo(native).absoluteDir().exists();
}

std::unique_ptr<QFile> openRegular(const QString& windowsFile, QIODevice::OpenMode mode) {
    return platform::current().files->openRegularFile(windowsFile, mode);
}

} // namespace

Outcome readImage(const QString& windowsFile, QByteArray& image) {
    image = QByteArray(LaunchSettings::Size, '\0');
    // Read and write, so that a missing file is created; a read-only one is still read.
    std::unique_ptr<QFile> file = openRegular(windowsFile, QIODevice::ReadWrite);
    if (!file)
        file = openRegular(windowsFile, QIODevice::ReadOnly);
    if (!file)
        return folderExists(windowsFile) ? Outcome::Failed : Outcome::FolderMissing;
    const QByteArray bytes = file->read(LaunchSettings::Size);
    image.replace(0, bytes.size(), bytes);
    return Outcome::Ok;
}

Outcome writeImage(const QString& windowsFile, const QByteArray& image) {
    const std::unique_ptr<QFile> file = openRegular(windowsFile, QIODevice::ReadWrite);
    if (!file)
        return folderExists(windowsFile) ? Outcome::NotWritable : Outcome::FolderMissing;
    // One write over the start of the file, in place: the file never passes through an empty
    // or shortened state, and the bytes after the image stay.
    const QByteArray record = image.left(LaunchSettings::Size);
    if (file->write(record) != record.size())
        return Outcome::Failed;
    file->close();
    return file->error() == QFileDevice::NoError ? Outcome::Ok : Outcome::Failed;
}

void CreateSettingsFolders() {
    // Looked up again and used as it comes, without the clean-up the settings folder text gets.
    const QString appData = GetSpecialFolderPath(nullptr, 26, 0);
    const QString native = nativePath(appData + QStringLiteral("\\Populous\\Velkor"));
    if (!native.isEmpty())
        QDir().mkpath(native);
}

int localAddressRow(const LaunchSettings& settings, const QStringList& detected) {
    if (settings.LocalAddressIndex() < detected.size())
        return settings.LocalAddressIndex();
    if (detected.isEmpty())
        return -1;
    const qsizetype saved = detected.indexOf(trimBlanks(settings.LocalAddress()));
    return saved >= 0 ? static_cast<int>(saved) : 0;
}

QString notWritableMessage() {
    return QStringLiteral("Could not update \"Velkor.cfg\" either because it is set to Read-Only "
                          "or because you do not have the required permissions to edit this "
                          "file.");
}

} // namespace settingsfile
