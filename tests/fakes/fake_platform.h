#pragma once
// Test doubles for the platform seam, recording what the program asked of the system.

#include "fakes/fake_router.h"
#include "fakes/mapped_files.h"
#include "fakes/temp_prefix.h"
#include "platform/platform.h"

#include <QtCore>
#include <algorithm>
#include <memory>
#include <vector>

namespace fakes {

using namespace platform;

struct MessageBoxCall {
    QString text, title;
};

class FakeUi : public Ui {
public:
    std::vector<MessageBoxCall> boxes;

    int messageBox(const QString& text, const QString& title, int) override {
        boxes.push_back({text, title});
        return 1;
    }
    bool openUrl(const QString&) override { return true; }
    QPoint cursorPos() override { return {}; }
    std::intptr_t windowHandle(QObject* window) override {
        return reinterpret_cast<std::intptr_t>(window);
    }
    void enterWhatsThisMode() override {}
};

class FakeSystem : public System {
public:
    int endProgramCalls = 0;
    QString programDir = QStringLiteral("C:\\Program Files\\Velkor");
    QString appData = QStringLiteral("C:\\users\\player\\AppData\\Roaming");

    bool claimSingleInstance() override { return true; }
    void endProgram() override { ++endProgramCalls; }
    QString programFolder() override { return programDir; }
    long specialFolderPath(int csidl, QString& path) override {
        path = csidl == 26 ? appData : path; // the application data only
        return csidl == 26 ? 0 : 1;
    }
    OsVersion osVersion() override { return {2, 10, 0, 19045}; }
    QHash<QString, QString> environment() override { return {{"SYSTEMROOT", "C:\\windows"}}; }
};

// An in-memory registry: keys by root (in hex) and lower-case path ("80000002\software\x").
class FakeRegistry : public Registry {
    static auto named(const QString& name) {
        return [name](const RegEntry& v) { return v.name.compare(name, Qt::CaseInsensitive) == 0; };
    }
    static QString keyName(RootKey root, const QString& path) {
        return QString::number(std::uint32_t(root), 16) + QLatin1Char('\\') + path.toLower();
    }

public:
    QMap<QString, std::vector<RegEntry>> keys;

    void setString(RootKey root, const QString& path, const QString& name, const QString& text) {
        setValue(root, path, {name, regtype::Sz, text.toLocal8Bit() + '\0'});
    }
    std::optional<std::vector<RegEntry>> values(RootKey root, const QString& path) override {
        const auto it = keys.constFind(keyName(root, path));
        return it == keys.constEnd() ? std::nullopt : std::optional(*it);
    }
    std::optional<QStringList> subkeys(RootKey root, const QString& path) override {
        const QString prefix = keyName(root, path) + QLatin1Char('\\');
        if (!keys.contains(keyName(root, path)))
            return std::nullopt;
        QStringList names;
        for (const QString& key : keys.keys())
            if (key.startsWith(prefix))
                names << key.mid(prefix.size()).section(QLatin1Char('\\'), 0, 0);
        names.removeDuplicates();
        return names;
    }
    long setValue(RootKey root, const QString& path, const RegEntry& value) override {
        // Parents exist implicitly, as in a registry file.
        const QStringList parts = path.split(QLatin1Char('\\'));
        for (qsizetype n = 1; n < parts.size(); ++n)
            keys[keyName(root, parts.mid(0, n).join(QLatin1Char('\\')))];
        auto& values = keys[keyName(root, path)];
        const auto it = std::find_if(values.begin(), values.end(), named(value.name));
        it == values.end() ? values.push_back(value) : void(*it = value);
        return 0;
    }
    long deleteValue(RootKey root, const QString& path, const QString& name) override {
        const auto it = keys.find(keyName(root, path));
        return it != keys.end() && std::erase_if(*it, named(name)) ? 0 : winerror::FileNotFound;
    }
};

struct StartCall {
    QString application, commandLine, workingDirectory;
};

class FakeProcesses : public Processes {
public:
    std::vector<StartCall> starts;
    bool succeed = true;
    bool start(const QString& application, const QString& commandLine,
               const QString& workingDirectory) override {
        starts.push_back({application, commandLine, workingDirectory});
        return succeed;
    }
    bool running(const QStringList&) override { return false; }
};

class FakeSockets : public Sockets {
public:
    int startupResult = 0, cleanupResult = 0, hostNameResult = 0;
    WsaData data{0x0101, 100};
    std::optional<HostEntry> host = HostEntry{4, {QByteArray("\xC0\xA8\x00\x02", 4)}};

    int startup(std::uint16_t, WsaData& out) override {
        out = data;
        return startupResult;
    }
    int cleanup() override { return cleanupResult; }
    int lastError() override { return 0; }
    int hostName(QByteArray& out) override {
        out = "velkor-test"; // read only on success
        return hostNameResult;
    }
    std::optional<HostEntry> hostByName(const QByteArray&) override { return host; }
};

class FakeDownloads : public Downloads {
public:
    // url -> body; a url without a body fails and leaves no file.
    QMap<QString, QByteArray> bodies;
    QStringList requests;
    long downloadToFile(const QString& url, const QString& windowsPath) override {
        requests << url;
        const auto it = bodies.constFind(url);
        QFile file(it != bodies.constEnd() ? current().files->toNative(windowsPath) : QString());
        return file.open(QIODevice::WriteOnly) && file.write(*it) >= 0 ? 0 : 1; // truncated
    }
};

struct HelpCall {
    std::intptr_t owner = 0;
    QString path;
    unsigned command = 0;
    QVariant data;
};

class FakeHelpRuntime : public HelpRuntime {
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

class FakeVersionInfo : public VersionInfo {
public:
    QMap<QString, QByteArray> records; // lower-case Windows path -> VS_FIXEDFILEINFO
    std::optional<QByteArray> fixedFileInfo(const QString& windowsPath) override {
        const auto it = records.constFind(windowsPath.toLower());
        return it == records.constEnd() ? std::nullopt : std::optional(*it);
    }
};

// Installs every fake, the file system the real one over a fresh TempPrefix, until destroyed.
class FakePlatform {
public:
    FakePlatform() : files(std::make_unique<MappedFiles>(prefix)) {
        install(Services{&registry, files.get(), &processes, &ui, &system, &sockets, &downloads,
                         &help, &versions, &routers});
    }
    ~FakePlatform() {
        // Windows keeps a process's current folder from being deleted: leave the prefix first.
        QDir::setCurrent(QDir::tempPath());
        install(Services{});
    }

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
    std::unique_ptr<FileSystem> files;
};

} // namespace fakes
