#pragma once
// The one rule from the main window's choices to the game's arguments, shared by the launch
// command and the troubleshooter.

#include <QString>
#include <functional>
#include <optional>

namespace game {

enum class Way { None, Host, Join };
enum class Hosting { None, WithoutRouter, WithRouter };

// The argument text for the choices, with the addresses and the name exactly as typed;
// nullopt when no option of the way or hosting groups is selected (the caller keeps its
// previous arguments).
std::optional<QString> BuildGameArgs(Way way, Hosting hosting, const QString& localAddress,
                                     const QString& externalAddress, const QString& joinAddress,
                                     const QString& userName);

// The executable part of the launch command: the selector in `folder`, then "/GAME=UW" for
// the expansion, always ending in one blank.
QString SelectorCommand(const QString& folder, bool expansion);

// The selector's path inside an executable part that SelectorCommand built; empty when it
// holds none (nothing has been built yet).
QString SelectorApplication(const QString& selectorCommand);

// For a folder without the selector (as GOG and Steam install the game): the game's own
// program, its Direct 3D one where `holds` finds it, else its software one; empty when the
// folder holds neither. `holds` is asked with the name's leading backslash ("\\poptb.exe").
QString ProgramWithoutSelector(bool expansion, const std::function<bool(const QString&)>& holds);

} // namespace game
