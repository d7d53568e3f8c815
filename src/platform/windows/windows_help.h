#pragma once
// The HTML Help runtime of Windows, hhctrl.ocx, and its HtmlHelpA; the version resources of the
// files the help checks look at, through version.dll.

#include "platform/helpruntime.h"

namespace platform::windowsbackend {

class WindowsFiles;

class WindowsHelpRuntime : public HelpRuntime {
public:
    explicit WindowsHelpRuntime(WindowsFiles& files);
    // The command records go over as HtmlHelpA's ANSI records of this build's width. 0 when
    // hhctrl.ocx is missing or the data is not what the command takes.
    std::intptr_t htmlHelp(std::intptr_t owner, const QString& path, unsigned command,
                           const QVariant& data) override;
    // A regular file that begins as a compiled help file does ("ITSF").
    bool canOpen(const QString& helpFile) override;

private:
    WindowsFiles& files_;
};

class WindowsVersionInfo : public VersionInfo {
public:
    std::optional<QByteArray> fixedFileInfo(const QString& windowsPath) override;
};

} // namespace platform::windowsbackend
