// Steam's lists, and what counts as the game's folder (registry records: test_game_locator).

#include "core/game/game_locator.h"
#include "core/launchers/store_installs.h"
#include "core/launchers/valve_keyvalues.h"
#include "fakes/host_files.h"
#include "fakes/rows.h"
#include "fakes/temp_prefix.h"

#include <QtTest>

using namespace launchers;

namespace {

QString shown(const std::vector<KeyValue>& pairs) {
    QString text;
    for (const KeyValue& pair : pairs)
        text +=
            pair.key + (pair.isBlock ? '{' + shown(pair.children) + '}' : '=' + pair.value) + ';';
    return text;
}

} // namespace

// Declared ahead of the test data: moc cannot read past raw string literals.
class StoreInstallsTest : public QObject {
    Q_OBJECT
private slots:
    void keyValues_data();
    void keyValues() {
        QFETCH(QString, text);
        QFETCH(QString, read);
        const auto pairs = parseKeyValues(text.toUtf8());
        QCOMPARE(pairs ? shown(*pairs) : QStringLiteral("none"), read);
    }
    void steamListsAndGameFolders();
    // A folder is looked into once, whatever its records' paths; the search stops at its budget.
    void oneSearchBounded() {
        const fakes::TempPrefix temp;
        for (const char* name : {"decoys/a", "decoys/b", "decoys/c", "decoys/d", "decoys/e",
                                 "game/x", "game/popTB.exe"})
            temp.writeFile(name, "MZ");
        const QString decoys = temp.root() + "/decoys", game = temp.root() + "/game";
        fakes::HostFiles host;
        game::GameFolderSearch search(host, 7);
        for (int record = 0; record < 4096; ++record)
            QVERIFY(!search.holdsGamePrograms(record % 2 ? decoys + "/./" : game + "/../decoys"));
        QCOMPARE(search.entriesLeft(), 2);
        QVERIFY(search.holdsGamePrograms(game));
        game::GameFolderSearch spent(host, 5);
        QVERIFY(!spent.holdsGamePrograms(decoys));
        QVERIFY(!spent.holdsGamePrograms(game));
    }
};

void StoreInstallsTest::keyValues_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("read"); // "none": refused
    addRow("nested, comments, bare words",
           {"// Steam\n\"a\" { \"b\" \"1\"\t\"c\"{} }\r\nd e", "a{b=1;c{};};d=e;"});
    addRow("escapes", {R"("p" "C:\\Steam \"x\"\n")", "p=C:\\Steam \"x\"\n;"});
    addRow("unclosed quote", {R"("a" "b)", "none"});
    addRow("unclosed block", {R"("a" { "b" "c")", "none"});
    addRow("stray close", {R"("a" "b" })", "none"});
    addRow("key without value", {R"("a")", "none"});
    addRow("block as key", {"{ }", "none"});
    addRow("too deep", {QString("\"a\" {").repeated(16) + QString("}").repeated(16), "none"});
    addRow("deep enough", {QString("\"a\" {").repeated(15) + QString("}").repeated(15),
                           QString("a{").repeated(15) + QString("};").repeated(15)});
}

// Steam's libraries; a folder counts with a game program, any case.
void StoreInstallsTest::steamListsAndGameFolders() {
    const fakes::TempPrefix temp;
    const QString steam = temp.root() + "/Steam", library = temp.root() + "/Lib 2",
                  gog = temp.root() + "/GOG/Populous", game = library + "/steamapps/common/Pop 3";
    temp.writeFile(
        "Steam/steamapps/libraryfolders.vdf",
        QByteArray(R"("libraryfolders" { "0" { "path" "<steam>" } "1" { "path" "<lib>" "apps" {
                       "2616430" "9" } } "2" "relative/lib" "3" "<lib>" })")
            .replace("<steam>", steam.toUtf8())
            .replace("<lib>", library.toUtf8()));
    temp.writeFile("Steam/steamapps/appmanifest_2616430.acf",
                   "\"AppState\" { \"installdir\" \"../../GOG/Populous\" }");
    temp.writeFile("Lib 2/steamapps/appmanifest_2616430.acf",
                   "\"AppState\" { \"appid\" \"2616430\" \"InstallDir\" \"Pop 3\" }");
    fakes::HostFiles host;
    QCOMPARE(steamLibraries(steam, host), QStringList({steam, library}));
    QCOMPARE(steamGameFolder(steam, host), QString()); // not a plain folder name
    QCOMPARE(steamGameFolder(library, host), game);

    temp.writeFile("Lib 2/steamapps/common/Pop 3/d3dpoptb.EXE", "MZ");
    temp.writeFile("GOG/Populous/HW_SW_Select.exe", "MZ");
    QVERIFY(QDir().mkpath(temp.root() + "/decoy/popTB.exe"));
    temp.writeFile("decoy/D3DPopTB.exe.txt", "");
    QVERIFY(game::holdsGamePrograms(host, game));
    QVERIFY(game::holdsGamePrograms(host, gog));
    QVERIFY(!game::holdsGamePrograms(host, temp.root() + "/decoy"));
    QVERIFY(!game::holdsGamePrograms(host, QString()));
}

QTEST_MAIN(StoreInstallsTest) // with a QApplication: the Windows runner passes -platform
#include "test_store_installs.moc"
