// The argument rule shared by the launch and the troubleshooter, and the launch's executable
// part.

#include "game/BuildGameArgs.h"

#include <QtTest>

using game::Hosting;
using game::Way;

Q_DECLARE_METATYPE(game::Way)
Q_DECLARE_METATYPE(game::Hosting)

class BuildGameArgsTest : public QObject {
    Q_OBJECT
private slots:
    void buildsArguments_data() {
        QTest::addColumn<Way>("way");
        QTest::addColumn<Hosting>("hosting");
        QTest::addColumn<QStringList>("typed"); // local, external, join, name
        QTest::addColumn<QString>("expected");
        auto row = [](const char* tag, Way w, Hosting h, QStringList typed, const char* expected) {
            QTest::newRow(tag) << w << h << typed << QString(expected);
        };
        const QStringList all{"192.168.0.2", "203.0.113.7", "10.1.1.1", "P1"};
        row("host", Way::Host, Hosting::WithoutRouter, all, "/h tcp /boundip 192.168.0.2 /nP1");
        row("router", Way::Host, Hosting::WithRouter, all,
            "/h tcp /boundip 192.168.0.2 /externip 203.0.113.7 /nP1");
        row("join", Way::Join, Hosting::WithRouter, all, "/j tcp 10.1.1.1 /nP1");
        row("empty", Way::Host, Hosting::WithRouter, {"", "", "", "U"},
            "/h tcp /boundip  /externip  /nU");
        row("empty join", Way::Join, Hosting::None, {"", "", "", "U"}, "/j tcp  /nU");
        row("untrimmed", Way::Host, Hosting::WithoutRouter, {" 1.2 ", "", "", "   "},
            "/h tcp /boundip  1.2  /n   ");
        row("shell", Way::Join, Hosting::None, {"", "", "1.2\"", "; rm -rf ~"},
            "/j tcp 1.2\" /n; rm -rf ~");
    }
    void buildsArguments() {
        QFETCH(Way, way);
        QFETCH(Hosting, hosting);
        QFETCH(QStringList, typed);
        QFETCH(QString, expected);
        QCOMPARE(game::BuildGameArgs(way, hosting, typed[0], typed[1], typed[2], typed[3]),
                 std::optional<QString>(expected));
    }

    void noSelectionAndSelector() {
        QVERIFY(!game::BuildGameArgs(Way::None, Hosting::WithRouter, "L", "X", "J", "U"));
        QVERIFY(!game::BuildGameArgs(Way::Host, Hosting::None, "L", "X", "J", "U"));
        QCOMPARE(game::SelectorCommand(R"(C:\Pop)", false), QString(R"(C:\Pop\HW_SW_Select.exe )"));
        QCOMPARE(game::SelectorCommand(R"(C:\Pop)", true),
                 QString(R"(C:\Pop\HW_SW_Select.exe /GAME=UW )"));
        QCOMPARE(game::SelectorCommand(R"(C:\)", false), QString(R"(C:\\HW_SW_Select.exe )"));
        QCOMPARE(game::SelectorApplication(R"(C:\Program Files\P\HW_SW_Select.exe /GAME=UW )"),
                 QString(R"(C:\Program Files\P\HW_SW_Select.exe)"));
        QCOMPARE(game::SelectorApplication(R"(C:\HW_SW_Select.exe\HW_SW_Select.exe )"),
                 QString(R"(C:\HW_SW_Select.exe\HW_SW_Select.exe)"));
        QCOMPARE(game::SelectorApplication(QString()), QString());
    }
};

QTEST_APPLESS_MAIN(BuildGameArgsTest)
#include "test_build_game_args.moc"
