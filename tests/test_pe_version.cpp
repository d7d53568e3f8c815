// Version resources of PE files: images built here byte by byte, damaged ones, a file read
// through the Linux backend, and Wine's own hhctrl.ocx where Wine is installed.

#include "fakes/temp_prefix.h"
#include "help/helpversions.h"
#include "platform/linux/linux_files.h"
#include "platform/linux/linux_versions.h"
#include "platform/linux/pe_version.h"

#include <QDirIterator>
#include <QFile>
#include <QtEndian>
#include <QtTest>

using platform::linuxbackend::fixedFileInfoFromPe;

namespace {

void put16(QByteArray& b, qsizetype at, quint16 v) {
    qToLittleEndian(v, b.data() + at);
}
void put32(QByteArray& b, qsizetype at, quint32 v) {
    qToLittleEndian(v, b.data() + at);
}

struct PeLayout {
    qsizetype resourceStart = 0; // file offset of the resource section
    qsizetype nameDir = 0x18, languageDir = 0x30, dataEntry = 0x48, versionInfo = 0x58;
};

// A minimal PE image (PE32 or PE32+) whose one section holds a resource tree with a single
// version resource (type 16, name 1, language 0x409) of file version a.b.c.d.
QByteArray buildPe(bool pe32plus, quint16 a, quint16 b, quint16 c, quint16 d,
                   PeLayout* layout = nullptr) {
    const qsizetype optionalSize = pe32plus ? 240 : 224;
    const qsizetype peOffset = 0x40;
    const qsizetype optional = peOffset + 24;
    const qsizetype sectionTable = optional + optionalSize;
    const qsizetype raw = 0x200;
    const quint32 sectionRva = 0x1000;
    PeLayout l;
    l.resourceStart = raw;
    const qsizetype versionLength = 40 + 52;
    const qsizetype resourceSize = l.versionInfo + versionLength;

    QByteArray image(raw + 0x200, '\0');
    image[0] = 'M';
    image[1] = 'Z';
    put32(image, 0x3C, peOffset);
    image.replace(peOffset, 4, QByteArray("PE\0\0", 4));
    put16(image, peOffset + 4, pe32plus ? 0x8664 : 0x14C);
    put16(image, peOffset + 6, 1); // sections
    put16(image, peOffset + 20, optionalSize);
    put16(image, optional, pe32plus ? 0x20B : 0x10B);
    const qsizetype countField = pe32plus ? 108 : 92;
    const qsizetype directories = pe32plus ? 112 : 96;
    put32(image, optional + countField, 16);
    put32(image, optional + directories + 16, sectionRva);   // resource directory RVA
    put32(image, optional + directories + 20, resourceSize); // and size
    image.replace(sectionTable, 5, QByteArray(".rsrc"));
    put32(image, sectionTable + 8, resourceSize); // virtual size
    put32(image, sectionTable + 12, sectionRva);
    put32(image, sectionTable + 16, 0x200); // raw size
    put32(image, sectionTable + 20, raw);

    auto directory = [&](qsizetype at, quint32 id, quint32 target) {
        put16(image, raw + at + 14, 1); // one entry with an ID
        put32(image, raw + at + 16, id);
        put32(image, raw + at + 20, target);
    };
    directory(0, 16, 0x80000000u | l.nameDir);
    directory(l.nameDir, 1, 0x80000000u | l.languageDir);
    directory(l.languageDir, 0x409, l.dataEntry);
    put32(image, raw + l.dataEntry, sectionRva + l.versionInfo);
    put32(image, raw + l.dataEntry + 4, versionLength);

    const qsizetype v = raw + l.versionInfo;
    put16(image, v, versionLength);
    put16(image, v + 2, 52);
    const char16_t key[] = u"VS_VERSION_INFO";
    for (qsizetype i = 0; i < 16; ++i)
        put16(image, v + 6 + 2 * i, key[i]);
    put32(image, v + 40, 0xFEEF04BDu);
    put32(image, v + 44, 0x00010000u);
    put32(image, v + 48, quint32(a) << 16 | b);
    put32(image, v + 52, quint32(c) << 16 | d);
    if (layout)
        *layout = l;
    return image;
}

QString versionOf(const QByteArray& image) {
    const auto record = fixedFileInfoFromPe(image);
    if (!record)
        return QStringLiteral("none");
    const auto version = helpversions::fromFixedFileInfo(*record);
    return version ? helpversions::versionText(*version) : QStringLiteral("bad record");
}

} // namespace

class PeVersionTest : public QObject {
    Q_OBJECT
private slots:
    void readsBothImageKinds();
    void damagedImagesGiveNothing_data();
    void damagedImagesGiveNothing();
    void everyTruncationIsRefused();
    void readsThroughThePrefix();
    void winesHelpControl();
    void benchmarkRead();
};

void PeVersionTest::readsBothImageKinds() {
    QCOMPARE(versionOf(buildPe(false, 4, 74, 8702, 0)), QStringLiteral("4.74.8702.00"));
    QCOMPARE(versionOf(buildPe(true, 5, 2, 3790, 2744)), QStringLiteral("5.02.3790.2744"));
    const auto record = fixedFileInfoFromPe(buildPe(false, 1, 0, 0, 6));
    QVERIFY(record);
    QCOMPARE(record->size(), 52);
    QCOMPARE(qFromLittleEndian<quint32>(record->constData()), 0xFEEF04BDu);
}

