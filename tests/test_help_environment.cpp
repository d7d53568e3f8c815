// The help class's environment checks: version texts and release names, the minimum-version
// check, the help-file registry (register, look up, unregister) and the registry helpers.

#include "fakes/fake_platform.h"
#include "help/HTMLHelp.h"
#include "help/helpregistry.h"
#include "help/helpversions.h"

#include <QtEndian>
#include <QtTest>

using platform::RootKey;

namespace {

const QString HelpFileKey = QStringLiteral("Software\\Microsoft\\Windows\\HTML Help");
const QString HHKey =
    QStringLiteral("CLSID\\{4662DAB0-D393-11D0-9A56-00C04FB68B66}\\InprocServer32");
const QString IEKey =
    QStringLiteral("CLSID\\{0A89A860-D7B1-11CE-8350-444553540000}\\InProcServer32");
const QString HHFile = QStringLiteral("c:\\windows\\system32\\hhctrl.ocx");
const QString IEFile = QStringLiteral("c:\\windows\\system32\\shdocvw.dll");

QByteArray fixedInfo(quint16 a, quint16 b, quint16 c, quint16 d) {
    QByteArray record(52, '\0');
    qToLittleEndian<quint32>(0xFEEF04BDu, record.data());
    qToLittleEndian<quint32>(quint32(a) << 16 | b, record.data() + 8);
    qToLittleEndian<quint32>(quint32(c) << 16 | d, record.data() + 12);
    return record;
}

QStringList boxTexts(const fakes::FakePlatform& os) {
    QStringList texts;
    for (const auto& box : os.ui.boxes)
        texts << box.text;
    return texts;
}

// Records which paths the class asks the version service about.
class RecordingVersions : public fakes::FakeVersionInfo {
public:
    QStringList asked;
    std::optional<QByteArray> fixedFileInfo(const QString& path) override {
        asked << path;
        return FakeVersionInfo::fixedFileInfo(path);
    }
};

// Refuses every write, as the backend does while Wine's server holds the prefix.
class LockedRegistry : public fakes::FakeRegistry {
public:
    long setValue(RootKey, const QString&, const platform::RegEntry&) override {
        return platform::winerror::Busy;
    }
};

// Both controls registered, with their files in the prefix.
struct Environment {
    fakes::FakePlatform os;
    HTMLHelp help;

    Environment(QByteArray hh = fixedInfo(4, 74, 8702, 0),
                QByteArray ie = fixedInfo(5, 0, 2919, 6307)) {
        os.prefix.writeFile(QStringLiteral("drive_c/windows/system32/hhctrl.ocx"), "MZ");
        os.prefix.writeFile(QStringLiteral("drive_c/windows/system32/shdocvw.dll"), "MZ");
        os.registry.set(RootKey::ClassesRoot, HHKey, QString(), platform::regtype::ExpandSz,
                        QByteArray("%SystemRoot%\\system32\\hhctrl.ocx") + '\0');
        os.registry.setString(RootKey::ClassesRoot, IEKey, QString(), IEFile);
        os.versions.records[HHFile] = hh;
        os.versions.records[IEFile] = ie;
    }
};

} // namespace

class HelpEnvironmentTest : public QObject {
    Q_OBJECT
private slots:
    void versionTexts_data();
    void versionTexts();
    void releaseNamesAndMinimums();
    void versionsCompareAsNumbers_data();
    void versionsCompareAsNumbers();
    void verifyMinConfig();
    void detectionMessages();
    void friendlyNamesDetectOnlyWhenEmpty();
    void registerCheckAndUnregister();
    void registerRefusals();
    void longFileNames();
    void registryHelpers();
};

void HelpEnvironmentTest::versionTexts_data() {
    QTest::addColumn<QByteArray>("record");
    QTest::addColumn<QString>("text");
    QTest::newRow("4.74.8702.0") << fixedInfo(4, 74, 8702, 0) << "4.74.8702.00";
    QTest::newRow("no build") << fixedInfo(4, 70, 0, 1155) << "4.70.1155";
    QTest::newRow("short revision") << fixedInfo(5, 0, 2919, 800) << "5.00.2919.800";
    QTest::newRow("build read as negative") << fixedInfo(1, 0, 0x8000, 5) << "1.00.0005";
    QTest::newRow("negative minor") << fixedInfo(1, 0xFFFB, 2, 3) << "1.-05.02.03";
}

