#include "core/game/BuildGameArgs.h"

#include "core/game/game.h"

namespace game {

std::optional<QString> BuildGameArgs(Way way, Hosting hosting, const QString& localAddress,
                                     const QString& externalAddress, const QString& joinAddress,
                                     const QString& userName) {
    switch (way) {
    case Way::Host:
        switch (hosting) {
        case Hosting::WithoutRouter:
            return HostSwitch + BoundIpSwitch + localAddress + NameSwitch + userName;
        case Hosting::WithRouter:
            return HostSwitch + BoundIpSwitch + localAddress + ExternIpSwitch + externalAddress +
                   NameSwitch + userName;
        case Hosting::None:
            return std::nullopt;
        }
        return std::nullopt;
    case Way::Join:
        return JoinSwitch + joinAddress + NameSwitch + userName;
    case Way::None:
        return std::nullopt;
    }
    return std::nullopt;
}

namespace {
QString selectorSuffix() {
    return QLatin1Char('\\') + SelectorExe;
}
} // namespace

QString SelectorCommand(const QString& folder, bool expansion) {
    QString command = folder + selectorSuffix() + QLatin1Char(' ');
    if (expansion)
        command += ExpansionSwitch + QLatin1Char(' ');
    return command;
}

QString SelectorApplication(const QString& selectorCommand) {
    const qsizetype at = selectorCommand.lastIndexOf(selectorSuffix());
    if (at < 0)
        return {};
    return selectorCommand.left(at + selectorSuffix().size());
}

QString ProgramWithoutSelector(bool expansion, const std::function<bool(const QString&)>& holds) {
    for (const QString& program : expansion ? QStringList{UWDirect3DExe, UWSoftwareExe}
                                            : QStringList{PopTBDirect3DExe, PopTBSoftwareExe})
        if (holds(program))
            return program;
    return {};
}

} // namespace game
