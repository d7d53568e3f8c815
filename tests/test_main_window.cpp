// The main window: its controls as laid out, its load, and switching between hosting and
// joining.

#include "app/frmMain.h"
#include "fakes/fake_platform.h"
#include "platform/forms.h"
#include "platform/linux/linux_registry.h"

#include <QAction>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest>

using platform::RootKey;

namespace {

const QString GameKey =
    QStringLiteral("SOFTWARE\\Bullfrog Productions Ltd\\Populous: The Beginning");

QString captionOf(QWidget* w) {
    if (auto* b = qobject_cast<QAbstractButton*>(w))
        return b->text();
    if (auto* g = qobject_cast<QGroupBox*>(w))
        return g->title();
    if (auto* l = qobject_cast<QLabel*>(w))
        return l->text();
    return QString();
}

} // namespace

class MainWindowTest : public QObject {
    Q_OBJECT
private slots:
    void init() { QDir::setCurrent(QDir::tempPath()); }

    void controlsAreWhereTheFormPutsThem_data();
    void controlsAreWhereTheFormPutsThem();
    void windowAndInitialState();
    void dividerAndEnter();
    void joinThenHostResetsTheHostingMethod();
    void secondInstanceShowsMessageAndEnds();
    void settingsFolderIsNormalised();
    void gameFolderFromRegistry_data();
    void gameFolderFromRegistry();
    void installPathOnAnotherDrive();
    void gameFolderFromHiveWineWrote();
    void closingUnloads();
};

void MainWindowTest::controlsAreWhereTheFormPutsThem_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("container");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QRect>("twips");
    auto row = [](const char* name, const char* container, const char* caption, int l, int t, int w,
                  int h) {
        QTest::newRow(name) << QString::fromLatin1(name) << QString::fromLatin1(container)
                            << QString::fromLatin1(caption) << QRect(l, t, w, h);
    };
    row("poplogo", "client", "", 480, 0, 5310, 1980);
    row("title", "client", "Velkor", 0, 1920, 6255, 495);
    row("gameselect", "client", "Which game would you like to play?", 120, 2520, 6015, 615);
    row("bg01", "gameselect", "", 120, 240, 5775, 255);
    row("selpoptb", "bg01", "Populous: The Beginning", 0, 0, 2775, 255);
    row("selUW", "bg01", "Undiscovered Worlds", 2880, 0, 2895, 255);
    row("connectmethod", "client", "How will you play?", 120, 3240, 6015, 615);
    row("bg02", "connectmethod", "", 120, 240, 5775, 255);
    row("selhost", "bg02", "Host Game", 0, 0, 2775, 255);
    row("seljoin", "bg02", "Join Game (IP Address Required)", 2880, 0, 2775, 255);
    row("hostsettings", "client", "How will you be hosting?", 120, 3960, 6015, 975);
    row("bg03", "hostsettings", "", 120, 240, 5775, 615);
    row("selwithoutrouter", "bg03", "Without Router", 0, 0, 2655, 255);
    row("selwithrouter", "bg03", "With Router", 2880, 0, 2775, 255);
    row("lblLocalIP", "bg03", "Local IP:", 0, 360, 975, 255);
    row("txtLocalIP", "bg03", "", 960, 360, 1695, 255);
    row("lblRouterIP", "bg03", "External IP:", 2880, 360, 1095, 255);
    row("txtRouterIP", "bg03", "", 4080, 360, 1575, 255);
    row("Label1", "client", "Your Name:", 240, 5040, 1095, 255);
    row("username", "client", "", 240, 5280, 2055, 285);
    row("Label2", "client", "Join this IP Address:", 2880, 5040, 2535, 255);
    row("joinIP", "client", "", 2880, 5280, 2895, 285);
    row("launch", "client", "&Launch Game", 2160, 6120, 1935, 375);
    row("lboxIPAddr", "client", "", 6480, 120, 1095, 840);
}

void MainWindowTest::controlsAreWhereTheFormPutsThem() {
    QFETCH(QString, name);
    QFETCH(QString, container);
    QFETCH(QString, caption);
    QFETCH(QRect, twips);
    fakes::FakePlatform os;
    frmMain window;
    auto* control = window.findChild<QWidget*>(name);
    QVERIFY2(control, qPrintable(name));
    QCOMPARE(control->parentWidget()->objectName(), container);
    QCOMPARE(captionOf(control), caption);
    QCOMPARE(control->geometry(),
             forms::twips(twips.x(), twips.y(), twips.width(), twips.height()));
}

