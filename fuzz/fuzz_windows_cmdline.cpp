// The Windows command-line splitter. Any text must split without fault; and arguments quoted
// the way a correct Windows caller quotes them must split back into exactly those arguments,
// whether the program in front of them is found by the known application path or by the line's
// own first word.

#include "core/win32/command_line.h"

#include <cstdio>
#include <cstdlib>
#include <fuzzer/FuzzedDataProvider.h>

using namespace win32::cmdline;

namespace {

void require(bool condition, const char* what) {
    if (!condition) {
        std::fprintf(stderr, "fuzz_windows_cmdline: %s\n", what);
        std::abort();
    }
}

// One argument as CommandLineToArgvW reads it back: bare when it needs no quotes, else between
// quotes with the backslashes in front of a quote (and of the closing quote) doubled.
QString quoted(const QString& argument) {
    const bool plain = !argument.isEmpty() && !argument.contains(QLatin1Char(' ')) &&
                       !argument.contains(QLatin1Char('\t')) &&
                       !argument.contains(QLatin1Char('"'));
    if (plain)
        return argument;
    QString out = QStringLiteral("\"");
    qsizetype slashes = 0;
    for (QChar c : argument) {
        if (c == QLatin1Char('\\')) {
            ++slashes;
            continue;
        }
        if (c == QLatin1Char('"'))
            out += QString(slashes * 2 + 1, QLatin1Char('\\'));
        else
            out += QString(slashes, QLatin1Char('\\'));
        slashes = 0;
        out += c;
    }
    out += QString(slashes * 2, QLatin1Char('\\'));
    out += QLatin1Char('"');
    return out;
}

QString text(const std::string& bytes) {
    return QString::fromUtf8(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider provider(data, size);

    // Raw text: no fault, and the two ways in agree when the application is unknown.
    const QString raw = text(provider.ConsumeRandomLengthString(512));
    const QStringList whole = splitCommandLine(raw);
    require(!whole.isEmpty(), "a command line without a program");
    require(argumentsFor(raw, QString()) == whole.mid(1), "argumentsFor differs from the split");

    // Arguments through correct quoting and back.
    QString application = text(provider.ConsumeRandomLengthString(64));
    application.remove(QLatin1Char('"'));
    QStringList arguments;
    while (provider.remaining_bytes() > 0 && arguments.size() < 16)
        arguments << text(provider.ConsumeRandomLengthString(64));
    QStringList pieces;
    for (const QString& argument : arguments)
        pieces << quoted(argument);
    const QString tail = pieces.join(QLatin1Char(' '));

    require(splitArguments(tail) == arguments, "quoted arguments do not split back");
    if (!application.isEmpty()) {
        const QString line = QLatin1Char('"') + application + QStringLiteral("\" ") + tail;
        require(argumentsFor(line, application) == arguments,
                "arguments after the quoted application differ");
        QString shouted = application;
        for (QChar& c : shouted)
            if (c >= QLatin1Char('a') && c <= QLatin1Char('z'))
                c = QChar(c.unicode() - 'a' + 'A');
        require(argumentsFor(line, shouted) == arguments, "the application's case matters");
        const QStringList split = splitCommandLine(line);
        require(split.value(0) == application, "the quoted program is not the first word");
        require(split.mid(1) == arguments, "the line's arguments differ");
        if (!application.contains(QLatin1Char(' ')) && !application.contains(QLatin1Char('\t')) &&
            !application.startsWith(QLatin1Char('"'))) {
            const QString bare = application + QLatin1Char(' ') + tail;
            require(argumentsFor(bare, application) == arguments,
                    "arguments after the bare application differ");
        }
    }
    return 0;
}
