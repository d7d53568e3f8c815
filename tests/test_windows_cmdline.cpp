// Splitting a Windows command line into the arguments a program sees.

#include "platform/linux/windows_cmdline.h"

#include <QtTest>

using namespace platform::linuxbackend::wincmd;

class WindowsCmdlineTest : public QObject {
    Q_OBJECT
private slots:
    void splitsArguments_data();
    void splitsArguments();
    void firstArgumentTakesNoEscapes();
    void knownApplicationIsNotSplitAtBlanks();
    void otherLinesFallBackToTheFirstArgument();
};

void WindowsCmdlineTest::splitsArguments_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("empty") << "" << QStringList{};
    QTest::newRow("blanks only") << " \t " << QStringList{};
    QTest::newRow("runs of blanks and tabs")
        << "  /h\ttcp   /boundip  /nX " << QStringList{"/h", "tcp", "/boundip", "/nX"};
    QTest::newRow("quoted group") << R"("a b c" d e)" << QStringList{"a b c", "d", "e"};
    QTest::newRow("escaped quote, lone backslash")
        << R"("ab\"c" "\\" d)" << QStringList{"ab\"c", "\\", "d"};
    QTest::newRow("backslashes without a quote")
        << R"(a\\\b d"e f"g h)" << QStringList{R"(a\\\b)", "de fg", "h"};
    QTest::newRow("odd backslashes before a quote")
        << R"(a\\\"b c d)" << QStringList{R"(a\"b)", "c", "d"};
    QTest::newRow("even backslashes before a quote")
        << R"(a\\\\"b c" d e)" << QStringList{R"(a\\b c)", "d", "e"};
    QTest::newRow("doubled quote closes the group")
        << R"(a"b"" c d)" << QStringList{"ab\"", "c", "d"};
    QTest::newRow("tripled quote inside a group") << R"("a"""b c" d)" << QStringList{"a\"b c", "d"};
    QTest::newRow("empty quoted arguments") << R"(x "" "")" << QStringList{"x", "", ""};
    QTest::newRow("unclosed quote runs to the end") << R"(a "b c  )" << QStringList{"a", "b c  "};
    QTest::newRow("shell characters are data")
        << "/nAnn; rm -rf ~ $(id) `x` | > <"
        << QStringList{"/nAnn;", "rm", "-rf", "~", "$(id)", "`x`", "|", ">", "<"};
    QTest::newRow("trailing backslash") << R"(C:\ x\)" << QStringList{R"(C:\)", R"(x\)"};
}

void WindowsCmdlineTest::splitsArguments() {
    QFETCH(QString, text);
    QFETCH(QStringList, expected);
    QCOMPARE(splitArguments(text), expected);
}

void WindowsCmdlineTest::firstArgumentTakesNoEscapes() {
    QCOMPARE(splitCommandLine(R"(C:\Program Files\x.exe /a)"),
             (QStringList{R"(C:\Program)", R"(Files\x.exe)", "/a"}));
    QCOMPARE(splitCommandLine(R"("C:\dir\"x y)"), (QStringList{R"(C:\dir\)", "x", "y"}));
    QCOMPARE(splitCommandLine(R"("C:\a b.exe")"), (QStringList{R"(C:\a b.exe)"}));
    QCOMPARE(splitCommandLine(QString()), (QStringList{QString()}));
}

void WindowsCmdlineTest::knownApplicationIsNotSplitAtBlanks() {
    const QString app = R"(C:\Program Files\Bullfrog\Populous\HW_SW_Select.exe)";
    QCOMPARE(argumentsFor(app + " /GAME=UW /h tcp /boundip 10.0.0.2 /nAnn", app),
             (QStringList{"/GAME=UW", "/h", "tcp", "/boundip", "10.0.0.2", "/nAnn"}));
    QCOMPARE(argumentsFor('"' + app + "\" /j tcp  /nB", app), (QStringList{"/j", "tcp", "/nB"}));
    // Windows compares paths without regard to case.
    QCOMPARE(argumentsFor(app.toUpper() + " /x", app), (QStringList{"/x"}));
    // The launch's trailing blank with no arguments, and a bare line.
    QCOMPARE(argumentsFor(app + " ", app), QStringList{});
    QCOMPARE(argumentsFor(app, app), QStringList{});
    // A drive-root folder gives two backslashes; the text is still the known prefix.
    QCOMPARE(argumentsFor(R"(C:\\HW_SW_Select.exe /h tcp)", R"(C:\\HW_SW_Select.exe)"),
             (QStringList{"/h", "tcp"}));
    QCOMPARE(textAfterApplication('"' + app + "\"/a", app), QString("/a"));
}

void WindowsCmdlineTest::otherLinesFallBackToTheFirstArgument() {
    const QString app = R"(C:\a.exe)";
    QVERIFY(!textAfterApplication(R"(C:\a.exe/x y)", app));
    QCOMPARE(argumentsFor(R"(C:\a.exe/x y)", app), QStringList{"y"});
    QCOMPARE(argumentsFor(R"(other.exe "p q" r)", app), (QStringList{"p q", "r"}));
    QVERIFY(!textAfterApplication("anything", QString()));
}

QTEST_APPLESS_MAIN(WindowsCmdlineTest)
#include "test_windows_cmdline.moc"
