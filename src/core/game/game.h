#pragma once
// What Velkor knows of the game: where its installer records it, its executables and the
// switches of its command line.

#include <QString>
#include <QStringList>

namespace game {

// Left by the game's installer under HKEY_LOCAL_MACHINE.
inline const QString RegistryKey =
    QStringLiteral("SOFTWARE\\Bullfrog Productions Ltd\\Populous: The Beginning");
inline const QString InstallDriveValue = QStringLiteral("InstallDrive");
inline const QString InstallPathValue = QStringLiteral("InstallPath");

// The selector that the normal launch starts, for both games.
inline const QString SelectorExe = QStringLiteral("HW_SW_Select.exe");
// The executables the manual load starts, each with its leading backslash.
inline const QString PopTBDirect3DExe = QStringLiteral("\\D3Dpoptb.exe");
inline const QString PopTBSoftwareExe = QStringLiteral("\\poptb.exe");
inline const QString UWDirect3DExe = QStringLiteral("\\D3DpoptbUW.exe");
inline const QString UWSoftwareExe = QStringLiteral("\\poptbUW.exe");

// The programs that run while a game is played (the selector only starts one and ends).
inline QStringList ProgramNames() {
    QStringList names;
    for (const QString* exe :
         {&PopTBDirect3DExe, &PopTBSoftwareExe, &UWDirect3DExe, &UWSoftwareExe})
        names << exe->mid(1);
    return names;
}

// Every program of the game that Velkor or the selector starts, as full paths in `folder`: the
// programs that receive the players' traffic.
inline QStringList ProgramPaths(const QString& folder) {
    QString base = folder;
    if (base.endsWith(QLatin1Char('\\')))
        base.chop(1);
    QStringList paths{base + QLatin1Char('\\') + SelectorExe};
    for (const QString& name : ProgramNames())
        paths << base + QLatin1Char('\\') + name;
    return paths;
}

// Switches, in the forms the command line carries them.
inline const QString ExpansionSwitch = QStringLiteral("/GAME=UW");
inline const QString HostSwitch = QStringLiteral("/h tcp");
inline const QString JoinSwitch = QStringLiteral("/j tcp ");
inline const QString BoundIpSwitch = QStringLiteral(" /boundip ");
inline const QString ExternIpSwitch = QStringLiteral(" /externip ");
inline const QString NameSwitch = QStringLiteral(" /n");

} // namespace game