void HelpEnvironmentTest::versionTexts() {
    QFETCH(QByteArray, record);
    QFETCH(QString, text);
    const auto version = helpversions::fromFixedFileInfo(record);
    QVERIFY(version);
    QCOMPARE(helpversions::versionText(*version), text);
    // Anything but a whole, signed record has no version.
    QVERIFY(!helpversions::fromFixedFileInfo(record.left(51)));
    record[0] = 0;
    QVERIFY(!helpversions::fromFixedFileInfo(record));
}

void HelpEnvironmentTest::releaseNamesAndMinimums() {
    using namespace helpversions;
    QCOMPARE(hhReleaseName(QStringLiteral("4.74.8702.00")), QStringLiteral("1.3"));
    QCOMPARE(hhReleaseName(QStringLiteral("4.74.8702.0")), QStringLiteral("unknown"));
    QCOMPARE(ieReleaseName(QStringLiteral("5.00.2919.6307")), QStringLiteral("5.01"));
    // 4.70.0.1155 formats without its build, which the browser table does not hold.
    QCOMPARE(ieReleaseName(QStringLiteral("4.70.1155")), QStringLiteral("unknown"));

    QCOMPARE(hhMinimum(16), QStringLiteral("4.72.7290"));
    QCOMPARE(hhMinimum(26), QStringLiteral("4.74.8702"));
    QCOMPARE(ieMinimum(256), QStringLiteral("4.70.1155"));
    QCOMPARE(ieMinimum(273), QStringLiteral("5.00.2919.3800"));
    QVERIFY(!hhMinimum(15) && !hhMinimum(27) && !ieMinimum(255) && !ieMinimum(274));
    QVERIFY(!ieMinimum(26) && !hhMinimum(256));
}

void HelpEnvironmentTest::versionsCompareAsNumbers_data() {
    QTest::addColumn<QString>("installed");
    QTest::addColumn<QString>("minimum");
    QTest::addColumn<bool>("reaches");
    auto row = [](const char* name, const char* installed, const char* minimum, bool reaches) {
        QTest::newRow(name) << QString::fromLatin1(installed) << QString::fromLatin1(minimum)
                            << reaches;
    };
    row("extra zero part", "4.74.8702.00", "4.74.8702", true);
    row("equal", "4.72.7290", "4.72.7290", true);
    row("major ten", "10.0.0.0", "4.72.7290", true); // a text comparison denies it
    row("one build short", "4.72.7289.00", "4.72.7290", false);
    row("longer revision", "5.00.2919.6307", "5.00.2919.800", true);
    row("shorter revision", "5.00.2919.800", "5.00.2919.3800", false);
    row("missing part is zero", "4.72", "4.72.0.0", true);
    row("nothing detected", "", "4.72.7290", false);
    row("unknown", "unknown", "4.72.7290", false);
    row("not a number", "4.7x.8702", "4.72.7290", false);
}

void HelpEnvironmentTest::versionsCompareAsNumbers() {
    QFETCH(QString, installed);
    QFETCH(QString, minimum);
    QFETCH(bool, reaches);
    QCOMPARE(helpversions::versionReaches(installed, minimum), reaches);
}

void HelpEnvironmentTest::verifyMinConfig() {
    Environment env;
    QVERIFY(env.help.HHVerifyMinConfig(26, 256));
    QCOMPARE(env.help.HHFriendlyName(), QStringLiteral("1.3"));
    QCOMPARE(env.help.IEFriendlyName(), QStringLiteral("5.01"));

    // An unknown code fails its part and stores "unknown" until the next detection.
    QVERIFY(!env.help.HHVerifyMinConfig(15, 256));
    QCOMPARE(env.help.HHFriendlyName(), QStringLiteral("unknown"));
    QCOMPARE(env.help.IEFriendlyName(), QStringLiteral("5.01"));
    QCOMPARE(env.help.HHVersion(), QStringLiteral("4.74.8702.00"));
    QCOMPARE(env.help.HHFriendlyName(), QStringLiteral("1.3"));
    QVERIFY(!env.help.HHVerifyMinConfig(26, 274));
    QCOMPARE(env.help.IEFriendlyName(), QStringLiteral("unknown"));
    QVERIFY(env.os.ui.boxes.empty());

    // Compared as numbers: 10.00.01.00 reaches 4.72.7290, 5.00.2919.6307 reaches ...800.
    Environment newer(fixedInfo(10, 0, 1, 0));
    QVERIFY(newer.help.HHVerifyMinConfig(16, 272));
    Environment old(fixedInfo(4, 72, 7289, 0));
    QVERIFY(!old.help.HHVerifyMinConfig(16, 256));
}

