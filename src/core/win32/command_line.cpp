#include "core/win32/command_line.h"

#include <algorithm>

namespace win32::cmdline {

namespace {

bool isBlank(QChar c) {
    return c == QLatin1Char(' ') || c == QLatin1Char('\t');
}

qsizetype skipBlanks(const QString& text, qsizetype at) {
    while (at < text.size() && isBlank(text[at]))
        ++at;
    return at;
}

} // namespace

QStringList splitArguments(const QString& text) {
    QStringList arguments;
    qsizetype at = skipBlanks(text, 0);
    if (at >= text.size())
        return arguments;

    QString current;
    int quotes = 0;        // quotes seen in the current run; odd: inside a quoted section
    qsizetype slashes = 0; // backslashes right before the current character
    while (at < text.size()) {
        const QChar c = text[at];
        if (isBlank(c) && quotes == 0) {
            arguments << current;
            current.clear();
            slashes = 0;
            at = skipBlanks(text, at);
            if (at >= text.size())
                return arguments;
            continue;
        }
        if (c == QLatin1Char('\\')) {
            current += c;
            ++slashes;
            ++at;
            continue;
        }
        if (c == QLatin1Char('"')) {
            if (slashes % 2 == 0) {
                // 2n backslashes and a quote: n backslashes, and the quote delimits.
                current.chop(slashes / 2);
                ++quotes;
            } else {
                // 2n+1 backslashes and a quote: n backslashes and a literal quote.
                current.chop(slashes / 2 + 1);
                current += c;
            }
            slashes = 0;
            ++at;
            // Consecutive quotes inside a quoted section: every third one is literal, and the
            // run's remainder decides whether the section stays open.
            while (at < text.size() && text[at] == QLatin1Char('"')) {
                if (++quotes == 3) {
                    current += QLatin1Char('"');
                    quotes = 0;
                }
                ++at;
            }
            if (quotes == 2)
                quotes = 0;
            continue;
        }
        current += c;
        slashes = 0;
        ++at;
    }
    arguments << current;
    return arguments;
}

QStringList splitCommandLine(const QString& commandLine) {
    QStringList arguments;
    qsizetype at = 0;
    QString program;
    if (at < commandLine.size() && commandLine[at] == QLatin1Char('"')) {
        ++at;
        while (at < commandLine.size() && commandLine[at] != QLatin1Char('"'))
            program += commandLine[at++];
        if (at < commandLine.size())
            ++at; // the closing quote
    } else {
        while (at < commandLine.size() && !isBlank(commandLine[at]))
            program += commandLine[at++];
    }
    arguments << program;
    arguments << splitArguments(commandLine.mid(at));
    return arguments;
}

std::optional<QString> textAfterApplication(const QString& commandLine,
                                            const QString& application) {
    if (application.isEmpty())
        return std::nullopt;
    const QString quoted = QLatin1Char('"') + application + QLatin1Char('"');
    if (commandLine.startsWith(quoted, Qt::CaseInsensitive))
        return commandLine.mid(quoted.size());
    if (commandLine.startsWith(application, Qt::CaseInsensitive)) {
        const qsizetype end = application.size();
        if (end == commandLine.size() || isBlank(commandLine[end]))
            return commandLine.mid(end);
    }
    return std::nullopt;
}

QStringList argumentsFor(const QString& commandLine, const QString& application) {
    if (const auto rest = textAfterApplication(commandLine, application))
        return splitArguments(*rest);
    return splitCommandLine(commandLine).mid(1);
}

QString quoteArgument(const QString& argument) {
    const auto special = [](QChar c) {
        return c == QLatin1Char(' ') || c == QLatin1Char('\t') || c == QLatin1Char('"');
    };
    if (!argument.isEmpty() && std::none_of(argument.begin(), argument.end(), special))
        return argument;
    QString quoted(QLatin1Char('"'));
    qsizetype backslashes = 0;
    for (const QChar c : argument) {
        if (c == QLatin1Char('\\')) {
            ++backslashes;
            continue;
        }
        // Before a quote the backslashes count double, and one more makes the quote literal.
        quoted +=
            QString(c == QLatin1Char('"') ? backslashes * 2 + 1 : backslashes, QLatin1Char('\\'));
        quoted += c;
        backslashes = 0;
    }
    quoted += QString(backslashes * 2, QLatin1Char('\\'));
    return quoted + QLatin1Char('"');
}

} // namespace win32::cmdline
