// The settings image: its fields at their offsets, and reading and writing "Velkor.cfg".

#include "settings_support.h"

#include <QFileInfo>
#include <QtTest>
#include <optional>

namespace {

// Builds an image byte by byte from the file layout, independently of the code under test.
struct Image {
    QByteArray bytes = QByteArray(115, '\0');
    Image& at(int offset, char value) {
        bytes[offset] = value;
        return *this;
    }
    Image& text(int offset, int length, int step, const QByteArray& value) {
        for (int k = 0; k < length; ++k)
            bytes[offset + k * step] = k < value.size() ? value.at(k) : '\0';
        return *this;
    }
};

// Every byte no field owns, and the odd bytes inside the name.
QList<int> unownedOffsets() {
    QList<int> offsets{3, 37, 62, 87, 112};
    for (int o = 5; o <= 35; o += 2)
        offsets << o;
    return offsets;
}

QByteArray patterned(int size) {
    QByteArray bytes(size, '\0');
    for (int i = 0; i < size; ++i)
        bytes[i] = static_cast<char>(0xA0 + i % 50);
    return bytes;
}

} // namespace

class LaunchSettingsTest : public QObject {
    Q_OBJECT
private slots:
    void flagsAreSetOnlyByByteOne() {
        for (int offset : {0, 1, 2, 36, 114}) {
            for (char byte : {char(1), char(2), char(255), char(0)}) {
                LaunchSettings s;
                s.image[offset] = byte;
                const bool set = byte == 1;
                QCOMPARE(s.DefaultGame(), offset == 0 && set);
                QCOMPARE(s.DefaultWay(), offset == 1 && set);
                QCOMPARE(s.DefaultHosting(), offset == 2 && set);
                QCOMPARE(s.OverrideEnabled(), offset == 36 && set);
                QCOMPARE(s.AutoDetectRouter(), offset == 114 && set);
            }
        }
    }

    void fieldsAtTheirOffsets() {
        LaunchSettings s;
        s.image = patterned(115);
        const QByteArray before = s.image;
        s.setDefaultGame(true);
        s.setDefaultWay(true);
        s.setDefaultHosting(true);
        s.setUserName("ABCDEFGHIJKLMNOPQRST"); // 20 characters
        s.setOverrideEnabled(true);
        s.setOverrideAddress("10.0.0.9");
        s.setLocalAddress("192.168.1.20");
        s.setRouterAddress("1234567890123456789012345678");
        s.setLocalAddressIndex(200);
        s.setAutoDetectRouter(true);
        Image expected{before};
        expected.at(0, 1).at(1, 1).at(2, 1).text(4, 16, 2, "ABCDEFGHIJKLMNOP").at(36, 1);
        expected.text(38, 24, 1, "10.0.0.9").text(63, 24, 1, "192.168.1.20");
        expected.text(88, 24, 1, "123456789012345678901234").at(113, char(200)).at(114, 1);
        QCOMPARE(s.image.toHex(' '), expected.bytes.toHex(' '));
        QCOMPARE(s.UserName(), QStringLiteral("ABCDEFGHIJKLMNOP"));
        QCOMPARE(s.RouterAddress(), QStringLiteral("123456789012345678901234"));
        QCOMPARE(s.LocalAddressIndex(), 200);

        s.setDefaultWay(false);
        s.setRouterAddress("1.2"); // a shorter text clears the rest
        QCOMPARE(s.image.at(1), '\0');
        QCOMPARE(s.image.mid(88, 24), QByteArray("1.2") + QByteArray(21, '\0'));
        s.setOverrideAddress("");
        s.image.replace(38, 4,
                        QByteArray("12\0"
                                   "7",
                                   4));
        QCOMPARE(s.OverrideAddress(), QStringLiteral("127"));
        s.image[4] = '\0';
        QCOMPARE(s.UserName(), QStringLiteral("BCDEFGHIJKLMNOP"));
        for (int offset : unownedOffsets())
            QCOMPARE(s.image.at(offset), before.at(offset));

        QCOMPARE(trimBlanks(QStringLiteral("  a b  ")), QStringLiteral("a b"));
        QCOMPARE(trimBlanks(QStringLiteral(" 1.2\r\n")), QStringLiteral("1.2\r\n"));
    }