void HelpEnvironmentTest::detectionMessages() {
    fakes::FakePlatform os;
    HTMLHelp help;
    QVERIFY(!help.HHVerifyMinConfig(16, 256));
    // Both detections fail, and the release names, finding no version, detect once more.
    const QString hhMissing =
        QStringLiteral("Hhctrl.ocx is not registered.  Please install HTML Help.");
    const QString ieMissing =
        QStringLiteral("Shdocvw.dll is not registered.  Please install Internet Explorer.");
    QCOMPARE(boxTexts(os), QStringList({hhMissing, ieMissing, hhMissing, ieMissing}));
    QCOMPARE(os.ui.boxes[0].style, 16);
    QCOMPARE(os.ui.boxes[0].title, QStringLiteral("HTML Help Class"));
    QCOMPARE(help.HHFriendlyName(), QStringLiteral("unknown"));

    os.ui.boxes.clear();
    os.registry.setString(RootKey::ClassesRoot, HHKey, QString(), QStringLiteral("C:\\gone.ocx"));
    os.registry.setString(RootKey::ClassesRoot, IEKey, QString(), QStringLiteral("C:\\gone.dll"));
    QCOMPARE(help.HHVersion(), QString());
    QCOMPARE(help.IEVersion(), QString());
    QCOMPARE(boxTexts(os),
             QStringList({QStringLiteral("Hhctrl.ocx is not in its registered location.  Please "
                                         "reinstall HTML Help."),
                          QStringLiteral("Internet Explorer is not in its registered location.  "
                                         "Please reinstall Internet Explorer.")}));
    QCOMPARE(os.ui.boxes[1].style, 16);

    // Installed means the type library is registered; Wine spells its key "Typelib".
    QVERIFY(!help.HHInstalled());
    os.registry.setString(RootKey::LocalMachine,
                          QStringLiteral("Software\\Classes\\Typelib\\{ADB880A2-D8FF-11CF-9377-"
                                         "00AA003B7A11}\\1.0"),
                          QString(), QStringLiteral("HHCtrl 4.0 Type Library"));
    QVERIFY(help.HHInstalled());
}

void HelpEnvironmentTest::friendlyNamesDetectOnlyWhenEmpty() {
    Environment env;
    QCOMPARE(env.help.HHFriendlyName(), QStringLiteral("1.3"));
    // Another control installed meanwhile: the stored version stays until a detection.
    env.os.versions.records[HHFile] = fixedInfo(4, 72, 7290, 0);
    QCOMPARE(env.help.HHFriendlyName(), QStringLiteral("1.3"));
    QCOMPARE(env.help.HHVersion(), QStringLiteral("4.72.7290.00"));
    QCOMPARE(env.help.HHFriendlyName(), QStringLiteral("1.0"));
    // A control without a version resource has no version and no release name.
    env.os.versions.records.remove(IEFile);
    QCOMPARE(env.help.IEVersion(), QString());
    QCOMPARE(env.help.IEFriendlyName(), QStringLiteral("unknown"));
}

