// Version resources of PE files: a small image built here, damaged copies of it, the file read
// through the Linux backend, and Wine's own hhctrl.ocx where Wine is installed.

#include "fakes/temp_prefix.h"
#include "help/helpversions.h"
#include "platform/linux/linux_files.h"
#include "platform/linux/linux_versions.h"
#include "platform/wine/pe_version.h"

#include <QDirIterator>
#include <QFile>
#include <QtEndian>
#include <QtTest>

#include <sys/stat.h>

using platform::wine::fixedFileInfoFromPe;

namespace {

void put16(QByteArray& b, qsizetype at, quint16 v) {
    qToLittleEndian(v, b.data() + at);
}
void put32(QByteArray& b, qsizetype at, quint32 v) {
    qToLittleEndian(v, b.data() + at);
}

// File offsets: the PE header, its optional header, the resource section, and within that
// section the name and language directories, the data entry and the version block.
constexpr qsizetype Pe = 0x40, Optional = Pe + 24, Raw = 0x200;
constexpr quint32 NameDir = 0x18, LanguageDir = 0x30, DataEntry = 0x48, VersionInfo = 0x58;
constexpr quint32 VersionSize = 40 + 52, Rva = 0x1000, Subdirectory = 0x80000000u;

// One section holding a resource tree with a single version resource (type 16, name 1,
// language 0x409) of file version a.b.c.d.
QByteArray buildPe(bool pe32plus, quint16 a, quint16 b, quint16 c, quint16 d) {
    const qsizetype optionalSize = pe32plus ? 240 : 224, section = Optional + optionalSize;
    const qsizetype directories = Optional + (pe32plus ? 112 : 96);
    QByteArray image(Raw + 0x200, '\0');
    image.replace(0, 2, "MZ");
    put32(image, 0x3C, Pe);
    image.replace(Pe, 4, QByteArray("PE\0\0", 4));
    put16(image, Pe + 4, pe32plus ? 0x8664 : 0x14C);
    put16(image, Pe + 6, 1); // sections
    put16(image, Pe + 20, optionalSize);
    put16(image, Optional, pe32plus ? 0x20B : 0x10B);
    put32(image, directories - 4, 16); // directory count
    put32(image, directories + 16, Rva);
    put32(image, directories + 20, VersionInfo + VersionSize);
    image.replace(section, 5, ".rsrc");
    put32(image, section + 8, VersionInfo + VersionSize);
    put32(image, section + 12, Rva);
    put32(image, section + 16, 0x200);
    put32(image, section + 20, Raw);
    const quint32 tree[][3] = {{0, 16, Subdirectory | NameDir},
                               {NameDir, 1, Subdirectory | LanguageDir},
                               {LanguageDir, 0x409, DataEntry}};
    for (const auto& [at, id, target] : tree) {
        put16(image, Raw + at + 14, 1); // one entry with an ID
        put32(image, Raw + at + 16, id);
        put32(image, Raw + at + 20, target);
    }
    put32(image, Raw + DataEntry, Rva + VersionInfo);
    put32(image, Raw + DataEntry + 4, VersionSize);
    const qsizetype v = Raw + VersionInfo;
    put16(image, v, VersionSize);
    put16(image, v + 2, 52);
    const char16_t key[] = u"VS_VERSION_INFO";
    for (qsizetype i = 0; i < 16; ++i)
        put16(image, v + 6 + 2 * i, key[i]);
    put32(image, v + 40, 0xFEEF04BDu);
    put32(image, v + 48, quint32(a) << 16 | b);
    put32(image, v + 52, quint32(c) << 16 | d);
    return image;
}

QString versionOf(std::optional<QByteArray> record) {
    return record ? helpversions::versionText(*helpversions::fromFixedFileInfo(*record))
                  : QStringLiteral("none");
}

} // namespace

class PeVersionTest : public QObject {
    Q_OBJECT
private slots:
    void readsTheVersion();
    void damagedImagesGiveNothing_data();
    void damagedImagesGiveNothing();
    void everyTruncationIsRefused();
    void winesHelpControl();
};

void PeVersionTest::readsTheVersion() {
    QCOMPARE(versionOf(fixedFileInfoFromPe(buildPe(true, 5, 2, 3790, 2744))),
             QStringLiteral("5.02.3790.2744"));
    // Through the backend: the Windows path found whatever its case; other files have none.
    fakes::TempPrefix prefix;
    prefix.writeFile(QStringLiteral("drive_c/windows/hhctrl.ocx"), buildPe(false, 4, 74, 8702, 0));
    prefix.writeFile(QStringLiteral("drive_c/windows/notes.txt"), "not a program");
    // A FIFO would block the read for ever.
    QCOMPARE(::mkfifo(QFile::encodeName(prefix.driveC() + "/windows/fifo.dll").constData(), 0600),
             0);
    platform::linuxbackend::LinuxFiles files(prefix.prefix());
    platform::linuxbackend::LinuxVersionInfo versions(files);
    QCOMPARE(versionOf(versions.fixedFileInfo(QStringLiteral("C:\\WINDOWS\\HHCTRL.OCX"))),
             QStringLiteral("4.74.8702.00"));
    for (const char* path : {"C:\\windows\\notes.txt", "C:\\windows\\missing.dll", "C:\\windows",
                             "C:\\windows\\fifo.dll"})
        QVERIFY(!versions.fixedFileInfo(QLatin1String(path)));
}

