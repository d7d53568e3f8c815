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

// The hosting frame of a shown window: "on" or "off", each option "x" or "-" and "grey" when
// disabled, then whether a click of the mouse on the Local IP box reaches it.
QString hostingFrame(frmMain& window) {
    QStringList parts{window.hostsettings->isFrameEnabled() ? "on" : "off"};
    for (QRadioButton* option : {window.selwithoutrouter, window.selwithrouter})
        parts << QString(option->isChecked() ? "x" : "-") + (option->isEnabled() ? "" : " grey");
    for (QWidget* address : std::initializer_list<QWidget*>{window.lblLocalIP, window.txtLocalIP,
                                                            window.lblRouterIP, window.txtRouterIP})
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
        forms::SetFormIcon(&window, "ICON1", false); // our own pictures, without Qt's image plugins
        QCOMPARE(window.windowIcon().availableSizes(),
                 QList<QSize>({{16, 16}, {24, 24}, {32, 32}, {48, 48}}));

        window.show();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        // Either Enter presses the focused button once, held or not (a text box:
        // e2e/look_and_keys).
        QSignalSpy pressed(window.launch, &QAbstractButton::clicked);
        QTest::keyClick(window.launch, Qt::Key_Return);
        QTest::keyClick(window.launch, Qt::Key_Enter, Qt::KeypadModifier);
        QKeyEvent held(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, QString(), true);
        QApplication::sendEvent(window.launch, &held);
        QCOMPARE(pressed.count(), 2);

        // Joining clears the hosting method and disables its frame, whose addresses keep their
        // look but are out of reach; hosting again resets it.
        window.selwithrouter->click();
        QCOMPARE(hostingFrame(window), "on, -, x, the box takes a click");
        window.seljoin->click();
        QCOMPARE(hostingFrame(window), "off, - grey, - grey, the box out of reach");
        QVERIFY(window.joinIP->isEnabled());
        window.selhost->click();
        QCOMPARE(hostingFrame(window), "on, x, -, the box takes a click");
        QVERIFY(!window.joinIP->isEnabled());
        window.selwithrouter->click(); // still one group after being cleared
        QVERIFY(!window.selwithoutrouter->isChecked());
    }

    // All four arrows move the selection round an option group, however its options lie.
    void arrowsRoundAGroup() {
        fakes::FakePlatform os;
        frmMain window;
        frmoptions options(QString(), &window);
        for (QWidget* form : {static_cast<QWidget*>(&window), static_cast<QWidget*>(&options)}) {
            form->show();
            QVERIFY(QTest::qWaitForWindowActive(form));
            auto* first =
                form->findChild<QRadioButton*>(form == &window ? "selpoptb" : "rDefPopTB");
            first->setFocus();
            QTRY_COMPARE(QApplication::focusWidget(), first);
            QStringList walk;
            for (Qt::Key key : {Qt::Key_Down, Qt::Key_Down, Qt::Key_Up, Qt::Key_Right, Qt::Key_Left,
                                Qt::Key_Left, Qt::Key_Up}) {
                QTest::keyClick(QApplication::focusWidget(), key);
                auto* focused = qobject_cast<QRadioButton*>(QApplication::focusWidget());
                walk << (focused && focused->isChecked() ? focused->objectName() : "?");
            }
            const QString other = form == &window ? "selUW" : "rDefUW";
            const QString one = first->objectName();
            QCOMPARE(walk, QStringList({other, one, other, one, other, one, other}));
            form->hide();
        }
    }
    // Tab stops at each group's selected option, past read-only boxes and off-screen controls.
    void tabStops() {
        fakes::FakePlatform os;
        frmMain window;
        QCOMPARE(window.poplogo->pixmap().size(), QSize(350, 128)); // not the "@2x" picture
        window.selUW->setChecked(true);
        window.selwithrouter->setChecked(true);
        window.show();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        window.launch->setFocus();
        QCOMPARE(tabbing(6), "selUW selhost selwithrouter username launch selUW");

        window.hide();
        frmaltload dialog(true, "");
        dialog.show();
        QVERIFY(QTest::qWaitForWindowActive(&dialog));
        QVERIFY(dialog.popdir->hasFocus());
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
        for (Qt::Key key : {Qt::Key_Return, Qt::Key_Escape}) { // Enter presses OK
            frmAbout about;
            about.show();
            QVERIFY(QTest::qWaitForWindowExposed(&about));
            QVERIFY(about.cmdOK->hasFocus());
            QTest::keyClick(&about, key);
            QVERIFY2(!about.isVisible(), qPrintable(QKeySequence(key).toString()));
        }
        frmMain window;
        window.mnuhelp->trigger();
        QVERIFY(os.ui.boxes.at(0).text.startsWith(
            "The file C:\\Program Files\\Velkor\\velkorhelp.chm does not exist."));
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
        const std::pair<QWidget*, int> dividers[] = {{window.centralWidget(), 384},
                                                     {&options, 256},
                                                     {&altload, 159},
                                                     {&picker, 199},
                                                     {&about, 99}};
        const QString shadow = forms::systemColor(forms::ButtonShadow).name();
        for (qreal ratio : {1.0, 1.25, 1.5, 1.75, 2.0})
            for (const auto& [shown, row] : dividers) {
                QPixmap shot(shown->size() * ratio);
                shot.setDevicePixelRatio(ratio);
                shown->render(&shot);
                const QImage image = shot.toImage();
                const QString at = QStringLiteral("%1 at %2: ").arg(shown->objectName()).arg(ratio);
                const auto colour = [&](int logicalRow) {
                    return at +
                           image.pixelColor(image.width() / 2, qRound(logicalRow * ratio)).name();
                };
                QCOMPARE(colour(row), at + shadow);
                QCOMPARE(colour(row + 1), at + "#ffffff");
            }
    }

    // Every caption whole in its control, in the program's own look.
    void captionsFit() {
#ifdef Q_OS_WIN
        QSKIP("offscreen Qt on Windows has no system fonts: windows_look measures under Wine");
#endif
        const QFont font = QApplication::font();
        const QString style = QApplication::style()->name();
        forms::setUpLook();
        fakes::FakePlatform os;
        const qsizetype misfits = textfit::reportMisfits();
        QApplication::setFont(font);
        QApplication::setStyle(style);
        QCOMPARE(misfits, 0);
    }
};

QTEST_MAIN(MainWindowTest)
#include "test_main_window.moc"
