// Splitting a Windows command line into the arguments a program sees.

#include "platform/wine/windows_cmdline.h"

#include <QtTest>

using namespace platform::wine::wincmd;

class WindowsCmdlineTest : public QObject {
    Q_OBJECT
private slots:
    void splitsArguments_data();
    void splitsArguments();
    void firstArgumentAndApplication();
};

void WindowsCmdlineTest::splitsArguments_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("expected");
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
    QTest::newRow("trailing backslash") << R"(C:\ x\)" << QStringList{R"(C:\)", R"(x\)"};
}

void WindowsCmdlineTest::splitsArguments() {
    QFETCH(QString, text);
    QFETCH(QStringList, expected);
    QCOMPARE(splitArguments(text), expected);
}

void WindowsCmdlineTest::firstArgumentAndApplication() {
    // The first argument takes no backslash escapes.
    QCOMPARE(splitCommandLine(R"(C:\Program Files\x.exe /a)"),
             (QStringList{R"(C:\Program)", R"(Files\x.exe)", "/a"}));
    QCOMPARE(splitCommandLine(R"("C:\dir\"x y)"), (QStringList{R"(C:\dir\)", "x", "y"}));

    // The known application is a prefix with blanks, quoted or not, in any case.
    const QString app = R"(C:\Program Files\Bullfrog\Populous\HW_SW_Select.exe)";
    QCOMPARE(argumentsFor(app + " /GAME=UW /h tcp /boundip 10.0.0.2 /nAnn", app),
             (QStringList{"/GAME=UW", "/h", "tcp", "/boundip", "10.0.0.2", "/nAnn"}));
    QCOMPARE(argumentsFor('"' + app + "\" /j tcp  /nB", app), (QStringList{"/j", "tcp", "/nB"}));
    QCOMPARE(argumentsFor(app.toUpper() + " /x", app), (QStringList{"/x"}));
    QCOMPARE(argumentsFor(app + " ", app), QStringList{});
    QCOMPARE(argumentsFor(R"(C:\\HW_SW_Select.exe /h tcp)", R"(C:\\HW_SW_Select.exe)"),
             (QStringList{"/h", "tcp"}));
    QCOMPARE(textAfterApplication('"' + app + "\"/a", app), QString("/a"));

    // Otherwise the first argument is the application.
    QVERIFY(!textAfterApplication(R"(C:\a.exe/x y)", R"(C:\a.exe)"));
    QCOMPARE(argumentsFor(R"(C:\a.exe/x y)", R"(C:\a.exe)"), QStringList{"y"});
    QCOMPARE(argumentsFor(R"(other.exe "p q" r)", R"(C:\a.exe)"), (QStringList{"p q", "r"}));
    QVERIFY(!textAfterApplication("anything", QString()));
}

QTEST_APPLESS_MAIN(WindowsCmdlineTest)
#include "test_windows_cmdline.moc"
