// The game's arguments and programs: the one rule from the choices to the command line.

#include "core/game/BuildGameArgs.h"

#include <QtTest>

class BuildGameArgsTest : public QObject {
    Q_OBJECT
private slots:
    // Hosting with a router or joining, the text as typed (the other ways: the launches below).
    void gameArguments() {
        const auto args = [](game::Way way) {
            return game::BuildGameArgs(way, game::Hosting::WithRouter, " 10.0.0.7", "203.0.113.7 ",
                                       "host:1", "Ann \"B\"")
                .value_or("none");
        };
        QCOMPARE(args(game::Way::Host),
                 "/h tcp /boundip  10.0.0.7 /externip 203.0.113.7  /nAnn \"B\"");
        QCOMPARE(args(game::Way::Join), "/j tcp host:1 /nAnn \"B\""); // hosting left set
    }
};

QTEST_MAIN(BuildGameArgsTest)
#include "test_build_game_args.moc"