void MainWindowTest::windowAndInitialState() {
    fakes::FakePlatform os;
    frmMain window;
    QCOMPARE(window.windowTitle(), QStringLiteral("Velkor"));
    QCOMPARE(window.centralWidget()->size(), QSize(417, 437));
    QVERIFY(!(window.windowFlags() & Qt::WindowMaximizeButtonHint));
    QVERIFY(window.windowFlags() & Qt::WindowMinimizeButtonHint);

    QVERIFY(window.selpoptb->isChecked() && !window.selUW->isChecked());
    QVERIFY(window.selhost->isChecked() && !window.seljoin->isChecked());
    QVERIFY(window.selwithoutrouter->isChecked() && !window.selwithrouter->isChecked());
    QVERIFY(window.hostsettings->isEnabled());
    QVERIFY(!window.joinIP->isEnabled());
    QCOMPARE(window.username->maxLength(), 16);
    QCOMPARE(window.joinIP->maxLength(), 19);
    QVERIFY(window.txtLocalIP->isReadOnly() && window.txtRouterIP->isReadOnly());
    QVERIFY(window.lblLocalIP->font().bold() && window.lblRouterIP->font().bold());
    QCOMPARE(window.title->font().pointSize(), 24);
    // Our own pictures, read without Qt's image plugins; a GIF or a missing file is no PNG.
    QCOMPARE(window.poplogo->pixmap().size(), QSize(350, 128));
    QVERIFY(qAlpha(window.poplogo->pixmap().toImage().pixel(175, 64)) > 0);
    QVERIFY(forms::pngImage(QStringLiteral(":/about.gif")).isNull());
    QVERIFY(forms::pngImage(QStringLiteral(":/missing.png")).isNull());
    forms::SetFormIcon(&window, QStringLiteral("ICON1"), false);
    QCOMPARE(window.windowIcon().availableSizes(),
             QList<QSize>({{16, 16}, {24, 24}, {32, 32}, {48, 48}}));
    QVERIFY(window.launchexe.isEmpty() && window.launchargs.isEmpty());
    // The address list lies beyond the client area's right edge.
    QVERIFY(window.lboxIPAddr->x() >= window.centralWidget()->width());

    // Tab order over the controls that take focus by tab; the address boxes take none.
    QVERIFY(!(window.txtLocalIP->focusPolicy() & Qt::TabFocus));
    QVERIFY(!(window.txtRouterIP->focusPolicy() & Qt::TabFocus));
    const QList<QWidget*> order = {
        window.selpoptb,         window.selUW,         window.selhost,    window.seljoin,
        window.selwithoutrouter, window.selwithrouter, window.txtLocalIP, window.txtRouterIP,
        window.username,         window.joinIP,        window.launch};
    QList<QWidget*> chain;
    for (QWidget* w = order[0]; chain.size() < order.size(); w = w->nextInFocusChain()) {
        if (order.contains(w))
            chain << w;
    }
    QCOMPARE(chain, order);

    // Menus present, with the captions and shortcuts the commands will answer to.
    QCOMPARE(window.mnulistoptions->title(), QStringLiteral("&Options"));
    QCOMPARE(window.mnulisthelp->title(), QStringLiteral("&Help"));
    QStringList options, help;
    for (QAction* a : window.mnulistoptions->actions())
        options << (a->isSeparator() ? QStringLiteral("-") : a->text());
    for (QAction* a : window.mnulisthelp->actions())
        help << (a->isSeparator() ? QStringLiteral("-") : a->text());
    QCOMPARE(options, QStringList({"&Settings...", "-", "&Troubleshoot..."}));
    QCOMPARE(help,
             QStringList({"Help", "-", "Visit &Drovane", "Visit &Tollmere", "-", "&About..."}));
    QCOMPARE(window.mnusettings->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_O));
    QCOMPARE(window.mnutroubleshoot->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_T));
    QCOMPARE(window.mnuhelp->shortcut(), QKeySequence(Qt::Key_F1));
}

void MainWindowTest::dividerAndEnter() {
    fakes::FakePlatform os;
    frmMain window;
    window.show();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    // The etched divider: a shadow row with a white row right below it.
    const QImage client = window.centralWidget()->grab().toImage();
    QCOMPARE(client.pixel(200, 384), forms::systemColor(forms::ButtonShadow).rgb());
    QCOMPARE(client.pixel(200, 385), forms::systemColor(forms::WindowBackground).rgb());

    // Enter presses the button that has the focus, and only that.
    QSignalSpy pressed(window.launch, &QAbstractButton::clicked);
    window.launch->setFocus();
    window.username->setFocus();
    QTest::keyClick(window.username, Qt::Key_Return);
    QCOMPARE(pressed.count(), 0);
    window.launch->setFocus();
    QTest::keyClick(window.launch, Qt::Key_Return);
    QCOMPARE(pressed.count(), 1);
    QKeyEvent held(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, QString(), true);
    QApplication::sendEvent(window.launch, &held); // a held key does not press again
    QCOMPARE(pressed.count(), 1);
}

