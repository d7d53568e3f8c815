#pragma once
// How a Windows program sees its command line: the rules of CommandLineToArgvW, which the
// C runtime of the game's era follows too. Pure functions over text, so that the process start
// can hand a Unix program (or Wine) the same arguments the game would see on Windows.

#include <QString>
#include <QStringList>
#include <optional>

namespace win32::cmdline {

// Splits the argument part of a command line (what follows the program's name). Blanks and
// tabs separate arguments; double quotes group; backslashes are literal except in front of a
// double quote.
QStringList splitArguments(const QString& text);

// An argument as a command line carries it, so that splitArguments gives it back whole: bare
// when it has no blank, tab or double quote and is not empty, else between double quotes, with
// the backslashes before a double quote (its own or the closing one) doubled.
QString quoteArgument(const QString& argument);

// Splits a whole command line: the first argument is the program's name, taken as Windows
// takes it (up to the next blank, or between double quotes, without escapes).
QStringList splitCommandLine(const QString& commandLine);

// The text that follows the application's path at the start of `commandLine`, when the line
// begins with that exact path, bare (followed by a blank, a tab or the end) or between double
// quotes; nullopt otherwise. Paths compare without regard to case, as Windows compares them.
std::optional<QString> textAfterApplication(const QString& commandLine, const QString& application);

// The arguments the started program sees: those after the known application path, or, when
// the line does not begin with it, everything after the line's own first argument.
QStringList argumentsFor(const QString& commandLine, const QString& application);

} // namespace win32::cmdline
