// Windows rules: a command line's arguments (also against Windows' own), full paths, versions.

#include "core/win32/command_line.h"
#include "core/win32/full_path.h"
#include "core/win32/pe_version.h"
#include "fakes/rows.h"
#include "fakes/temp_prefix.h"

#include <QtTest>

#ifdef Q_OS_WIN
#include <windows.h>

#include <shellapi.h>
#endif

using namespace win32;
using ProgramCase = std::tuple<QString, QString, QString, QString, QString>;

namespace {

// Arguments as "<one><two>", so that an empty one shows.
QString shown(const QStringList& arguments) {
    return arguments.isEmpty() ? QString() : '<' + arguments.join("><") + '>';
}

#ifdef Q_OS_WIN
// The line as Windows' own CommandLineToArgvW splits it.
QString shownByWindows(const QString& line) {
    int count = 0;
    wchar_t** argv = CommandLineToArgvW(line.toStdWString().c_str(), &count);
    QStringList arguments;
    for (int i = 0; i < count; ++i)
        arguments << QString::fromWCharArray(argv[i]);
    LocalFree(argv);
    return shown(arguments);
}
#endif

// The fuzz corpus's 64-bit program, one version resource (16/1/0x409) of file version
// 5.2.3790.2744: offsets in its resource section, at file offset Raw.
constexpr quint32 Raw = 0xE00, NameDir = 0x18, Version = 0x58, VersionSize = 0x118;
constexpr quint32 Dir = 0x80000000u;

} // namespace

// Declared ahead of the test data: moc cannot read past raw string literals.
class Win32RulesTest : public QObject {
    Q_OBJECT
private slots:
    void splitArguments_data();
    void splitArguments() {
        QFETCH(QString, text);
        QFETCH(QString, arguments);
        QCOMPARE(shown(cmdline::splitArguments(text)), arguments);
        // Quoted again, every argument comes back whole: an empty one, a folder's last backslash.
        const QStringList parts = cmdline::splitArguments(text) + QStringList{"", R"(C: b\)"};
        QStringList quoted;
        for (const QString& part : parts)
            quoted << cmdline::quoteArgument(part);
        QCOMPARE(cmdline::splitArguments(quoted.join(' ')), parts);
#ifdef Q_OS_WIN // after a program's name, as Windows splits it
        QCOMPARE(shownByWindows("p " + text), "<p>" + arguments);
#endif
    }
    void programAndApplication_data();
    void programAndApplication() {
        QFETCH(ProgramCase, row);
        const auto& [line, application, after, arguments, program] = row;
        QCOMPARE(cmdline::textAfterApplication(line, application).value_or("none"), after);
        QCOMPARE(shown(cmdline::argumentsFor(line, application)), arguments);
        QCOMPARE(cmdline::splitCommandLine(line).at(0), program);
#ifdef Q_OS_WIN
        QCOMPARE(shown(cmdline::splitCommandLine(line)), shownByWindows(line));
#endif
    }
    // C: current at C:\Games\Pop: a drive never entered at its root, nothing past a root, slashes
    // as separators, no UNC path or non-letter drive. (Dots, a drive's folder: test_linux_files.)
    void fullPath() {
        CurrentFolders folders('c');
        folders.enter(R"(C:\Games\Pop)", false);
        for (const auto& [path, full] : {std::pair{R"(e:x)", R"(E:\x)"},
                                         {R"(..\..\..\x\..\..\y)", R"(C:\y)"},
                                         {"D:/a/b/", R"(D:\a\b)"},
                                         {"//server/share", ""},
                                         {R"(1:\x)", ""}})
            QCOMPARE(folders.full(path), QString(full));
    }
    void versionResources() {
        const QByteArray good =
            fakes::readFile(VELKOR_TEST_DATA "/../../fuzz/corpus/pe_version/version64.exe");
        QCOMPARE(fixedFileInfoFromPe(good).value_or("none").mid(8, 8).toHex(), "02000500b80ace0e");
        // Refused: every shorter image, a tree pointing at itself or back, a too short version.
        for (qsizetype size = 0; size < Raw + Version + VersionSize; ++size)
            QVERIFY2(!fixedFileInfoFromPe(good.first(size)), qPrintable(QString::number(size)));
        const quint32 damages[] = {Raw + 20,   Dir,           Raw + NameDir + 20,
                                   Dir | 0x10, Raw + Version, 92 | 20 << 16};
        for (std::size_t i = 0; i < std::size(damages); i += 2) {
            QByteArray image = good;
            qToLittleEndian(damages[i + 1], image.data() + damages[i]);
            QVERIFY2(!fixedFileInfoFromPe(image), qPrintable(QString::number(damages[i], 16)));
        }
    }
};

void Win32RulesTest::splitArguments_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("arguments");
    addRow("blanks and tabs separate", {" a\t\tb  c \t", "<a><b><c>"});
    addRow("quotes group", {R"("a b"c "d" e"f g"h)", "<a bc><d><ef gh>"});
    addRow("unclosed quote runs to the end", {"\"a\tb ", "<a\tb >"});
    addRow("2n backslashes, quote: n, and it groups", {R"(a\\"b c" \\\\")", R"(<a\b c><\\>)"});
    addRow("2n+1 backslashes, quote: n, a quote", {R"(a\"b \\\"c "d\" e")", R"(<a"b><\"c><d" e>)"});
    addRow("doubled quote in quotes: one, section closed", {R"("a""b c")", R"(<a"b><c>)"});
    addRow("four quotes: one, section open", {R"(x """" y)", R"(<x><" y>)"});
}

void Win32RulesTest::programAndApplication_data() {
    // {line, application, the text after it ("none": not its start), its arguments, the first}
    // (A quoted path and another case: test_linux_processes.)
    const QString pf = R"(C:\Program Files\Pop\x.exe)";
    addCases<ProgramCase>(
        {{"bare path alone", {pf, pf, "", "", R"(C:\Program)"}},
         {"program quoted, no escapes in it, a prefix of the path",
          {R"("C:\a\"b "c d")", R"(C:\a)", "none", "<b><c d>", R"(C:\a\)"}},
         {"program quoted, unclosed", {"\"C:\\a b", "C:\\a", "none", "", "C:\\a b"}},
         {"a leading blank: empty program", {" x.exe a", "", "none", "<x.exe><a>", ""}}});
}

QTEST_MAIN(Win32RulesTest)
#include "test_win32_rules.moc"
