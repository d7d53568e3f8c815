#pragma once
// The 115-byte image of the settings file "Velkor.cfg" and the rules for reading and writing it.
//
// Every reader and writer keeps the whole image: a writer changes only the fields it owns, so the
// bytes no field covers (and the odd bytes inside UserName) survive a load and a save.

#include "core/win32/text.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <cstdint>

struct LaunchSettings {
    static constexpr int Size = 115;

    // Field offsets and lengths.
    static constexpr int DefaultGameOffset = 0;
    static constexpr int DefaultWayOffset = 1;
    static constexpr int DefaultHostingOffset = 2;
    static constexpr int UserNameOffset = 4;
    static constexpr int UserNameLength = 16; // characters, one every second byte
    static constexpr int OverrideEnabledOffset = 36;
    static constexpr int OverrideAddressOffset = 38;
    static constexpr int LocalAddressOffset = 63;
    static constexpr int RouterAddressOffset = 88;
    static constexpr int AddressLength = 24;
    static constexpr int LocalAddressIndexOffset = 113;
    static constexpr int AutoDetectRouterOffset = 114;

    QByteArray image = QByteArray(Size, '\0');

    // 1: "Undiscovered Worlds", else "Populous: The Beginning".
    bool DefaultGame() const { return flag(DefaultGameOffset); }
    void setDefaultGame(bool on) { setFlag(DefaultGameOffset, on); }
    // 1: join, else host.
    bool DefaultWay() const { return flag(DefaultWayOffset); }
    void setDefaultWay(bool on) { setFlag(DefaultWayOffset, on); }
    // 1: with router, else without.
    bool DefaultHosting() const { return flag(DefaultHostingOffset); }
    void setDefaultHosting(bool on) { setFlag(DefaultHostingOffset, on); }
    bool OverrideEnabled() const { return flag(OverrideEnabledOffset); }
    void setOverrideEnabled(bool on) { setFlag(OverrideEnabledOffset, on); }
    bool AutoDetectRouter() const { return flag(AutoDetectRouterOffset); }
    void setAutoDetectRouter(bool on) { setFlag(AutoDetectRouterOffset, on); }

    QString UserName() const { return text(UserNameOffset, UserNameLength, 2); }
    void setUserName(const QString& name) { setText(UserNameOffset, UserNameLength, 2, name); }
    QString OverrideAddress() const { return text(OverrideAddressOffset, AddressLength, 1); }
    void setOverrideAddress(const QString& a) {
        setText(OverrideAddressOffset, AddressLength, 1, a);
    }
    QString LocalAddress() const { return text(LocalAddressOffset, AddressLength, 1); }
    void setLocalAddress(const QString& a) { setText(LocalAddressOffset, AddressLength, 1, a); }
    QString RouterAddress() const { return text(RouterAddressOffset, AddressLength, 1); }
    void setRouterAddress(const QString& a) { setText(RouterAddressOffset, AddressLength, 1, a); }

    std::uint8_t LocalAddressIndex() const {
        return static_cast<std::uint8_t>(image.at(LocalAddressIndexOffset));
    }
    void setLocalAddressIndex(std::uint8_t index) {
        image[LocalAddressIndexOffset] = static_cast<char>(index);
    }

    // Reads the file into the image: a missing file in an existing folder is created empty, a
    // short file reads as padded with NUL bytes, a longer one gives its first 115 bytes. When the
    // file cannot be opened, or something other than a regular file (a FIFO, say) stands in its
    // place, the settings folders are created and the image is all NUL.
    void read(const QString& windowsFile);
    // Writes the image over the first 115 bytes of the file, creating it when missing and never
    // truncating it; a missing folder is created and the write tried once more. false when the
    // whole image did not reach the file: the caller tells the player.
    [[nodiscard]] bool write(const QString& windowsFile) const;

private:
    // Set only when the byte is exactly 1.
    bool flag(int offset) const { return image.at(offset) == 1; }
    void setFlag(int offset, bool on) { image[offset] = on ? 1 : 0; }
    // Characters at offset, offset + step, ...; NUL bytes are dropped when reading, and padded
    // in when writing. Characters beyond `length` are not written.
    QString text(int offset, int length, int step) const;
    void setText(int offset, int length, int step, const QString& value);
};

namespace settingsfile {

// How one attempt at the file went.
enum class Outcome {
    Ok,
    FolderMissing, // the folder path does not exist (or names no drive)
    NotWritable,   // the file exists (or could be made) but cannot be opened for writing
    Failed,        // anything else
};

// One open, read and close: `image` becomes 115 NUL bytes overlaid with what the file holds.
// Only a regular file is read; anything else is Failed.
Outcome readImage(const QString& windowsFile, QByteArray& image);
// One open, write at offset 0 and close, without truncating. Anything but a regular file is
// NotWritable; a write that stops short is Failed.
Outcome writeImage(const QString& windowsFile, const QByteArray& image);

// Creates every missing level of "<appdata>\Populous\Velkor", the application-data folder
// included (on Linux it may not exist yet); failures are ignored.
void CreateSettingsFolders();

// The row of the detected-address list whose address the main window shows when the override
// is off: the saved index; when the list has no such row, the saved address's row, else the
// first. -1 for an empty list: then the saved address itself is shown.
int localAddressRow(const LaunchSettings& settings, const QStringList& detected);

// The message the windows show when a save cannot write the file.
QString notWritableMessage();

} // namespace settingsfile
