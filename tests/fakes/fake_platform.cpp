#include "fakes/fake_platform.h"

#include "fakes/mapped_files.h"

#include <algorithm>

namespace fakes {

static auto named(const QString& name) {
    return [name](const RegEntry& v) { return v.name.compare(name, Qt::CaseInsensitive) == 0; };
}

static QString keyName(RootKey root, const QString& path) {
    return QString::number(std::uint32_t(root), 16) + QLatin1Char('\\') + path.toLower();
}

void FakeRegistry::setString(RootKey root, const QString& path, const QString& name,
                             const QString& text) {
    setValue(root, path, {name, regtype::Sz, text.toLocal8Bit() + '\0'});
}

std::optional<std::vector<RegEntry>> FakeRegistry::values(RootKey root, const QString& path) {
    const auto it = keys.constFind(keyName(root, path));
    return it == keys.constEnd() ? std::nullopt : std::optional(*it);
}

std::optional<QStringList> FakeRegistry::subkeys(RootKey root, const QString& path) {
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

long FakeRegistry::setValue(RootKey root, const QString& path, const RegEntry& value) {
    // Parents exist implicitly, as in a registry file.
    const QStringList parts = path.split(QLatin1Char('\\'));
    for (qsizetype n = 1; n < parts.size(); ++n)
        keys[keyName(root, parts.mid(0, n).join(QLatin1Char('\\')))];
    auto& values = keys[keyName(root, path)];
    const auto it = std::find_if(values.begin(), values.end(), named(value.name));
    it == values.end() ? values.push_back(value) : void(*it = value);
    return 0;
}

long FakeRegistry::deleteValue(RootKey root, const QString& path, const QString& name) {
    const auto it = keys.find(keyName(root, path));
    return it != keys.end() && std::erase_if(*it, named(name)) ? 0 : winerror::FileNotFound;
}

FakePlatform::FakePlatform() : files(std::make_unique<MappedFiles>(prefix)) {
    install(Services{&registry, files.get(), &processes, &ui, &system, &sockets, &downloads, &help,
                     &versions, &routers});
}

FakePlatform::~FakePlatform() {
    // Windows keeps a process's current folder from being deleted: leave the prefix first.
    QDir::setCurrent(QDir::tempPath());
    install(Services{});
}

} // namespace fakes
