#pragma once
// The main window: the player's choices, the launch button and the menus.

#include "core/game/BuildGameArgs.h"
#include "core/settings/LaunchSettings.h"

#include <QMainWindow>
#include <QTimer>
#include <memory>
#include <optional>

class HTMLHelp;
namespace forms {
class Frame;
}
namespace net {
class RouterService;
struct HostingWarning;
} // namespace net
class QAction;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QMenu;
class QPushButton;
class QRadioButton;

class frmMain : public QMainWindow {
    Q_OBJECT
public:
    explicit frmMain(QWidget* parent = nullptr);
    ~frmMain() override;

    // Executable part of the last command the launch built, with its trailing blank.
    QString launchexe;
    // Argument part of the last command the launch or the troubleshooter built.
    QString launchargs;
    // Folder of the settings file, set at load.
    QString settingsdir;
    // Where the game's locator found the game (Windows form, empty: nowhere), entered at load
    // when the game's key names no folder that can be entered. Set before Form_Load.
    QString locatedGameFolder;

    // Runs when the window is created, before it is first shown.
    void Form_Load();
    // Runs when the window closes; never refuses.
    void Form_Unload();

    // Settings file: fills the controls from it, and stores the addresses back.
    void LoadSettings();
    void SaveSettings();

    // Controls, named as the form names them.
    QLabel* poplogo;
    QLabel* title;
    QGroupBox* gameselect;
    QWidget* bg01;
    QRadioButton* selpoptb;
    QRadioButton* selUW;
    QGroupBox* connectmethod;
    QWidget* bg02;
    QRadioButton* selhost;
    QRadioButton* seljoin;
    forms::Frame* hostsettings;
    QWidget* bg03;
    QRadioButton* selwithoutrouter;
    QRadioButton* selwithrouter;
    QLabel* lblLocalIP;
    QLineEdit* txtLocalIP;
    QLabel* lblRouterIP;
    QLineEdit* txtRouterIP;
    QLabel* Label1;
    QLineEdit* username;
    QLabel* Label2;
    QLineEdit* joinIP;
    QWidget* Line1;
    QWidget* Line2;
    QPushButton* launch;
    QLabel* BlueSha;
    QLabel* RedSha;
    QLabel* yellowsha;
    QLabel* Greensha;
    QListWidget* lboxIPAddr;

    QMenu* mnulistoptions;
    QAction* mnusettings;
    QAction* mnurouter;
    QAction* mnubreak001;
    QAction* mnutroubleshoot;
    QMenu* mnulisthelp;
    QAction* mnuhelp;
    QAction* mnubreak002;
    QAction* mnuvisitdrovane;
    QAction* mnuvisittollmere;
    QAction* mnubreak003;
    QAction* mnuabout;

    // Handlers.
    void selhost_Click();
    void seljoin_Click();
    void launch_Click();
    void mnusettings_Click();
    void mnurouter_Click();
    void mnutroubleshoot_Click();
    void mnuhelp_Click();
    void mnuvisitdrovane_Click();
    void mnuvisittollmere_Click();
    void mnuabout_Click();

signals:
    // The window has unloaded; the program ends with it.
    void unloaded();

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void createControls();
    void createMenus();
    // Fetches the external address into txtRouterIP, or shows the stored one.
    void GetExternalIP();
    // The choices the game's arguments are made of, but the external address, which the
    // router may give while a launch waits for it.
    struct LaunchForm {
        game::Way way;
        game::Hosting hosting;
        QString local, join, name;
    };
    LaunchForm launchForm() const;
    // The game's arguments, into launchargs when they make a command.
    void buildLaunchArgs(const LaunchForm& form);
    // Opens the alternative load dialog, owned by this window.
    void showAlternativeLoad();
    // Starts the chosen game from the current folder; false when the start failed.
    bool startGame();

    // Hosting with a router (frmMain_router.cpp): the router is looked for once the window is
    // shown. A launch hosting with it asks for the game's port and waits for the answer, 3 s at
    // most, the window answering meanwhile; then the game starts, unless the window has closed.
    void startRouter();
    void routerDiscovered();
    void waitForRouter(const LaunchForm& form);
    void routerAnswered();
    void routerWaitEnded();
    void endRouterWait();
    // A warning before a hosted game, shown once a run for each cause.
    void warnOnce(const net::HostingWarning& warning);
    // The router's outside address when it is the internet's, else empty.
    QString routerOutside() const;
    bool gameRunning() const;

    bool centred = false;
    LaunchSettings settings;
    std::unique_ptr<HTMLHelp> helpviewer;
    std::unique_ptr<net::RouterService> router;
    QString echoAddress;    // what the address-echo page answered last, a whole address or empty
    QStringList toldCauses; // what the player has been told about hosting, once a run each
    // A launch waiting for the router, with what was chosen at its click.
    struct RouterWait {
        LaunchForm form;
        bool portAsked = false;
    };
    std::optional<RouterWait> routerWait;
    QTimer routerBound;
};
