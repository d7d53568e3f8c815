#pragma once
// What a Wine prefix tells the Windows programs in it about their Windows, and how they are
// started in it.

#include "core/wine/prefix_registry.h"
#include "platform/system.h"
#include "platform/wineprefix.h"

#include <QHash>
#include <QProcessEnvironment>
#include <QStringList>

namespace wine {

// What GetVersionEx tells a program in the prefix: the version Wine keeps in the native key of
// its registry; Windows 10 22H2 for a prefix that tells nothing.
platform::OsVersion presentedVersion(PrefixRegistry& registry);

// The environment a program in the prefix sees, by upper-case name: the process's, with the
// system folders set as Wine sets them in every prefix.
QHash<QString, QString> presentedEnvironment(const QProcessEnvironment& process);

// A program to start: its file, its arguments and its environment.
struct Start {
    QString program;
    QStringList arguments;
    QProcessEnvironment environment;
};

// Makes `start`, a Windows program (a PE file) with the arguments for it, the start of that
// program in the prefix as its runner starts it: Wine (`defaultWine` when the runner names
// none) with WINEPREFIX, or Proton as it is started outside Steam. A relative $WINEPREFIX
// becomes the absolute prefix. false when the runner knows no way to start one without harming
// the prefix, or there is no Wine.
bool startInPrefix(const QString& prefix, const platform::WineRunner& runner,
                   const QString& defaultWine, Start& start);

} // namespace wine
