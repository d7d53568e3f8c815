// The settings file: any file content through readImage, the field decoders on the image, and
// the encoders, which may change nothing but their own bytes; then writeImage back over the
// file, which must not truncate it.

#include "platform/platform.h"
#include "settings/LaunchSettings.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fuzzer/FuzzedDataProvider.h>

namespace {

void require(bool condition, const char* what) {
    if (!condition) {
        std::fprintf(stderr, "fuzz_settings: %s\n", what);
        std::abort();
    }
}

// Every Windows path names a file of one scratch folder, by its last component.
class ScratchFiles : public platform::FileSystem {
public:
    QString folder;
    QStringList drives() override { return {QStringLiteral("c:")}; }
    QString driveLabel(const QString&) override { return {}; }
    QString currentDirectory() override { return QStringLiteral("C:\\"); }
    QString currentDirectoryOf(const QString&) override { return QStringLiteral("C:\\"); }
    bool changeDrive(const QString&) override { return true; }
    bool changeDirectory(const QString&) override { return true; }
    QString toNative(const QString& windowsPath) override {
        return folder + QLatin1Char('/') + windowsPath.section(QLatin1Char('\\'), -1);
    }
    QString toWindows(const QString& native) override { return native; }
    std::optional<QStringList> subfolders(const QString&) override { return QStringList(); }
    std::unique_ptr<QFile> openRegularFile(const QString& windowsPath,
                                           QIODevice::OpenMode mode) override {
        auto file = std::make_unique<QFile>(toNative(windowsPath));
        return file->open(mode | QIODevice::Unbuffered) ? std::move(file) : nullptr;
    }
    bool replaceFile(const QString&, const QByteArray&) override { return false; }
};

class CountingUi : public platform::Ui {
public:
    int boxes = 0;
    int messageBox(const QString&, const QString&, int) override { return ++boxes, 1; }
    bool openUrl(const QString&) override { return false; }
    QPoint cursorPos() override { return {}; }
};

class NoProfile : public platform::System {
public:
    bool claimSingleInstance() override { return true; }
    void endProgram() override {}
    QString programFolder() override { return QStringLiteral("C:\\"); }
    long specialFolderPath(int, QString&) override { return 1; }
    platform::OsVersion osVersion() override { return {}; }
    QHash<QString, QString> environment() override { return {}; }
    QString installedGameFolder() override { return {}; }
};

struct Scratch {
    QTemporaryDir dir;
    ScratchFiles files;
    CountingUi ui;
    NoProfile system;
    Scratch() {
        files.folder = dir.path();
        platform::Services services;
        services.files = &files;
        services.ui = &ui;
        services.system = &system;
        platform::install(services);
    }
};

const QString SettingsFile = QStringLiteral("C:\\Populous\\Velkor\\Velkor.cfg");

// The bytes a text field occupies: `length` characters, one every `step` bytes.
void checkTextField(const QByteArray& image, int offset, int length, int step,
                    const QString& decoded) {
    QString expected;
    for (int k = 0; k < length; ++k)
        if (image[offset + k * step] != '\0')
            expected += QChar::fromLatin1(image[offset + k * step]);
    require(decoded == expected, "a text field decodes to other characters than it holds");
}

// Writes `text` with `set` and checks that only the field's own bytes changed and that it reads
// back as what fits of the text.
template <typename Set, typename Get>
void checkEncoder(LaunchSettings settings, Set set, Get get, int offset, int length, int step,
                  const QString& text) {
    const QByteArray before = settings.image;
    (settings.*set)(text);
    require(settings.image.size() == LaunchSettings::Size, "a setter changed the image's size");
    for (int i = 0; i < LaunchSettings::Size; ++i) {
        const bool own = i >= offset && i < offset + length * step && (i - offset) % step == 0;
        require(own || settings.image[i] == before[i], "a setter changed a byte it does not own");
    }
    QString expected;
    for (QChar c : text.left(length))
        if (c.unicode() != 0)
            expected += c.unicode() <= 0xFF ? c : QLatin1Char('?');
    require((settings.*get)() == expected, "a text field does not read back as written");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static Scratch scratch;
    const QString native = scratch.files.toNative(SettingsFile);
    {
        QFile file(native);
        require(file.open(QIODevice::WriteOnly | QIODevice::Truncate), "scratch file");
        file.write(reinterpret_cast<const char*>(data), static_cast<qint64>(size));
    }

    QByteArray image;
    require(settingsfile::readImage(SettingsFile, image) == settingsfile::Outcome::Ok,
            "an existing file did not read");
    require(image.size() == LaunchSettings::Size, "the image is not 115 bytes");
    const std::size_t kept = std::min<std::size_t>(size, LaunchSettings::Size);
    require(std::memcmp(image.constData(), data, kept) == 0, "the image differs from the file");
    for (int i = static_cast<int>(kept); i < LaunchSettings::Size; ++i)
        require(image[i] == '\0', "a short file is not padded with NUL bytes");

    LaunchSettings settings;
    settings.image = image;
    for (int offset : {0, 1, 2, 36, 114})
        require((image[offset] == 1) == (offset == 0    ? settings.DefaultGame()
                                         : offset == 1  ? settings.DefaultWay()
                                         : offset == 2  ? settings.DefaultHosting()
                                         : offset == 36 ? settings.OverrideEnabled()
                                                        : settings.AutoDetectRouter()),
                "a flag is not set exactly when its byte is 1");
    checkTextField(image, LaunchSettings::UserNameOffset, LaunchSettings::UserNameLength, 2,
                   settings.UserName());
    checkTextField(image, LaunchSettings::OverrideAddressOffset, LaunchSettings::AddressLength, 1,
                   settings.OverrideAddress());
    checkTextField(image, LaunchSettings::LocalAddressOffset, LaunchSettings::AddressLength, 1,
                   settings.LocalAddress());
    checkTextField(image, LaunchSettings::RouterAddressOffset, LaunchSettings::AddressLength, 1,
                   settings.RouterAddress());
    require(settings.LocalAddressIndex() == static_cast<std::uint8_t>(image[113]), "list index");

    // New texts from the input itself, as a user could type them (any UTF-16).
    FuzzedDataProvider provider(data, size);
    const std::string bytes = provider.ConsumeRandomLengthString(64);
    const QString typed = QString::fromUtf8(bytes.data(), static_cast<qsizetype>(bytes.size()));
    checkEncoder(settings, &LaunchSettings::setUserName, &LaunchSettings::UserName,
                 LaunchSettings::UserNameOffset, LaunchSettings::UserNameLength, 2, typed);
    checkEncoder(settings, &LaunchSettings::setOverrideAddress, &LaunchSettings::OverrideAddress,
                 LaunchSettings::OverrideAddressOffset, LaunchSettings::AddressLength, 1, typed);
    checkEncoder(settings, &LaunchSettings::setLocalAddress, &LaunchSettings::LocalAddress,
                 LaunchSettings::LocalAddressOffset, LaunchSettings::AddressLength, 1, typed);
    checkEncoder(settings, &LaunchSettings::setRouterAddress, &LaunchSettings::RouterAddress,
                 LaunchSettings::RouterAddressOffset, LaunchSettings::AddressLength, 1, typed);

    // Writing back: the first 115 bytes replaced, the rest of a longer file kept.
    settings.setUserName(typed);
    settings.setAutoDetectRouter(!settings.AutoDetectRouter());
    require(settings.write(SettingsFile), "a writable file was reported as not writable");
    QFile file(native);
    require(file.open(QIODevice::ReadOnly), "scratch file");
    const QByteArray written = file.readAll();
    require(written.size() ==
                std::max<qsizetype>(static_cast<qsizetype>(size), LaunchSettings::Size),
            "the write changed the file's length");
    require(written.left(LaunchSettings::Size) == settings.image, "the file lacks the image");
    require(written.mid(LaunchSettings::Size) ==
                QByteArray::fromRawData(reinterpret_cast<const char*>(data), size)
                    .mid(LaunchSettings::Size),
            "the write changed bytes past the image");
    return 0;
}
