#include "platform/linux/linux_system.h"

#include "platform/linux/linux_files.h"

#include <QCoreApplication>
#include <QDir>
#include <cstdlib>

namespace platform::linuxbackend {

namespace {
LinuxFiles* filesOf = nullptr;
}

LinuxSystem::LinuxSystem(const WinePrefix&, LinuxFiles& files, LinuxRegistry&) { filesOf = &files; }
bool LinuxSystem::claimSingleInstance() { return true; }
void LinuxSystem::endProgram() { std::exit(0); }
QString LinuxSystem::programFolder() { return filesOf->toWindows(QCoreApplication::applicationDirPath()); }
long LinuxSystem::specialFolderPath(int, QString& path) { path = filesOf->toWindows(QDir::homePath() + QStringLiteral("/.config")); return 0; }
OsVersion LinuxSystem::osVersion() { return {}; }

} // namespace platform::linuxbackend
