// The main window: its form and keys, host and join, its load, and the Help menu's commands.

#include "fakes/fake_platform.h"
#include "fakes/rows.h"
#include "gui/forms/forms.h"
#include "gui/text_fit.h" // and the five windows

#include <QtTest>

using namespace std::literals;
using platform::RootKey;
using FolderCase = std::tuple<std::string_view, QString, QString, QString>;

namespace {

// Where `presses` presses of Tab take the focus, from the focused control on.
QString tabbing(int presses) {
    QStringList stops;
    for (int i = 0; i < presses; ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        stops << QApplication::focusWidget()->objectName();
    }
    return stops.join(' ');
}

// A shown window's hosting frame: "on"/"off", each option "x"/"-", what is grey, a click's reach.
QString hostingFrame(frmMain& window) {
    QStringList parts{window.hostsettings->isFrameEnabled() ? "on" : "off"};
    for (QRadioButton* option : {window.selwithoutrouter, window.selwithrouter})
        parts << QString(option->isChecked() ? "x" : "-") + (option->isEnabled() ? "" : " grey");
    for (QWidget* address :
         std::initializer_list<QWidget*>{window.lblLocalIP, window.txtLocalIP, window.lblRouterIP,
                                         window.txtRouterIP, window.joinIP})
        if (!address->isEnabled())
            parts << address->objectName() + " grey";
    window.username->setFocus();
    QTest::mouseClick(window.windowHandle(), Qt::LeftButton, {},
                      window.txtLocalIP->mapTo(&window, QPoint(4, 4)));
    parts << (window.txtLocalIP->hasFocus() ? "the box takes a click" : "the box out of reach");
    return parts.join(", ");
}

} // namespace

class MainWindowTest : public QObject {
    Q_OBJECT
private slots:
    void init() { QDir::setCurrent(QDir::tempPath()); }

    void formKeysAndChoices() {
        fakes::FakePlatform os;
        frmMain window;
        QCOMPARE(window.poplogo->pixmap().size(), QSize(350, 128)); // not the "@2x" picture
        forms::SetFormIcon(&window, "ICON1", false); // our own pictures, without Qt's image plugins
        QCOMPARE(window.windowIcon().availableSizes(),
                 QList<QSize>({{16, 16}, {24, 24}, {32, 32}, {48, 48}}));

        window.show();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        // Either Enter presses the focused button once, held or not (in a box: e2e/look_and_keys).
        QSignalSpy pressed(window.launch, &QAbstractButton::clicked);
        QTest::keyClick(window.launch, Qt::Key_Return);
        QTest::keyClick(window.launch, Qt::Key_Enter, Qt::KeypadModifier);
        QKeyEvent held(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, QString(), true);
        QApplication::sendEvent(window.launch, &held);
        QCOMPARE(pressed.count(), 2);

        // All four arrows move the selection round an option group, in Tab order, wrapping.
        window.selpoptb->setFocus();
        QTRY_COMPARE(QApplication::focusWidget(), window.selpoptb);
        QStringList walk;
        for (Qt::Key key : {Qt::Key_Down, Qt::Key_Down, Qt::Key_Up, Qt::Key_Right, Qt::Key_Left,
                            Qt::Key_Left, Qt::Key_Up}) {
            QTest::keyClick(QApplication::focusWidget(), key);
            auto* focused = qobject_cast<QRadioButton*>(QApplication::focusWidget());
            walk << (focused && focused->isChecked() ? focused->objectName() : "?");
        }
        QCOMPARE(walk.join(' '), "selUW selpoptb selUW selpoptb selUW selpoptb selUW");

        // Joining clears the hosting method and disables its frame, whose addresses keep their
        // look but are out of reach; hosting again resets it.
        window.selwithrouter->click();
        window.seljoin->click();
        QCOMPARE(hostingFrame(window), "off, - grey, - grey, the box out of reach");
        window.selhost->click();
        QCOMPARE(hostingFrame(window), "on, x, -, joinIP grey, the box takes a click");
        window.selwithrouter->click(); // still one group after being cleared
        QCOMPARE(hostingFrame(window), "on, -, x, joinIP grey, the box takes a click");

        // Tab stops at each group's selected option, past read-only boxes and off-screen controls.
        window.launch->setFocus();
        QCOMPARE(tabbing(6), "selUW selhost selwithrouter username launch selUW");
    }

    void altLoadTabStops() {
        fakes::FakePlatform os;
        frmaltload dialog(true, "");
        dialog.show();
        QVERIFY(QTest::qWaitForWindowActive(&dialog));
        QCOMPARE(tabbing(7), "browse reset selD3D OKButton CancelButton popdir browse");
    }