void MainWindowTest::joinThenHostResetsTheHostingMethod() {
    fakes::FakePlatform os;
    frmMain window;
    const QColor buttonFace = forms::systemColor(forms::ButtonFace);
    const QColor windowBack = forms::systemColor(forms::WindowBackground);

    window.selwithrouter->click();
    QVERIFY(window.selwithrouter->isChecked());

    window.seljoin->click();
    QVERIFY(!window.hostsettings->isEnabled());
    QVERIFY(!window.selwithoutrouter->isEnabled() && !window.selwithrouter->isEnabled());
    QVERIFY(!window.selwithoutrouter->isChecked() && !window.selwithrouter->isChecked());
    QVERIFY(window.Label2->isEnabled() && window.joinIP->isEnabled());
    QCOMPARE(window.joinIP->palette().color(QPalette::Base), windowBack);
    window.joinIP->setText(QStringLiteral("203.0.113.7"));

    window.selhost->click();
    QVERIFY(window.hostsettings->isEnabled());
    QVERIFY(window.selwithoutrouter->isEnabled() && window.selwithrouter->isEnabled());
    QVERIFY(window.selwithoutrouter->isChecked() && !window.selwithrouter->isChecked());
    QVERIFY(!window.Label2->isEnabled() && !window.joinIP->isEnabled());
    QCOMPARE(window.joinIP->palette().color(QPalette::Base), buttonFace);
    QCOMPARE(window.joinIP->text(), QStringLiteral("203.0.113.7"));

    // The hosting options stay one group after being cleared.
    window.selwithrouter->click();
    QVERIFY(!window.selwithoutrouter->isChecked());
}

void MainWindowTest::secondInstanceShowsMessageAndEnds() {
    fakes::FakePlatform os;
    os.system.anotherInstance = true;
    os.registry.setString(RootKey::LocalMachine, GameKey, QStringLiteral("InstallPath"),
                          QStringLiteral("C:\\"));
    const QString start = os.files->currentDirectory();
    frmMain window;
    window.Form_Load();
    QCOMPARE(os.ui.boxes.size(), std::size_t(1));
    QCOMPARE(os.ui.boxes[0].text,
             QStringLiteral("Velkor is already running, please find the already opened window to "
                            "use the software."));
    QCOMPARE(os.ui.boxes[0].title, QStringLiteral("Velkor"));
    QCOMPARE(os.ui.boxes[0].style, 64);
    QCOMPARE(os.system.endProgramCalls, 1);
    // Nothing after the check ran.
    QVERIFY(window.settingsdir.isEmpty());
    QCOMPARE(os.sockets.startups, 0);
    QCOMPARE(os.files->currentDirectory(), start);
}

void MainWindowTest::settingsFolderIsNormalised() {
    {
        fakes::FakePlatform os;
        frmMain window;
        window.Form_Load();
        QCOMPARE(window.settingsdir,
                 QStringLiteral("C:\\users\\player\\AppData\\Roaming\\Populous\\Velkor"));
        QVERIFY(os.ui.boxes.empty());
    }
    {
        fakes::FakePlatform os;
        os.system.appData = QStringLiteral("  C:\\\\users\\player\\\\\\AppData");
        frmMain window;
        window.Form_Load();
        // One left-to-right pass: three backslashes become two.
        QCOMPARE(window.settingsdir,
                 QStringLiteral("C:\\users\\player\\\\AppData\\Populous\\Velkor"));
    }
    {
        fakes::FakePlatform os;
        os.system.specialFolderResult = 1;
        // The folder then lies at the root of the current drive: keep that inside the prefix.
        os.registry.setString(RootKey::LocalMachine, GameKey, QStringLiteral("InstallDrive"),
                              QStringLiteral("C:"));
        frmMain window;
        window.Form_Load();
        QCOMPARE(window.settingsdir, QStringLiteral("\\Populous\\Velkor"));
    }
}