    void shortAndLongFiles() {
        fakes::FakePlatform os;
        const settingstest::Place place(os);
        const QByteArray fifty = patterned(50);
        place.write(fifty);
        LaunchSettings s;
        s.read(place.windowsFile());
        QCOMPARE(s.image, fifty + QByteArray(65, '\0'));
        QCOMPARE(QFileInfo(place.file).size(), 50); // reading writes nothing

        const QByteArray twoHundred = patterned(200);
        place.write(twoHundred);
        s.read(place.windowsFile());
        QCOMPARE(s.image, twoHundred.left(115));
        s.setUserName("Ikani");
        QVERIFY(s.write(place.windowsFile()));
        const QByteArray after = place.bytes();
        QCOMPARE(after, s.image + twoHundred.mid(115));
        for (int offset : unownedOffsets())
            QCOMPARE(after.at(offset), twoHundred.at(offset));
    }

    void missingFoldersAndFile() {
        fakes::FakePlatform os;
        const settingstest::Place place(os);
        // As on a first start without ~/.config: not even the application-data folder is there.
        const QString users = os.prefix.driveC() + "/users";
        QVERIFY(QDir(users).removeRecursively());
        LaunchSettings s;
        s.setUserName("Dakini");
        QVERIFY(s.write(place.windowsFile())); // creates the folders and tries once more
        QCOMPARE(place.bytes(), s.image);

        QVERIFY(QDir(users).removeRecursively());
        s.read(place.windowsFile()); // first start: the folders but no file
        QCOMPARE(s.image, QByteArray(115, '\0'));
        QVERIFY(QFileInfo(place.folder).isDir() && !QFileInfo::exists(place.file));

        s.image[0] = 1;
        s.read(place.windowsFile()); // the folder without the file: an empty file
        QCOMPARE(s.image, QByteArray(115, '\0'));
        QVERIFY(QFileInfo::exists(place.file) && QFileInfo(place.file).size() == 0);
    }

    // Loading never waits and reads only a regular file; a save that does not write the whole
    // image says so and leaves what is there.
    void failedSaveChangesNothing_data() {
        QTest::addColumn<QString>("obstacle");
        QTest::addColumn<QByteArray>("stored"); // the file before; null: none
        QTest::newRow("read-only file") << "read-only" << Image().at(1, 1).bytes;
        QTest::newRow("disk full, empty file") << "disk full" << QByteArray("");
        QTest::newRow("disk full, longer file") << "disk full" << patterned(200);
        QTest::newRow("folder blocked by a file") << "blocked" << QByteArray();
        QTest::newRow("path too long") << "long" << QByteArray();
        QTest::newRow("FIFO as the file") << "fifo" << QByteArray();
    }
    void failedSaveChangesNothing() {
        QFETCH(QString, obstacle);
        QFETCH(QByteArray, stored);
        fakes::FakePlatform os;
        const settingstest::Place place(os);
        QString file = place.windowsFile();
        if (!stored.isNull())
            place.write(stored);
        std::optional<settingstest::ReadOnly> readOnly;
        std::optional<settingstest::Fifo> fifo;
        const QString blocker = place.appData + "/Populous";
        if (obstacle == "read-only") {
            readOnly.emplace(place.file);
            if (!readOnly->refused)
                QSKIP("this process cannot give up its right to write read-only files");
        } else if (obstacle == "blocked") {
            QFile f(blocker);
            QVERIFY(f.open(QIODevice::WriteOnly) && f.write("kept") == 4);
        } else if (obstacle == "long") {
            file = place.settingsdir + "\\" + QString(300, 'x') + "\\Velkor.cfg";
        } else if (obstacle == "fifo") {
            fifo.emplace(place.file, QByteArray(115, 'X'));
            QVERIFY(fifo->made);
        }
        LaunchSettings s;
        s.read(file);
        QCOMPARE(s.image, (stored + QByteArray(115, '\0')).left(115));
        s.setUserName("Other");
        const bool saved = [&] {
            std::optional<settingstest::DiskFull> full;
            if (obstacle == "disk full")
                full.emplace();
            return s.write(file);
        }();
        QVERIFY(!saved);
        if (fifo)
            QVERIFY(!QFileInfo(place.file).isFile());
        else
            QCOMPARE(place.bytes(), stored.isNull() ? QByteArray() : stored);
        if (obstacle == "blocked")
            QCOMPARE(QFileInfo(blocker).size(), 4);
    }
};

QTEST_MAIN(LaunchSettingsTest)
#include "test_launch_settings.moc"
