#include "core/help/programstrings.h"

std::optional<QString> ProgramString(int id) {
    switch (id) {
    case 1:
        return QStringLiteral("The name the other players see in the game, up to 16 characters.");
    case 2:
        return QStringLiteral(
            "The host's address: its external address when it sits behind a router.");
    case 3:
        return QStringLiteral("Starts the game with the choices above.");
    default:
        return std::nullopt;
    }
}
