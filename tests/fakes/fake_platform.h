#pragma once
// Test doubles for the platform seam. FakePlatform installs them all, with the real file system
// over a temporary Wine prefix, and records what the program asked of the system.

#include "fakes/fake_router.h"
#include "fakes/temp_prefix.h"
#include "platform/platform.h"

#include <QMap>
#include <QPoint>
#include <QStringList>
#include <functional>
#include <memory>
#include <vector>

namespace fakes {

struct MessageBoxCall {
    QString text;
    QString title;
    int style = 0;
};

class FakeUi : public platform::Ui {
public:
    std::vector<MessageBoxCall> boxes;
    QStringList openedUrls;
    std::function<void()> onBox; // runs as each box is shown

    int messageBox(const QString& text, const QString& title, int style) override;
    bool openUrl(const QString& url) override {
        openedUrls << url;
        return true;
    }
    QPoint cursorPos() override { return {}; }
};

class FakeSystem : public platform::System {
public:
    bool anotherInstance = false;
    int endProgramCalls = 0;
    QString programDir = QStringLiteral("C:\\Program Files\\Velkor");
    QString appData = QStringLiteral("C:\\users\\player\\AppData\\Roaming");
    platform::OsVersion version{2, 10, 0, 19045};

    bool claimSingleInstance() override { return !anotherInstance; }
    void endProgram() override { ++endProgramCalls; }
    QString programFolder() override { return programDir; }
    long specialFolderPath(int csidl, QString& path) override;
    platform::OsVersion osVersion() override { return version; }
    // The system folders as a prefix has them.
    QHash<QString, QString> variables{{QStringLiteral("SYSTEMROOT"), QStringLiteral("C:\\windows")},
                                      {QStringLiteral("WINDIR"), QStringLiteral("C:\\windows")}};
    QHash<QString, QString> environment() override { return variables; }
};

// An in-memory registry: keys by lower-case full path ("hklm\software\x").
class FakeRegistry : public platform::Registry {
public:
    struct Key {
        std::vector<platform::RegEntry> values;
    };
    QMap<QString, Key> keys;

    void set(platform::RootKey root, const QString& path, const QString& name, std::uint32_t type,
             const QByteArray& data);
    void setString(platform::RootKey root, const QString& path, const QString& name,
                   const QString& text); // stored with its terminating NUL

    std::optional<std::vector<platform::RegEntry>> values(platform::RootKey root,
                                                          const QString& path) override;
    std::optional<QStringList> subkeys(platform::RootKey root, const QString& path) override;
    long setValue(platform::RootKey root, const QString& path,
                  const platform::RegEntry& value) override;
    long deleteValue(platform::RootKey root, const QString& path, const QString& name) override;

    static QString keyName(platform::RootKey root, const QString& path);
};

struct StartCall {
    QString application;
    QString commandLine;
    QString workingDirectory;
};

class FakeProcesses : public platform::Processes {
public:
    std::vector<StartCall> starts;
    bool succeed = true;
    bool start(const QString& application, const QString& commandLine,
               const QString& workingDirectory) override {
        starts.push_back({application, commandLine, workingDirectory});
        return succeed;
    }
    QStringList runningPrograms; // file names of the programs that run now
    bool running(const QStringList& programNames) override {
        for (const QString& name : programNames)
            if (runningPrograms.contains(name, Qt::CaseInsensitive))
                return true;
        return false;
    }
};

class FakeSockets : public platform::Sockets {
public:
    int startupResult = 0;
    platform::WsaData data{0x0101, 100};
    int cleanupResult = 0;
    int hostNameResult = 0;
    QByteArray name = "velkor-test";
    std::optional<platform::HostEntry> host =
        platform::HostEntry{4, {QByteArray("\xC0\xA8\x00\x02", 4)}};
    int startups = 0;

    int startup(std::uint16_t, platform::WsaData& out) override {
        ++startups;
        out = data;
        return startupResult;
    }
    int cleanup() override { return cleanupResult; }
    int lastError() override { return 0; }
    int hostName(QByteArray& out) override {
        if (hostNameResult == 0)
            out = name;
        return hostNameResult;
    }
    std::optional<platform::HostEntry> hostByName(const QByteArray&) override { return host; }
};

class FakeDownloads : public platform::Downloads {
public:
    // url -> body; a url without a body fails and leaves no file.
    QMap<QString, QByteArray> bodies;
    QStringList requests;
    platform::FileSystem* files = nullptr;
    long downloadToFile(const QString& url, const QString& windowsPath) override;
};

struct HelpCall {
    std::intptr_t owner = 0;
    QString path;
    unsigned command = 0;
    QVariant data;
};

class FakeHelpRuntime : public platform::HelpRuntime {
public:
    std::vector<HelpCall> calls;
    std::intptr_t nextHandle = 0x1234;
    QStringList damaged; // lower-case Windows paths of help files that cannot be opened
    std::intptr_t htmlHelp(std::intptr_t owner, const QString& path, unsigned command,
                           const QVariant& data) override {
        calls.push_back({owner, path, command, data});
        return nextHandle;
    }
    bool canOpen(const QString& helpFile) override { return !damaged.contains(helpFile.toLower()); }
};

class FakeVersionInfo : public platform::VersionInfo {
public:
    QMap<QString, QByteArray> records; // lower-case Windows path -> VS_FIXEDFILEINFO
    std::optional<QByteArray> fixedFileInfo(const QString& windowsPath) override {
        const auto it = records.constFind(windowsPath.toLower());
        return it == records.constEnd() ? std::nullopt : std::optional(*it);
    }
};

// Installs every fake; the file system is the system's own over a fresh temporary prefix
// (see TempPrefix and prefixFiles). Uninstalls on destruction.
class FakePlatform {
public:
    FakePlatform();
    ~FakePlatform();

    TempPrefix prefix;
    FakeUi ui;
    FakeSystem system;
    FakeRegistry registry;
    FakeProcesses processes;
    FakeSockets sockets;
    FakeDownloads downloads;
    FakeHelpRuntime help;
    FakeVersionInfo versions;
    FakeRouters routers;
    std::unique_ptr<platform::FileSystem> files;

    platform::Services services();
};

} // namespace fakes
