#pragma once
// The program's own string table: texts a popup of type 2 shows by number.

#include <QString>
#include <optional>

// The string with the given number; nullopt when the table has none.
std::optional<QString> ProgramString(int id);
