// The help class's environment checks: version texts and release names, the minimum-version
// check, the help-file registry (register, look up, unregister) and the registry helpers.

#include "fakes/fake_platform.h"
#include "help/HTMLHelp.h"
#include "help/helpregistry.h"
#include "help/helpversions.h"

#include <QtEndian>
#include <QtTest>

using helpversions::FileVersion;
using platform::RootKey;

namespace {

const QString HelpFileKey = QStringLiteral("Software\\Microsoft\\Windows\\HTML Help");
const QString HHKey =
    QStringLiteral("CLSID\\{4662DAB0-D393-11D0-9A56-00C04FB68B66}\\InprocServer32");
const QString IEKey =
    QStringLiteral("CLSID\\{0A89A860-D7B1-11CE-8350-444553540000}\\InProcServer32");

QByteArray fixedInfo(quint16 a, quint16 b, quint16 c, quint16 d) {
    QByteArray record(52, '\0');
    qToLittleEndian<quint32>(0xFEEF04BDu, record.data());
    qToLittleEndian<quint32>(quint32(a) << 16 | b, record.data() + 8);
    qToLittleEndian<quint32>(quint32(c) << 16 | d, record.data() + 12);
    return record;
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

// A registry that refuses every write, as the backend does while Wine's server runs.
class LockedRegistry : public fakes::FakeRegistry {
public:
    long setValue(RootKey, const QString&, const platform::RegEntry&) override {
        return platform::winerror::Busy;
    }
};

// A platform whose registry names both controls, with their files in the prefix.
struct Environment {
    fakes::FakePlatform os;
    HTMLHelp help;

    Environment(QByteArray hh = fixedInfo(4, 74, 8702, 0),
                QByteArray ie = fixedInfo(5, 0, 2919, 6307)) {
        os.prefix.writeFile(QStringLiteral("drive_c/windows/system32/hhctrl.ocx"), "MZ");
        os.prefix.writeFile(QStringLiteral("drive_c/windows/system32/shdocvw.dll"), "MZ");
        os.registry.set(RootKey::ClassesRoot, HHKey, QString(), platform::regtype::ExpandSz,
                        QByteArray("%SystemRoot%\\system32\\hhctrl.ocx") + '\0');
        os.registry.setString(RootKey::ClassesRoot, IEKey, QString(),
                              QStringLiteral("C:\\windows\\system32\\shdocvw.dll"));
        os.versions.records[QStringLiteral("c:\\windows\\system32\\hhctrl.ocx")] = hh;
        os.versions.records[QStringLiteral("c:\\windows\\system32\\shdocvw.dll")] = ie;
    }
    QStringList boxTexts() const {
        QStringList texts;
        for (const auto& box : os.ui.boxes)
            texts << box.text;
        return texts;
    }
};

} // namespace

class HelpEnvironmentTest : public QObject {
    Q_OBJECT
private slots:
    void versionTexts_data();
    void versionTexts();
    void releaseNames();
    void minimumsByCode();
    void versionsCompareAsNumbers_data();
    void versionsCompareAsNumbers();
    void verifyMinConfig();
    void verifyMinConfigMendsTheTextComparison();
    void detectionMessages();
    void friendlyNamesDetectOnlyWhenEmpty();
    void installedByTypeLibrary();
    void registerCheckAndUnregister();
    void registerRefusals();
    void registeredFileMissing();
    void registryWriteRefused();
    void longFileNames();
    void rootKeyNames();
    void queryRegistryValueListing();
    void expandEnvironmentStrings();
};

void HelpEnvironmentTest::versionTexts_data() {
    QTest::addColumn<int>("major");
    QTest::addColumn<int>("minor");
    QTest::addColumn<int>("build");
    QTest::addColumn<int>("revision");
    QTest::addColumn<QString>("text");
    QTest::newRow("4.74.8702.0") << 4 << 74 << 8702 << 0 << "4.74.8702.00";
    QTest::newRow("4.70.0.1155") << 4 << 70 << 0 << 1155 << "4.70.1155";
    QTest::newRow("5.0.2919.800") << 5 << 0 << 2919 << 800 << "5.00.2919.800";
    QTest::newRow("no build, short revision") << 6 << 0 << 0 << 7 << "6.00.0007";
    QTest::newRow("build read as negative") << 1 << 0 << 0x8000 << 5 << "1.00.0005";
    QTest::newRow("negative minor") << 1 << 0xFFFB << 2 << 3 << "1.-05.02.03";
}

void HelpEnvironmentTest::versionTexts() {
    QFETCH(int, major);
    QFETCH(int, minor);
    QFETCH(int, build);
    QFETCH(int, revision);
    QFETCH(QString, text);
    const auto version = helpversions::fromFixedFileInfo(fixedInfo(major, minor, build, revision));
    QVERIFY(version);
    QCOMPARE(helpversions::versionText(*version), text);
    // Anything but a whole, signed record has no version.
    QByteArray unsigned_ = fixedInfo(major, minor, build, revision);
    unsigned_[0] = 0;
    QVERIFY(!helpversions::fromFixedFileInfo(unsigned_));
    QVERIFY(!helpversions::fromFixedFileInfo(fixedInfo(1, 2, 3, 4).left(51)));
}

void HelpEnvironmentTest::releaseNames() {
    QCOMPARE(helpversions::hhReleaseName(QStringLiteral("4.74.8702.00")), QStringLiteral("1.3"));
    QCOMPARE(helpversions::hhReleaseName(QStringLiteral("4.74.8702.0")), QStringLiteral("unknown"));
    QCOMPARE(helpversions::ieReleaseName(QStringLiteral("5.00.2919.6307")), QStringLiteral("5.01"));
    QCOMPARE(helpversions::ieReleaseName(QStringLiteral("4.70.1300.0000")), QStringLiteral("3.02"));
    // 4.70.0.1155 formats without its build, which the browser table does not hold.
    QCOMPARE(helpversions::ieReleaseName(QStringLiteral("4.70.1155")), QStringLiteral("unknown"));
}

void HelpEnvironmentTest::minimumsByCode() {
    QCOMPARE(helpversions::hhMinimum(16), QStringLiteral("4.72.7290"));
    QCOMPARE(helpversions::hhMinimum(26), QStringLiteral("4.74.8702"));
    QVERIFY(!helpversions::hhMinimum(15) && !helpversions::hhMinimum(27));
    QCOMPARE(helpversions::ieMinimum(256), QStringLiteral("4.70.1155"));
    QCOMPARE(helpversions::ieMinimum(273), QStringLiteral("5.00.2919.3800"));
    QVERIFY(!helpversions::ieMinimum(255) && !helpversions::ieMinimum(274));
    QVERIFY(!helpversions::ieMinimum(26) && !helpversions::hhMinimum(256));
}

void HelpEnvironmentTest::versionsCompareAsNumbers_data() {
    QTest::addColumn<QString>("installed");
    QTest::addColumn<QString>("minimum");
    QTest::addColumn<bool>("reaches");
    QTest::newRow("extra zero part") << "4.74.8702.00"
                                     << "4.74.8702" << true;
    QTest::newRow("equal") << "4.72.7290"
                           << "4.72.7290" << true;
    QTest::newRow("major ten") << "10.0.0.0"
                               << "4.72.7290" << true;
    QTest::newRow("one build short") << "4.72.7289.00"
                                     << "4.72.7290" << false;
    QTest::newRow("longer revision") << "5.00.2919.6307"
                                     << "5.00.2919.800" << true;
    QTest::newRow("shorter revision") << "5.00.2919.800"
                                      << "5.00.2919.3800" << false;
    QTest::newRow("zero padded minor") << "5.0.2717.2000"
                                       << "5.00.2717.2000" << true;
    QTest::newRow("missing part is zero") << "4.72"
                                          << "4.72.0.0" << true;
    QTest::newRow("nothing detected") << ""
                                      << "4.72.7290" << false;
    QTest::newRow("unknown") << "unknown"
                             << "4.72.7290" << false;
    QTest::newRow("not a number") << "4.7x.8702"
                                  << "4.72.7290" << false;
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
    QVERIFY(env.os.ui.boxes.empty());

    // An unknown code fails its part and stores "unknown" until the next detection.
    QVERIFY(!env.help.HHVerifyMinConfig(15, 256));
    QCOMPARE(env.help.HHFriendlyName(), QStringLiteral("unknown"));
    QCOMPARE(env.help.IEFriendlyName(), QStringLiteral("5.01"));
    QCOMPARE(env.help.HHVersion(), QStringLiteral("4.74.8702.00"));
    QCOMPARE(env.help.HHFriendlyName(), QStringLiteral("1.3"));

    QVERIFY(!env.help.HHVerifyMinConfig(26, 274));
    QCOMPARE(env.help.IEFriendlyName(), QStringLiteral("unknown"));
    QVERIFY(env.os.ui.boxes.empty());
}

void HelpEnvironmentTest::verifyMinConfigMendsTheTextComparison() {
    // Compared as text, "10.0.0.0" would sort below "4.72.7290" and fail.
    Environment env(fixedInfo(10, 0, 1, 0), fixedInfo(5, 0, 2919, 6307));
    // And 5.00.2919.6307 reaches 5.00.2919.800, which a text comparison would deny.
    QVERIFY(env.help.HHVerifyMinConfig(16, 272));
    QCOMPARE(env.help.HHVersion(), QStringLiteral("10.00.01.00"));
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
    QStringList shown;
    for (const auto& box : os.ui.boxes)
        shown << box.text;
    QCOMPARE(shown, QStringList({hhMissing, ieMissing, hhMissing, ieMissing}));
    QCOMPARE(os.ui.boxes[0].style, 16);
    QCOMPARE(os.ui.boxes[0].title, QStringLiteral("HTML Help Class"));
    QCOMPARE(help.HHFriendlyName(), QStringLiteral("unknown"));

    os.ui.boxes.clear();
    os.registry.setString(RootKey::ClassesRoot, HHKey, QString(),
                          QStringLiteral("C:\\windows\\system32\\gone.ocx"));
    os.registry.setString(RootKey::ClassesRoot, IEKey, QString(),
                          QStringLiteral("C:\\windows\\system32\\gone.dll"));
    QCOMPARE(help.HHVersion(), QString());
    QCOMPARE(help.IEVersion(), QString());
    QStringList texts;
    for (const auto& box : os.ui.boxes)
        texts << box.text;
    QCOMPARE(texts,
             QStringList({QStringLiteral("Hhctrl.ocx is not in its registered location.  Please "
                                         "reinstall HTML Help."),
                          QStringLiteral("Internet Explorer is not in its registered location.  "
                                         "Please reinstall Internet Explorer.")}));
    QCOMPARE(os.ui.boxes[1].style, 16);
}

void HelpEnvironmentTest::friendlyNamesDetectOnlyWhenEmpty() {
    Environment env;
    QCOMPARE(env.help.HHFriendlyName(), QStringLiteral("1.3"));
    // Another control installed meanwhile: the stored version stays until a detection.
    env.os.versions.records[QStringLiteral("c:\\windows\\system32\\hhctrl.ocx")] =
        fixedInfo(4, 72, 7290, 0);
    QCOMPARE(env.help.HHFriendlyName(), QStringLiteral("1.3"));
    QCOMPARE(env.help.HHVersion(), QStringLiteral("4.72.7290.00"));
    QCOMPARE(env.help.HHFriendlyName(), QStringLiteral("1.0"));
    // A control without a version resource has no version and no release name.
    env.os.versions.records.remove(QStringLiteral("c:\\windows\\system32\\shdocvw.dll"));
    QCOMPARE(env.help.IEVersion(), QString());
    QCOMPARE(env.help.IEFriendlyName(), QStringLiteral("unknown"));
}

void HelpEnvironmentTest::installedByTypeLibrary() {
    fakes::FakePlatform os;
    HTMLHelp help;
    QVERIFY(!help.HHInstalled());
    // Wine spells the key "Typelib"; names compare without regard to case.
    os.registry.setString(RootKey::LocalMachine,
                          QStringLiteral("Software\\Classes\\Typelib\\{ADB880A2-D8FF-11CF-9377-"
                                         "00AA003B7A11}\\1.0"),
                          QString(), QStringLiteral("HHCtrl 4.0 Type Library"));
    QVERIFY(help.HHInstalled());
    QVERIFY(os.ui.boxes.empty());
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

    QString again = QStringLiteral("C:\\Docs\\guide.chm");
    help.HHRegister(again);
    QCOMPARE(os.ui.boxes.size(), std::size_t(1));
    QCOMPARE(os.ui.boxes[0].text,
             QStringLiteral("The file C:\\Docs\\guide.chm is already registered.  HHRegister will "
                            "not be run as no action need be taken."));
    QCOMPARE(os.ui.boxes[0].style, 64);

    HTMLHelp fresh;
    QString name = QStringLiteral("guide.chm");
    QCOMPARE(fresh.HHCheckRegistry(name), QVariant(false));
    QCOMPARE(fresh.HHRegFileName(), QStringLiteral("guide.chm"));
    QCOMPARE(fresh.HHRegFilePath(), QStringLiteral("C:\\Docs\\"));
    QVERIFY(fresh.HHRegFileExists());
    // Only the name counts, whatever folder is given.
    QString elsewhere = QStringLiteral("D:\\Other\\GUIDE.chm");
    fresh.HHCheckRegistry(elsewhere);
    QCOMPARE(fresh.HHRegFileName(), QStringLiteral("GUIDE.chm"));
    QCOMPARE(elsewhere, QStringLiteral("D:\\Other\\GUIDE.chm"));

    QString gone = QStringLiteral("C:\\Docs\\guide.chm");
    fresh.HHUnRegister(gone);
    QCOMPARE(gone, QStringLiteral("guide.chm"));
    QVERIFY(os.registry.values(RootKey::LocalMachine, HelpFileKey)->empty());
    QVERIFY(fresh.HHRegFileName().isEmpty() && fresh.HHRegFilePath().isEmpty());
    QVERIFY(!fresh.HHRegFileExists());

    os.ui.boxes.clear();
    QString twice = QStringLiteral("guide.chm");
    fresh.HHUnRegister(twice);
    QCOMPARE(os.ui.boxes.size(), std::size_t(1));
    QCOMPARE(os.ui.boxes[0].text,
             QStringLiteral("The file guide.chm is not registered.  HHUnRegister will not be run "
                            "as no action need be taken."));
    QCOMPARE(os.ui.boxes[0].style, 64);

    // An empty name changes nothing and answers with an empty variant.
    QString empty;
    QVERIFY(!fresh.HHCheckRegistry(empty).isValid());
}

void HelpEnvironmentTest::registerRefusals() {
    fakes::FakePlatform os;
    os.prefix.writeFile(QStringLiteral("drive_c/Program Files/Velkor/bare.chm"), "x");
    HTMLHelp help;
    QString wrong = QStringLiteral("C:\\Docs\\guide.hlp");
    help.HHRegister(wrong);
    QString missing = QStringLiteral("C:\\Docs\\missing.chm");
    help.HHRegister(missing);
    // A bare name is found in the program's folder but not registered without its folder.
    QString bare = QStringLiteral("bare.chm");
    help.HHRegister(bare);
    QString nothing;
    help.HHRegister(nothing);
    help.HHUnRegister(nothing);
    QStringList texts;
    for (const auto& box : os.ui.boxes)
        texts << box.text;
    QCOMPARE(texts,
             QStringList({QStringLiteral("C:\\Docs\\guide.hlp is not a valid HTML Help file."),
                          QStringLiteral("The file C:\\Docs\\missing.chm does not exist.\nPlease "
                                         "make sure the correct path and file name have been "
                                         "specified."),
                          QStringLiteral("Cannot register bare.chm without having a supplied "
                                         "path.\"")}));
    QCOMPARE(os.ui.boxes[2].style, 48);
    QVERIFY(!os.registry.values(RootKey::LocalMachine, HelpFileKey));
}

void HelpEnvironmentTest::registeredFileMissing() {
    fakes::FakePlatform os;
    os.registry.setString(RootKey::LocalMachine, HelpFileKey, QStringLiteral("old.chm"),
                          QStringLiteral("C:\\Old\\"));
    HTMLHelp help;
    QString name = QStringLiteral("old.chm");
    help.HHCheckRegistry(name);
    QCOMPARE(help.HHRegFileName(), QStringLiteral("old.chm"));
    QCOMPARE(help.HHRegFilePath(), QStringLiteral("C:\\Old\\"));
    QVERIFY(!help.HHRegFileExists());
    QCOMPARE(os.ui.boxes.size(), std::size_t(1));
    QCOMPARE(os.ui.boxes[0].text,
             QStringLiteral("The file C:\\Old\\\\old.chm does not exist.\nPlease make sure the "
                            "correct path and file name have been specified."));
}

void HelpEnvironmentTest::registryWriteRefused() {
    fakes::FakePlatform os;
    LockedRegistry locked;
    auto services = os.services();
    services.registry = &locked;
    platform::install(services);
    os.prefix.writeFile(QStringLiteral("drive_c/Docs/guide.chm"), "x");
    HTMLHelp help;
    QString file = QStringLiteral("C:\\Docs\\guide.chm");
    help.HHRegister(file);
    QCOMPARE(os.ui.boxes.size(), std::size_t(1));
    QCOMPARE(os.ui.boxes[0].text, QStringLiteral("HTML Help Class: HHRegister Error"));
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
    env.os.registry.setString(RootKey::ClassesRoot, HHKey, QString(),
                              QStringLiteral("\"c:\\help~files\\hhctrl.ocx\""));
    // Newer systems (here NT 10, platform 0) rebuild the path name by name from the disk,
    // without its quotes.
    env.help.HHVersion();
    // Windows 98 (platform 4) asks the system's long-path conversion.
    env.os.system.version = platform::OsVersion{1, 4, 10, 0};
    env.os.registry.setString(RootKey::ClassesRoot, HHKey, QString(),
                              QStringLiteral("c:\\help~files\\hhctrl.ocx"));
    env.help.HHVersion();
    // A path without "~" is taken as it stands.
    env.os.registry.setString(RootKey::ClassesRoot, HHKey, QString(),
                              QStringLiteral("C:\\WINDOWS\\system32\\hhctrl.ocx"));
    env.help.HHVersion();
    QCOMPARE(versions.asked, QStringList({QStringLiteral("c:\\Help~Files\\HHCtrl.ocx"),
                                          QStringLiteral("C:\\Help~Files\\HHCtrl.ocx"),
                                          QStringLiteral("C:\\WINDOWS\\system32\\hhctrl.ocx")}));
    QVERIFY(env.os.ui.boxes.empty());
}

void HelpEnvironmentTest::rootKeyNames() {
    using helpregistry::RootKeyFromName;
    QCOMPARE(RootKeyFromName(QStringLiteral("hklm")), std::optional(RootKey::LocalMachine));
    QCOMPARE(RootKeyFromName(QStringLiteral("HkCr")), std::optional(RootKey::ClassesRoot));
    QCOMPARE(RootKeyFromName(QStringLiteral("HKDD")), std::optional(RootKey::DynData));
    QCOMPARE(RootKeyFromName(QStringLiteral("hkcc")), std::optional(RootKey::CurrentConfig));
    QVERIFY(!RootKeyFromName(QStringLiteral("HKEY_LOCAL_MACHINE")));
    QVERIFY(!RootKeyFromName(QString()));

    // A root that does not exist reads nothing.
    fakes::FakeRegistry registry;
    registry.setString(RootKey::LocalMachine, HelpFileKey, QStringLiteral("a.chm"),
                       QStringLiteral("C:\\"));
    QString listing;
    const auto value =
        helpregistry::QueryRegistryValue(registry, QStringLiteral("HKEY_LOCAL_MACHINE"),
                                         HelpFileKey, listing, QStringLiteral("a.chm"), {});
    QVERIFY(value.Name.isEmpty() && value.Data.isEmpty());
}

void HelpEnvironmentTest::queryRegistryValueListing() {
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

    // The string value of that name, not the number stored first under it.
    QString listing;
    auto value = helpregistry::QueryRegistryValue(registry, QStringLiteral("HKLM"), HelpFileKey,
                                                  listing, QStringLiteral("guide.chm"), env);
    QCOMPARE(value.Name, QStringLiteral("guide.chm"));
    const QString expected = QStringLiteral("Guide.CHM=C:\\Docs\\") + QChar(0) + QLatin1Char('\r');
    QCOMPARE(value.Data, expected);
    QCOMPARE(listing, expected + QLatin1Char('\r'));

    // Data stored without its NUL reads as if it had one; expandable data is expanded.
    listing.clear();
    value = helpregistry::QueryRegistryValue(registry, QStringLiteral("HKLM"), HelpFileKey, listing,
                                             QStringLiteral("raw.chm"), env);
    QCOMPARE(value.Data, QStringLiteral("raw.chm=C:\\Raw\\") + QChar(0) + QLatin1Char('\r'));
    listing.clear();
    value = helpregistry::QueryRegistryValue(registry, QStringLiteral("HKLM"), HelpFileKey, listing,
                                             QStringLiteral("env.chm"), env);
    QCOMPARE(value.Data, QStringLiteral("env.chm=D:\\Docs\\Env\\") + QChar(0) + QLatin1Char('\r'));

    // Not found: empty record, and the listing gets its two carriage returns.
    listing.clear();
    value = helpregistry::QueryRegistryValue(registry, QStringLiteral("HKLM"), HelpFileKey, listing,
                                             QStringLiteral("none.chm"), env);
    QVERIFY(value.Name.isEmpty() && value.Data.isEmpty());
    QCOMPARE(listing, QStringLiteral("\r\r"));
    listing = QStringLiteral("x");
    helpregistry::QueryRegistryValue(registry, QStringLiteral("HKLM"), QStringLiteral("No\\Key"),
                                     listing, QStringLiteral("none.chm"), env);
    QCOMPARE(listing, QStringLiteral("x"));

    QCOMPARE(helpregistry::FileNamePart(QStringLiteral("C:\\Docs\\guide.chm")),
             QStringLiteral("guide.chm"));
    QCOMPARE(helpregistry::FileNamePart(QStringLiteral("guide.chm")), QStringLiteral("guide.chm"));
    QString withNul = QStringLiteral("abc") + QChar(0) + QStringLiteral("def");
    QCOMPARE(helpregistry::TrimAtNull(withNul), QStringLiteral("abc"));
}

void HelpEnvironmentTest::expandEnvironmentStrings() {
    using helpregistry::ExpandEnvironmentStrings;
    const helpregistry::Environment env{
        {QStringLiteral("SYSTEMROOT"), QStringLiteral("C:\\windows")},
        {QStringLiteral("A"), QStringLiteral("1")}};
    QCOMPARE(ExpandEnvironmentStrings(QStringLiteral("%SystemRoot%\\system32\\hhctrl.ocx"), env),
             QStringLiteral("C:\\windows\\system32\\hhctrl.ocx"));
    QCOMPARE(ExpandEnvironmentStrings(QStringLiteral("%a%%A%"), env), QStringLiteral("11"));
    QCOMPARE(ExpandEnvironmentStrings(QStringLiteral("%NONE%x%a%"), env),
             QStringLiteral("%NONE%x1"));
    QCOMPARE(ExpandEnvironmentStrings(QStringLiteral("100%% sure %a"), env),
             QStringLiteral("100%% sure %a"));
    QCOMPARE(ExpandEnvironmentStrings(QString(), env), QString());

    const auto windows = helpregistry::WindowsEnvironment();
    QCOMPARE(windows.value(QStringLiteral("SYSTEMROOT")), QStringLiteral("C:\\windows"));
    QCOMPARE(windows.value(QStringLiteral("WINDIR")), QStringLiteral("C:\\windows"));
}

QTEST_MAIN(HelpEnvironmentTest)
#include "test_help_environment.moc"