    void loadFindsTheFolders_data() {
        // {InstallPath, after InstallDrive C: the current folder, a drive's, a store's copy}
        const QString pop = "C:\\Games\\Populous", root = "C:\\", store = "D:\\Pop";
        addCases<FolderCase>({{"a folder gone", {"C:\\Games\\Gone\0"sv, root, root, ""}},
                              {"another drive's folder, C: kept", {"D:\\Pop\0"sv, root, store, ""}},
                              {"the key's folder, up to a NUL, before a store's",
                               {"C:\\Games\\Populous\0\\Other\0"sv, pop, pop, store}},
                              {"a folder gone: a store's, its drive",
                               {"C:\\Games\\Gone\0"sv, store, store, store}}});
    }
    void loadFindsTheFolders() {
        QFETCH(FolderCase, row);
        const auto& [path, current, ofDrive, installed] = row;
        const QString key = "SOFTWARE\\Bullfrog Productions Ltd\\Populous: The Beginning";
        fakes::FakePlatform os;
        // Trimmed, and doubled backslashes halved in one pass: three become two.
        os.system.appData = "  C:\\\\users\\p\\\\\\AppData";
        os.prefix.makeFolder("Games/Populous");
        os.prefix.makeFolder("D/Pop");
        os.prefix.linkDrive("d:", os.prefix.driveC() + "/D");
        os.registry.setString(RootKey::LocalMachine, key, "InstallDrive", "C:");
        os.registry.setString(RootKey::LocalMachine, key, "InstallPath", QString::fromLatin1(path));
        frmMain window;
        window.locatedGameFolder = installed;
        window.Form_Load();
        QCOMPARE(window.settingsdir, "C:\\users\\p\\\\AppData\\Populous\\Velkor");
        QCOMPARE(os.files->currentDirectory(), current);
        QCOMPARE(os.files->currentDirectoryOf(ofDrive.left(1)), ofDrive);
        QVERIFY(os.ui.boxes.empty());
    }

    void aboutAndHelp() {
        fakes::FakePlatform os;
        for (Qt::Key key : {Qt::Key_Return, Qt::Key_Escape}) { // OK is both default and cancel
            frmAbout about;
            about.show();
            QVERIFY(QTest::qWaitForWindowExposed(&about));
            QVERIFY(about.cmdOK->hasFocus());
            QTest::keyClick(&about, key);
            QVERIFY2(!about.isVisible(), qPrintable(QKeySequence(key).toString()));
        }
        frmMain window;
        os.system.programDir = "C:\\Games\\Velkor";
        os.prefix.writeFile("drive_c/Games/Velkor/velkorhelp.chm", "x");
        window.mnuhelp->trigger(); // in the program's folder as the system reports it
        QCOMPARE(os.help.calls.at(0).path, "C:\\Games\\Velkor\\velkorhelp.chm");
    }

    // Both lines of each etched divider, the shadow over the white, at each scale.
    void etchedDividers() {
        fakes::FakePlatform os;
        frmMain window;
        frmoptions options(QString(), &window);
        frmaltload altload(true, QString(), &window);
        frmfindpop picker(&altload);
        frmAbout about(&window);
        QWidget* const shown[] = {window.centralWidget(), &options, &altload, &picker, &about};
        const int rows[] = {384, 256, 159, 199, 99}; // each one's upper line
        const QString shadow = forms::systemColor(forms::ButtonShadow).name();
        for (qreal ratio : {1.0, 1.25, 1.5, 1.75, 2.0})
            for (int i = 0; i < 5; ++i) {
                QPixmap shot(shown[i]->size() * ratio);
                shot.setDevicePixelRatio(ratio);
                shown[i]->render(&shot);
                const QImage image = shot.toImage();
                const QString at = shown[i]->objectName() + " at " + QString::number(ratio) + ": ";
                const auto colour = [&](int row) {
                    return at + image.pixelColor(image.width() / 2, qRound(row * ratio)).name();
                };
                QCOMPARE(colour(rows[i]), at + shadow);
                QCOMPARE(colour(rows[i] + 1), at + "#ffffff");
            }
    }

    // Every caption whole in its control, in the program's own look (last: it keeps that look).
    void captionsFit() {
#ifdef Q_OS_WIN
        QSKIP("offscreen Qt on Windows has no system fonts: windows_look measures under Wine");
#endif
        forms::setUpLook();
        fakes::FakePlatform os;
        QCOMPARE(textfit::reportMisfits(), 0);
    }
};

QTEST_MAIN(MainWindowTest)
#include "test_main_window.moc"
