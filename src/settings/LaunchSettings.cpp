#include "settings/LaunchSettings.h"

#include "platform/platform.h"
#include "settings/mShellFolders.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

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

void LaunchSettings::write(const QString& windowsFile) const {
    using settingsfile::Outcome;
    switch (settingsfile::writeImage(windowsFile, image)) {
    case Outcome::NotWritable:
        platform::current().ui->messageBox(settingsfile::notWritableMessage(),
                                           QStringLiteral("Velkor"),
                                           platform::mbstyle::Exclamation);
        break;
    case Outcome::FolderMissing:
        settingsfile::CreateSettingsFolders();
        settingsfile::writeImage(windowsFile, image); // a second failure is not reported
        break;
    case Outcome::Ok:
    case Outcome::Failed:
        break;
    }
}

namespace settingsfile {

namespace {

QString nativePath(const QString& windowsPath) {
    return platform::current().files->toNative(windowsPath);
}

bool folderExists(const QString& nativeFile) {
    return QFileInfo(nativeFile).absoluteDir().exists();
}

} // namespace

Outcome readImage(const QString& windowsFile, QByteArray& image) {
    image = QByteArray(LaunchSettings::Size, '\0');
    const QString native = nativePath(windowsFile);
    if (native.isEmpty())
        return Outcome::FolderMissing;
    QFile file(native);
    // Read and write, so that a missing file is created; a read-only one is still read.
    if (!file.open(QIODevice::ReadWrite) && !file.open(QIODevice::ReadOnly))
        return folderExists(native) ? Outcome::Failed : Outcome::FolderMissing;
    const QByteArray bytes = file.read(LaunchSettings::Size);
    image.replace(0, bytes.size(), bytes);
    return Outcome::Ok;
}

Outcome writeImage(const QString& windowsFile, const QByteArray& image) {
    const QString native = nativePath(windowsFile);
    if (native.isEmpty())
        return Outcome::FolderMissing;
    QFile file(native);
    if (!file.open(QIODevice::ReadWrite))
        return folderExists(native) ? Outcome::NotWritable : Outcome::FolderMissing;
    if (file.write(image.left(LaunchSettings::Size)) != LaunchSettings::Size)
        return Outcome::Failed;
    return file.flush() ? Outcome::Ok : Outcome::Failed;
}

void CreateSettingsFolders() {
    // Looked up again and used as it comes, without the clean-up the settings folder text gets.
    const QString appData = GetSpecialFolderPath(nullptr, 26, 0);
    for (const QString& folder :
         {appData + QStringLiteral("\\Populous"), appData + QStringLiteral("\\Populous\\Velkor")}) {
        const QString native = nativePath(folder);
        if (!native.isEmpty())
            QDir().mkdir(native);
    }
}

QString notWritableMessage() {
    return QStringLiteral("Could not update \"Velkor.cfg\" either because it is set to Read-Only "
                          "or because you do not have the required permissions to edit this "
                          "file.");
}

QString trimBlanks(const QString& text) {
    qsizetype from = 0, to = text.size();
    while (from < to && text.at(from) == QLatin1Char(' '))
        ++from;
    while (to > from && text.at(to - 1) == QLatin1Char(' '))
        --to;
    return text.mid(from, to - from);
}

} // namespace settingsfile