void MainWindowTest::gameFolderFromRegistry_data() {
    QTest::addColumn<QByteArray>("drive"); // empty: no value
    QTest::addColumn<int>("pathType");     // 0: no value
    QTest::addColumn<QByteArray>("pathData");
    QTest::addColumn<QString>("expected");    // empty: the start folder
    QTest::addColumn<QString>("expectedOfC"); // C:'s own current folder afterwards
    const QByteArray games("C:\\Games\\Populous\0", 18);
    const QString pop = QStringLiteral("C:\\Games\\Populous"), root = QStringLiteral("C:\\");
    QTest::newRow("drive and path") << QByteArray("C:") << 1 << games << pop << pop;
    QTest::newRow("NUL inside the path")
        << QByteArray("C:") << 1 << QByteArray("C:\\Games\\Populous\0\\Other\0", 25) << pop << pop;
    QTest::newRow("no NUL at all")
        << QByteArray("C:") << 1 << QByteArray("C:\\Games\\Populous") << pop << pop;
    QTest::newRow("folder missing")
        << QByteArray("C:") << 1 << QByteArray("C:\\Games\\Gone\0", 14) << root << root;
    // A number is used as a folder name relative to C:'s folder, and there is none.
    QTest::newRow("DWORD path") << QByteArray("C:") << 4 << QByteArray("\x07\x00\x00\x00", 4)
                                << root << root;
    QTest::newRow("binary path") << QByteArray("C:") << 3 << games << root << root;
    QTest::newRow("no key") << QByteArray() << 0 << QByteArray() << QString() << root;
    QTest::newRow("drive that does not exist")
        << QByteArray("Q:") << 1 << games << QString() << pop;
    // Without a drive change the folder is set for C: while the start drive stays current.
    QTest::newRow("path without drive value") << QByteArray() << 1 << games << QString() << pop;
}

void MainWindowTest::gameFolderFromRegistry() {
    QFETCH(QByteArray, drive);
    QFETCH(int, pathType);
    QFETCH(QByteArray, pathData);
    QFETCH(QString, expected);
    QFETCH(QString, expectedOfC);
    fakes::FakePlatform os;
    os.prefix.makeFolder(QStringLiteral("Games/Populous"));
    if (!drive.isEmpty())
        os.registry.set(RootKey::LocalMachine, GameKey, QStringLiteral("InstallDrive"),
                        platform::regtype::Sz, drive + '\0');
    if (pathType)
        os.registry.set(RootKey::LocalMachine, GameKey, QStringLiteral("InstallPath"),
                        std::uint32_t(pathType), pathData);
    const QString start = os.files->currentDirectory();
    frmMain window;
    window.Form_Load();
    if (expected.isEmpty())
        expected = start;
    QCOMPARE(os.files->currentDirectory(), expected);
    QCOMPARE(os.files->currentDirectoryOf(QStringLiteral("C")), expectedOfC);
    QCOMPARE(QDir::currentPath(), os.files->toNative(expected));
    QVERIFY(os.ui.boxes.empty());
}

void MainWindowTest::installPathOnAnotherDrive() {
    fakes::FakePlatform os;
    QTemporaryDir other;
    QDir(other.path()).mkpath(QStringLiteral("Pop"));
    os.prefix.linkDrive(QStringLiteral("d:"), other.path());
    os.registry.setString(RootKey::LocalMachine, GameKey, QStringLiteral("InstallDrive"),
                          QStringLiteral("C:"));
    os.registry.setString(RootKey::LocalMachine, GameKey, QStringLiteral("InstallPath"),
                          QStringLiteral("D:\\Pop"));
    frmMain window;
    window.Form_Load();
    // Changing the folder of another drive does not change the current drive.
    QCOMPARE(os.files->currentDirectory(), QStringLiteral("C:\\"));
    QCOMPARE(os.files->currentDirectoryOf(QStringLiteral("D")), QStringLiteral("D:\\Pop"));
}

// The whole 1.7 MB hive of a fresh Wine 8.0 prefix, where the game's 32-bit installer wrote its
// key under Wow6432Node.
void MainWindowTest::gameFolderFromHiveWineWrote() {
    fakes::FakePlatform os;
    QProcess xz;
    xz.start(QStringLiteral("xz"),
             {QStringLiteral("-dc"), QStringLiteral(VELKOR_TEST_DATA "/wine-8.0/system.reg.xz")});
    QVERIFY(xz.waitForFinished(60000) && xz.exitCode() == 0);
    os.prefix.writeFile(QStringLiteral("system.reg"), xz.readAllStandardOutput());
    os.prefix.makeFolder(QStringLiteral("games/POPULOUS")); // found without regard to case
    platform::linuxbackend::LinuxRegistry registry(os.prefix.prefix());
    platform::current().registry = &registry;
    frmMain window;
    window.Form_Load();
    QCOMPARE(os.files->currentDirectory(), QStringLiteral("C:\\Games\\Populous"));
    QCOMPARE(QDir::currentPath(), os.prefix.driveC() + QStringLiteral("/games/POPULOUS"));
    QCOMPARE(registry.parseCount(), 1);
    QVERIFY(os.ui.boxes.empty());
}

void MainWindowTest::closingUnloads() {
    fakes::FakePlatform os;
    frmMain window;
    QSignalSpy unloaded(&window, &frmMain::unloaded);
    window.show();
    QVERIFY(window.close());
    QCOMPARE(unloaded.count(), 1);
}

QTEST_MAIN(MainWindowTest)
#include "test_main_window.moc"