void PeVersionTest::damagedImagesGiveNothing_data() {
    QTest::addColumn<QByteArray>("image");
    const QByteArray good = buildPe(false, 1, 2, 3, 4);
    auto with32 = [&](qsizetype at, quint32 value, QByteArray image = {}) {
        image = image.isEmpty() ? good : image;
        put32(image, at, value);
        return image;
    };
    auto with16 = [&](qsizetype at, quint16 value) {
        QByteArray image = good;
        put16(image, at, value);
        return image;
    };
    const qsizetype v = Raw + VersionInfo;
    QTest::newRow("empty") << QByteArray();
    QTest::newRow("not MZ") << with16(0, 0);
    QTest::newRow("header far away") << with32(0x3C, 0x7FFFFFF0);
    QTest::newRow("no PE signature") << with32(Pe, 0);
    QTest::newRow("unknown magic") << with16(Optional, 0x107);
    QTest::newRow("two directories") << with32(Optional + 92, 2);
    QTest::newRow("no resources") << with32(Optional + 112, 0);
    QTest::newRow("sections beyond the file") << with16(Pe + 6, 0xFFFF);
    QTest::newRow("raw data beyond the file") << with32(Optional + 224 + 20, 0xFFFFFF00u);
    QTest::newRow("directory points at itself") << with32(Raw + 20, Subdirectory);
    QTest::newRow("name level points back") << with32(Raw + NameDir + 20, Subdirectory | 0x10);
    QTest::newRow("leaf where a directory belongs") << with32(Raw + 20, NameDir);
    QTest::newRow("entry count beyond the tree") << with32(Raw + 16, 3, with16(Raw + 14, 0xFFFF));
    QTest::newRow("no version type") << with32(Raw + 16, 3);
    QTest::newRow("data beyond the section") << with32(Raw + DataEntry + 4, 0x10000);
    QTest::newRow("data rva wraps") << with32(Raw + DataEntry, 0xFFFFFFF0u);
    QTest::newRow("wrong key") << with16(v + 6, 'X');
    QTest::newRow("short value") << with16(v + 2, 20);
    QTest::newRow("block shorter than its record") << with16(v, 60);
    QTest::newRow("no signature") << with32(v + 40, 0);
}

void PeVersionTest::damagedImagesGiveNothing() {
    QFETCH(QByteArray, image);
    QVERIFY(!fixedFileInfoFromPe(image));
}

void PeVersionTest::everyTruncationIsRefused() {
    // The version block ends the resource data, so every shorter image loses part of it.
    const QByteArray good = buildPe(true, 1, 2, 3, 4);
    const qsizetype end = Raw + VersionInfo + VersionSize;
    for (qsizetype size = 0; size < end; ++size)
        QVERIFY2(!fixedFileInfoFromPe(QByteArrayView(good.constData(), size)),
                 qPrintable(QString::number(size)));
    QVERIFY(fixedFileInfoFromPe(QByteArrayView(good.constData(), end)));
}

void PeVersionTest::winesHelpControl() {
    QStringList found;
    for (const char* root : {"/usr/lib/wine", "/usr/lib/x86_64-linux-gnu/wine",
                             "/usr/lib/i386-linux-gnu/wine", "/usr/lib64/wine", "/opt/wine"}) {
        QDirIterator it(QLatin1String(root), {QStringLiteral("hhctrl.ocx")}, QDir::Files,
                        QDirIterator::Subdirectories);
        while (it.hasNext())
            found << it.next();
    }
    if (found.isEmpty())
        QSKIP("Wine is not installed");
    for (const QString& path : found) {
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const auto record = fixedFileInfoFromPe(file.readAll());
        // Wine's unix-side .so builds carry no PE resources; its PE builds do.
        if (!record && !path.contains(QLatin1String("-windows")))
            continue;
        QVERIFY2(record, qPrintable(path));
        const auto version = *helpversions::fromFixedFileInfo(*record);
        QCOMPARE(QList<int>({version.major, version.minor, version.build, version.revision}),
                 QList<int>({5, 2, 3790, 2744}));
    }
}

QTEST_GUILESS_MAIN(PeVersionTest)
#include "test_pe_version.moc"
