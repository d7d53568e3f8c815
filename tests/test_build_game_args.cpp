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
    void buildsArguments_data();
    void buildsArguments();
    void noSelectionMeansNoChange();
    void selectorCommand();
    void selectorApplication();
};

void BuildGameArgsTest::buildsArguments_data() {
    QTest::addColumn<Way>("way");
    QTest::addColumn<Hosting>("hosting");
    QTest::addColumn<QString>("local");
    QTest::addColumn<QString>("external");
    QTest::addColumn<QString>("join");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("expected");

    QTest::newRow("host without router") << Way::Host << Hosting::WithoutRouter << "192.168.0.2"
                                         << "203.0.113.7"
                                         << "10.1.1.1"
                                         << "Player1"
                                         << "/h tcp /boundip 192.168.0.2 /nPlayer1";
    QTest::newRow("host with router")
        << Way::Host << Hosting::WithRouter << "192.168.0.2"
        << "203.0.113.7"
        << "10.1.1.1"
        << "Player1"
        << "/h tcp /boundip 192.168.0.2 /externip 203.0.113.7 /nPlayer1";
    QTest::newRow("join, hosting ignored") << Way::Join << Hosting::None << "192.168.0.2"
                                           << "203.0.113.7"
                                           << "10.1.1.1"
                                           << "Player1"
                                           << "/j tcp 10.1.1.1 /nPlayer1";
    QTest::newRow("join with a stale hosting choice") << Way::Join << Hosting::WithRouter << "L"
                                                      << "X"
                                                      << "J"
                                                      << "U"
                                                      << "/j tcp J /nU";
    QTest::newRow("empty addresses keep their blanks") << Way::Host << Hosting::WithRouter << ""
                                                       << ""
                                                       << ""
                                                       << "U"
                                                       << "/h tcp /boundip  /externip  /nU";
    QTest::newRow("empty join address") << Way::Join << Hosting::None << ""
                                        << ""
                                        << ""
                                        << "U"
                                        << "/j tcp  /nU";
    QTest::newRow("name of blanks, nothing trimmed")
        << Way::Host << Hosting::WithoutRouter << " 1.2.3.4 "
        << ""
        << ""
        << "   "
        << "/h tcp /boundip  1.2.3.4  /n   ";
    QTest::newRow("shell characters as typed") << Way::Join << Hosting::None << ""
                                               << ""
                                               << "1.2.3.4\""
                                               << "; rm -rf ~"
                                               << "/j tcp 1.2.3.4\" /n; rm -rf ~";
    QTest::newRow("empty name") << Way::Host << Hosting::WithoutRouter << "L"
                                << ""
                                << ""
                                << ""
                                << "/h tcp /boundip L /n";
}

void BuildGameArgsTest::buildsArguments() {
    QFETCH(Way, way);
    QFETCH(Hosting, hosting);
    QFETCH(QString, local);
    QFETCH(QString, external);
    QFETCH(QString, join);
    QFETCH(QString, name);
    QFETCH(QString, expected);
    const auto args = game::BuildGameArgs(way, hosting, local, external, join, name);
    QVERIFY(args.has_value());
    QCOMPARE(*args, expected);
}

void BuildGameArgsTest::noSelectionMeansNoChange() {
    QVERIFY(!game::BuildGameArgs(Way::None, Hosting::WithRouter, "L", "X", "J", "U"));
    QVERIFY(!game::BuildGameArgs(Way::None, Hosting::None, "L", "X", "J", "U"));
    QVERIFY(!game::BuildGameArgs(Way::Host, Hosting::None, "L", "X", "J", "U"));
}

void BuildGameArgsTest::selectorCommand() {
    QCOMPARE(game::SelectorCommand(R"(C:\Games\Populous)", false),
             QString(R"(C:\Games\Populous\HW_SW_Select.exe )"));
    QCOMPARE(game::SelectorCommand(R"(C:\Games\Populous)", true),
             QString(R"(C:\Games\Populous\HW_SW_Select.exe /GAME=UW )"));
    // A drive root keeps its backslash, so two stand in a row.
    QCOMPARE(game::SelectorCommand(R"(C:\)", false), QString(R"(C:\\HW_SW_Select.exe )"));
    // The example command: executable part and arguments joined by its one trailing blank.
    QCOMPARE(game::SelectorCommand(R"(C:\Games\Populous)", true) +
                 *game::BuildGameArgs(Way::Host, Hosting::WithRouter, "192.168.0.2", "203.0.113.7",
                                      "", "Player1"),
             QString(R"(C:\Games\Populous\HW_SW_Select.exe /GAME=UW /h tcp /boundip 192.168.0.2 )"
                     R"(/externip 203.0.113.7 /nPlayer1)"));
}

void BuildGameArgsTest::selectorApplication() {
    QCOMPARE(game::SelectorApplication(R"(C:\Program Files\Pop\HW_SW_Select.exe /GAME=UW )"),
             QString(R"(C:\Program Files\Pop\HW_SW_Select.exe)"));
    QCOMPARE(game::SelectorApplication(R"(C:\\HW_SW_Select.exe )"),
             QString(R"(C:\\HW_SW_Select.exe)"));
    // A folder that happens to carry the selector's name is part of the path.
    QCOMPARE(game::SelectorApplication(R"(C:\HW_SW_Select.exe\HW_SW_Select.exe )"),
             QString(R"(C:\HW_SW_Select.exe\HW_SW_Select.exe)"));
    QCOMPARE(game::SelectorApplication(QString()), QString());
}

QTEST_APPLESS_MAIN(BuildGameArgsTest)
#include "test_build_game_args.moc"
