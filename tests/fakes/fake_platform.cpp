#include "fakes/fake_platform.h"

#include "fakes/native.h"

#include <QDir>
#include <QFile>
#include <QtEndian>

namespace fakes {

int FakeUi::messageBox(const QString& text, const QString& title, int style) {
    boxes.push_back({text, title, style});
    if (onBox)
        onBox();
    return 1;
}

long FakeSystem::specialFolderPath(int csidl, QString& path) {
    if (csidl != 26) // the application data only
        return 1;
    path = appData;
    return 0;
}

QString FakeRegistry::keyName(platform::RootKey root, const QString& path) {
    return QString::number(static_cast<std::uint32_t>(root), 16) + QLatin1Char('\\') +
           path.toLower();
}

void FakeRegistry::set(platform::RootKey root, const QString& path, const QString& name,
                       std::uint32_t type, const QByteArray& data) {
    setValue(root, path, platform::RegEntry{name, type, data});
}

void FakeRegistry::setString(platform::RootKey root, const QString& path, const QString& name,
                             const QString& text) {
    set(root, path, name, platform::regtype::Sz, text.toLocal8Bit() + '\0');
}

std::optional<std::vector<platform::RegEntry>> FakeRegistry::values(platform::RootKey root,
                                                                    const QString& path) {
    const auto it = keys.constFind(keyName(root, path));
    if (it == keys.constEnd())
        return std::nullopt;
    return it->values;
}

std::optional<QStringList> FakeRegistry::subkeys(platform::RootKey root, const QString& path) {
    const QString prefix = keyName(root, path) + QLatin1Char('\\');
    if (!keys.contains(keyName(root, path)))
        return std::nullopt;
    QStringList names;
    for (auto it = keys.constBegin(); it != keys.constEnd(); ++it) {
        if (it.key().startsWith(prefix)) {
            const QString child = it.key().mid(prefix.size()).section(QLatin1Char('\\'), 0, 0);
            if (!names.contains(child))
                names << child;
        }
    }
    return names;
}

long FakeRegistry::setValue(platform::RootKey root, const QString& path,
                            const platform::RegEntry& value) {
    // Parents exist implicitly, as in a registry file.
    QStringList parts = path.split(QLatin1Char('\\'));
    for (qsizetype n = 1; n < parts.size(); ++n)
        keys[keyName(root, parts.mid(0, n).join(QLatin1Char('\\')))];
    auto& values = keys[keyName(root, path)].values;
    for (auto& existing : values) {
        if (existing.name.compare(value.name, Qt::CaseInsensitive) == 0) {
            existing = value;
            return 0;
        }
    }
    values.push_back(value);
    return 0;
}

long FakeRegistry::deleteValue(platform::RootKey root, const QString& path, const QString& name) {
    auto it = keys.find(keyName(root, path));
    if (it == keys.end())
        return platform::winerror::FileNotFound;
    auto& values = it->values;
    for (auto v = values.begin(); v != values.end(); ++v) {
        if (v->name.compare(name, Qt::CaseInsensitive) == 0) {
            values.erase(v);
            return 0;
        }
    }
    return platform::winerror::FileNotFound;
}

long FakeDownloads::downloadToFile(const QString& url, const QString& windowsPath) {
    requests << url;
    const auto it = bodies.constFind(url);
    if (it == bodies.constEnd() || !files)
        return 1;
    QFile file(files->toNative(windowsPath));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return 1;
    file.write(*it);
    return 0;
}

FakePlatform::FakePlatform() : files(prefixFiles(prefix)) {
    downloads.files = files.get();
    platform::install(services());
}

FakePlatform::~FakePlatform() {
    // Windows keeps a process's current folder from being deleted: leave the prefix first.
    QDir::setCurrent(QDir::tempPath());
    platform::install(platform::Services{});
}

platform::Services FakePlatform::services() {
    return platform::Services{&registry, files.get(), &processes, &ui,       &system,
                              &sockets,  &downloads,  &help,      &versions, &routers};
}

} // namespace fakes