void PeVersionTest::damagedImagesGiveNothing_data() {
    QTest::addColumn<QByteArray>("image");
    PeLayout l;
    const QByteArray good = buildPe(false, 1, 2, 3, 4, &l);
    const qsizetype raw = l.resourceStart;
    auto changed = [&](auto edit) {
        QByteArray copy = good;
        edit(copy);
        return copy;
    };
    QTest::newRow("empty") << QByteArray();
    QTest::newRow("not MZ") << changed([](QByteArray& b) { b[0] = 'X'; });
    QTest::newRow("header far away") << changed([](QByteArray& b) { put32(b, 0x3C, 0x7FFFFFF0); });
    QTest::newRow("no PE signature") << changed([](QByteArray& b) { b[0x40] = 'N'; });
    QTest::newRow("unknown magic") << changed([](QByteArray& b) { put16(b, 0x40 + 24, 0x107); });
    QTest::newRow("two directories") << changed([](QByteArray& b) { put32(b, 0x40 + 24 + 92, 2); });
    QTest::newRow("no resources") << changed([](QByteArray& b) { put32(b, 0x40 + 24 + 112, 0); });
    QTest::newRow("sections beyond the file")
        << changed([](QByteArray& b) { put16(b, 0x40 + 6, 0xFFFF); });
    QTest::newRow("raw data beyond the file")
        << changed([](QByteArray& b) { put32(b, 0x40 + 24 + 224 + 20, 0xFFFFFF00u); });
    QTest::newRow("directory points back at itself")
        << changed([&](QByteArray& b) { put32(b, raw + 20, 0x80000000u); });
    QTest::newRow("name level points back")
        << changed([&](QByteArray& b) { put32(b, raw + l.nameDir + 20, 0x80000000u | 0x10); });
    QTest::newRow("leaf where a directory belongs")
        << changed([&](QByteArray& b) { put32(b, raw + 20, l.nameDir); });
    QTest::newRow("entry count beyond the tree") << changed([&](QByteArray& b) {
        put16(b, raw + 14, 0xFFFF);
        put32(b, raw + 16, 3);
    });
    QTest::newRow("no version type") << changed([&](QByteArray& b) { put32(b, raw + 16, 3); });
    QTest::newRow("data beyond the section")
        << changed([&](QByteArray& b) { put32(b, raw + l.dataEntry + 4, 0x10000); });
    QTest::newRow("data rva wraps")
        << changed([&](QByteArray& b) { put32(b, raw + l.dataEntry, 0xFFFFFFF0u); });
    QTest::newRow("wrong key") << changed([&](QByteArray& b) { b[raw + l.versionInfo + 6] = 'X'; });
    QTest::newRow("short value") << changed(
        [&](QByteArray& b) { put16(b, raw + l.versionInfo + 2, 20); });
    QTest::newRow("block shorter than its record")
        << changed([&](QByteArray& b) { put16(b, raw + l.versionInfo, 60); });
    QTest::newRow("no signature") << changed(
        [&](QByteArray& b) { put32(b, raw + l.versionInfo + 40, 0); });
}

void PeVersionTest::damagedImagesGiveNothing() {
    QFETCH(QByteArray, image);
    QVERIFY(!fixedFileInfoFromPe(image));
}

void PeVersionTest::everyTruncationIsRefused() {
    PeLayout l;
    const QByteArray good = buildPe(true, 1, 2, 3, 4, &l);
    // The version block ends the resource data, so every shorter image loses part of it.
    const qsizetype end = l.resourceStart + l.versionInfo + 40 + 52;
    for (qsizetype size = 0; size < end; ++size)
        QVERIFY2(!fixedFileInfoFromPe(QByteArrayView(good.constData(), size)),
                 qPrintable(QString::number(size)));
    QVERIFY(fixedFileInfoFromPe(QByteArrayView(good.constData(), end)));
}

void PeVersionTest::readsThroughThePrefix() {
    fakes::TempPrefix prefix;
    prefix.writeFile(QStringLiteral("drive_c/windows/system32/hhctrl.ocx"),
                     buildPe(false, 4, 74, 8702, 0));
    prefix.writeFile(QStringLiteral("drive_c/windows/system32/notes.txt"), "not a program");
    platform::linuxbackend::LinuxFiles files(prefix.prefix());
    platform::linuxbackend::LinuxVersionInfo versions(files);
    const auto record = versions.fixedFileInfo(QStringLiteral("C:\\WINDOWS\\system32\\HHCTRL.OCX"));
    QVERIFY(record);
    QCOMPARE(helpversions::versionText(*helpversions::fromFixedFileInfo(*record)),
             QStringLiteral("4.74.8702.00"));
    QVERIFY(!versions.fixedFileInfo(QStringLiteral("C:\\windows\\system32\\notes.txt")));
    QVERIFY(!versions.fixedFileInfo(QStringLiteral("C:\\windows\\system32\\missing.dll")));
    QVERIFY(!versions.fixedFileInfo(QStringLiteral("C:\\windows")));
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

void PeVersionTest::benchmarkRead() {
    const QByteArray image = buildPe(false, 4, 74, 8702, 0);
    QBENCHMARK {
        const auto record = fixedFileInfoFromPe(image);
        Q_UNUSED(record);
    }
}

QTEST_GUILESS_MAIN(PeVersionTest)
#include "test_pe_version.moc"