void HelpEnvironmentTest::registerCheckAndUnregister() {
    fakes::FakePlatform os;
    os.prefix.writeFile(QStringLiteral("drive_c/Docs/guide.chm"), "x");
    HTMLHelp help;
    QString file = QStringLiteral("C:\\Docs\\guide.chm");
    help.HHRegister(file);
    QCOMPARE(file, QStringLiteral("guide.chm"));
    const auto values = os.registry.values(RootKey::LocalMachine, HelpFileKey);
    QVERIFY(values && values->size() == 1);
    QCOMPARE(values->front().name, QStringLiteral("guide.chm"));
    QCOMPARE(values->front().type, platform::regtype::Sz);
    QCOMPARE(values->front().data, QByteArray("C:\\Docs\\\0", 9));
    QVERIFY(os.ui.boxes.empty());
    file = QStringLiteral("C:\\Docs\\guide.chm");
    help.HHRegister(file);
    QCOMPARE(boxTexts(os), QStringList{QStringLiteral(
                               "The file C:\\Docs\\guide.chm is already registered.  HHRegister "
                               "will not be run as no action need be taken.")});
    QCOMPARE(os.ui.boxes[0].style, 64);

    HTMLHelp fresh;
    QString name = QStringLiteral("guide.chm");
    QCOMPARE(fresh.HHCheckRegistry(name), QVariant(false));
    QCOMPARE(fresh.HHRegFileName(), QStringLiteral("guide.chm"));
    QCOMPARE(fresh.HHRegFilePath(), QStringLiteral("C:\\Docs\\"));
    QVERIFY(fresh.HHRegFileExists());
    name = QStringLiteral("D:\\Other\\GUIDE.chm"); // only the name counts
    fresh.HHCheckRegistry(name);
    QCOMPARE(fresh.HHRegFileName(), QStringLiteral("GUIDE.chm"));
    QString empty;
    QVERIFY(!fresh.HHCheckRegistry(empty).isValid());

    name = QStringLiteral("C:\\Docs\\guide.chm");
    fresh.HHUnRegister(name);
    QCOMPARE(name, QStringLiteral("guide.chm"));
    QVERIFY(os.registry.values(RootKey::LocalMachine, HelpFileKey)->empty());
    QVERIFY(fresh.HHRegFileName().isEmpty() && !fresh.HHRegFileExists());
    os.ui.boxes.clear();
    fresh.HHUnRegister(name);
    QCOMPARE(boxTexts(os), QStringList{QStringLiteral(
                               "The file guide.chm is not registered.  HHUnRegister will not be "
                               "run as no action need be taken.")});

    // Registered, but gone from its folder (the separator doubled as the original does).
    os.registry.setString(RootKey::LocalMachine, HelpFileKey, QStringLiteral("old.chm"),
                          QStringLiteral("C:\\Old\\"));
    os.ui.boxes.clear();
    name = QStringLiteral("old.chm");
    fresh.HHCheckRegistry(name);
    QCOMPARE(fresh.HHRegFilePath(), QStringLiteral("C:\\Old\\"));
    QVERIFY(!fresh.HHRegFileExists());
    QCOMPARE(boxTexts(os), QStringList{QStringLiteral(
                               "The file C:\\Old\\\\old.chm does not exist.\nPlease make sure the "
                               "correct path and file name have been specified.")});
}

void HelpEnvironmentTest::registerRefusals() {
    fakes::FakePlatform os;
    os.prefix.writeFile(QStringLiteral("drive_c/Program Files/Velkor/bare.chm"), "x");
    HTMLHelp help;
    // A bare name is found in the program's folder but not registered without its folder.
    for (const char* name : {"C:\\Docs\\guide.hlp", "C:\\Docs\\missing.chm", "bare.chm", ""}) {
        QString file = QString::fromLatin1(name);
        help.HHRegister(file);
    }
    QString nothing;
    help.HHUnRegister(nothing);
    QCOMPARE(boxTexts(os),
             QStringList({QStringLiteral("C:\\Docs\\guide.hlp is not a valid HTML Help file."),
                          QStringLiteral("The file C:\\Docs\\missing.chm does not exist.\nPlease "
                                         "make sure the correct path and file name have been "
                                         "specified."),
                          QStringLiteral("Cannot register bare.chm without having a supplied "
                                         "path.\"")}));
    QCOMPARE(os.ui.boxes[2].style, 48);
    QVERIFY(!os.registry.values(RootKey::LocalMachine, HelpFileKey));

    // A refused write is reported and nothing is recorded as registered.
    LockedRegistry locked;
    auto services = os.services();
    services.registry = &locked;
    platform::install(services);
    os.prefix.writeFile(QStringLiteral("drive_c/Docs/guide.chm"), "x");
    os.ui.boxes.clear();
    QString file = QStringLiteral("C:\\Docs\\guide.chm");
    help.HHRegister(file);
    QCOMPARE(boxTexts(os), QStringList{QStringLiteral("HTML Help Class: HHRegister Error")});
    QCOMPARE(os.ui.boxes[0].style, 48);
    QVERIFY(help.HHRegFileName().isEmpty());
}

