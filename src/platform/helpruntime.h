#pragma once
// The HTML Help runtime (HtmlHelpA) and PE version resources.

#include <QByteArray>
#include <QString>
#include <QVariant>
#include <cstdint>
#include <optional>

namespace platform {

class HelpRuntime {
public:
    virtual ~HelpRuntime() = default;
    // HtmlHelpA: owner window, path ("file", "file>window", "file::/popup.txt" or empty),
    // command number and its data (a number, a text or one of the command records).
    // Returns the help window's handle, 0 on failure.
    virtual std::intptr_t htmlHelp(std::intptr_t owner, const QString& path, unsigned command,
                                   const QVariant& data) = 0;
    // Whether the file (a Windows path) can be opened as a compiled help file.
    virtual bool canOpen(const QString& helpFile) = 0;
};

class VersionInfo {
public:
    virtual ~VersionInfo() = default;
    // The fixed version record (VS_FIXEDFILEINFO, 52 bytes) of a file, nullopt without one.
    virtual std::optional<QByteArray> fixedFileInfo(const QString& windowsPath) = 0;
};

} // namespace platform
