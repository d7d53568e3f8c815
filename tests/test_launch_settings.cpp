// The settings image: its fields at their offsets, and reading and writing "Velkor.cfg".

#include "settings_support.h"

#include <QFileInfo>
#include <QtTest>

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

        QCOMPARE(settingsfile::trimBlanks("  a b  "), QStringLiteral("a b"));
        QCOMPARE(settingsfile::trimBlanks(" 1.2\r\n"), QStringLiteral("1.2\r\n"));
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
        s.write(place.windowsFile());
        const QByteArray after = place.bytes();
        QCOMPARE(after, s.image + twoHundred.mid(115));
        for (int offset : unownedOffsets())
            QCOMPARE(after.at(offset), twoHundred.at(offset));
        QVERIFY(os.ui.boxes.empty());
    }

    void missingFoldersAndFile() {
        fakes::FakePlatform os;
        const settingstest::Place place(os);
        LaunchSettings s;
        s.setUserName("Dakini");
        s.write(place.windowsFile()); // creates the folders and tries once more
        QCOMPARE(place.bytes(), s.image);

        QVERIFY(QDir(place.appData + "/Populous").removeRecursively());
        s.read(place.windowsFile()); // first start: the folders but no file
        QCOMPARE(s.image, QByteArray(115, '\0'));
        QVERIFY(QFileInfo(place.folder).isDir() && !QFileInfo::exists(place.file));

        s.image[0] = 1;
        s.read(place.windowsFile()); // the folder without the file: an empty file
        QCOMPARE(s.image, QByteArray(115, '\0'));
        QVERIFY(QFileInfo::exists(place.file) && QFileInfo(place.file).size() == 0);
        QVERIFY(os.ui.boxes.empty());
    }

    void readOnlyFileLoadsButEverySaveIsRefusedOnce() {
        fakes::FakePlatform os;
        const settingstest::Place place(os);
        const QByteArray stored = Image().at(1, 1).text(4, 16, 2, "Tiyao").bytes;
        place.write(stored);
        const settingstest::ReadOnly readOnly(place.file);
        if (!readOnly.refused)
            QSKIP("this process cannot give up its right to write read-only files");
        LaunchSettings s;
        s.read(place.windowsFile());
        QVERIFY(s.UserName() == "Tiyao" && s.DefaultWay());
        s.setUserName("Other");
        for (int save = 1; save <= 2; ++save) {
            s.write(place.windowsFile());
            QCOMPARE(int(os.ui.boxes.size()), save);
            QCOMPARE(os.ui.boxes.back().text,
                     QStringLiteral("Could not update \"Velkor.cfg\" either because it is set to "
                                    "Read-Only or because you do not have the required "
                                    "permissions to edit this file."));
            QCOMPARE(os.ui.boxes.back().title, QStringLiteral("Velkor"));
            QCOMPARE(os.ui.boxes.back().style, 48);
            QCOMPARE(place.bytes(), stored);
        }
    }
};

QTEST_MAIN(LaunchSettingsTest)
#include "test_launch_settings.moc"