void HelpEnvironmentTest::longFileNames() {
    RecordingVersions versions;
    Environment env;
    auto services = env.os.services();
    services.versions = &versions;
    platform::install(services);
    env.os.prefix.writeFile(QStringLiteral("drive_c/Help~Files/HHCtrl.ocx"), "MZ");
    auto registerAt = [&](const char* path) {
        env.os.registry.setString(RootKey::ClassesRoot, HHKey, QString(), QLatin1String(path));
        env.help.HHVersion();
    };
    // NT 10 rebuilds the name from the disk, without its quotes; Windows 98 asks the system's
    // long-path conversion; a path without "~" is taken as it stands.
    registerAt("\"c:\\help~files\\hhctrl.ocx\"");
    env.os.system.version = platform::OsVersion{1, 4, 10, 0};
    registerAt("c:\\help~files\\hhctrl.ocx");
    registerAt("C:\\WINDOWS\\system32\\hhctrl.ocx");
    QCOMPARE(versions.asked, QStringList({QStringLiteral("c:\\Help~Files\\HHCtrl.ocx"),
                                          QStringLiteral("C:\\Help~Files\\HHCtrl.ocx"),
                                          QStringLiteral("C:\\WINDOWS\\system32\\hhctrl.ocx")}));
    QVERIFY(env.os.ui.boxes.empty());
}

void HelpEnvironmentTest::registryHelpers() {
    using namespace helpregistry;
    QCOMPARE(RootKeyFromName(QStringLiteral("hklm")), std::optional(RootKey::LocalMachine));
    QCOMPARE(RootKeyFromName(QStringLiteral("HkCr")), std::optional(RootKey::ClassesRoot));
    QVERIFY(!RootKeyFromName(QStringLiteral("HKEY_LOCAL_MACHINE")));
    QVERIFY(!RootKeyFromName(QString()));

    fakes::FakeRegistry registry;
    registry.keys[fakes::FakeRegistry::keyName(RootKey::LocalMachine, HelpFileKey)]
        .values.push_back(
            {QStringLiteral("guide.chm"), platform::regtype::Dword, QByteArray("\1\0\0\0", 4)});
    registry.setString(RootKey::LocalMachine, HelpFileKey, QStringLiteral("Guide.CHM"),
                       QStringLiteral("C:\\Docs\\"));
    registry.set(RootKey::LocalMachine, HelpFileKey, QStringLiteral("raw.chm"),
                 platform::regtype::Sz, QByteArray("C:\\Raw\\"));
    registry.set(RootKey::LocalMachine, HelpFileKey, QStringLiteral("env.chm"),
                 platform::regtype::ExpandSz, QByteArray("%Docs%\\Env\\", 11) + '\0');
    const helpregistry::Environment env{{QStringLiteral("DOCS"), QStringLiteral("D:\\Docs")}};
    QString listing;
    auto query = [&](const char* root, const char* name, const QString& key = HelpFileKey) {
        listing.clear();
        return QueryRegistryValue(registry, QLatin1String(root), key, listing, QLatin1String(name),
                                  env);
    };
    const QString end = QString(QChar(0)) + QLatin1Char('\r');

    // The string value of that name, not the number stored first under it.
    auto value = query("HKLM", "guide.chm");
    QCOMPARE(value.Name, QStringLiteral("guide.chm"));
    QCOMPARE(value.Data, QStringLiteral("Guide.CHM=C:\\Docs\\") + end);
    QCOMPARE(listing, value.Data + QLatin1Char('\r'));
    // Data stored without its NUL reads as if it had one; expandable data is expanded.
    QCOMPARE(query("HKLM", "raw.chm").Data, QStringLiteral("raw.chm=C:\\Raw\\") + end);
    QCOMPARE(query("HKLM", "env.chm").Data, QStringLiteral("env.chm=D:\\Docs\\Env\\") + end);
    // Not found: an empty record; the listing gets its two carriage returns if the key exists.
    value = query("HKLM", "none.chm");
    QVERIFY(value.Name.isEmpty() && value.Data.isEmpty());
    QCOMPARE(listing, QStringLiteral("\r\r"));
    query("HKLM", "none.chm", QStringLiteral("No\\Key"));
    QCOMPARE(listing, QString());
    value = query("HKEY_LOCAL_MACHINE", "guide.chm");
    QVERIFY(value.Name.isEmpty() && value.Data.isEmpty());

    // Unknown names and a lone % stay as written.
    const helpregistry::Environment vars{{QStringLiteral("A"), QStringLiteral("1")}};
    QCOMPARE(ExpandEnvironmentStrings(QStringLiteral("%NONE%x%a%%A%"), vars),
             QStringLiteral("%NONE%x11"));
    QCOMPARE(ExpandEnvironmentStrings(QStringLiteral("100%% sure %a"), vars),
             QStringLiteral("100%% sure %a"));
}

QTEST_MAIN(HelpEnvironmentTest)
#include "test_help_environment.moc"
