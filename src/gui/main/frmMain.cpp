#include "gui/main/frmMain.h"

#include "core/game/basRegistry.h"
#include "core/game/game.h"
#include "core/help/HTMLHelp.h"
#include "core/net/WinSockReport.h"
#include "core/net/mWinSock.h"
#include "core/router/RouterService.h"
#include "core/settings/mShellFolders.h"
#include "gui/forms/forms.h"
#include "platform/platform.h"

#include <QAction>
#include <QCloseEvent>
#include <QGroupBox>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>

using forms::captioned;
using forms::place;
using forms::twips;

namespace {

const QString ProductName = QStringLiteral("Velkor");

QLabel* picture(QWidget* container, const char* name, QRect geometry, const QString& path) {
    auto* label = place<QLabel>(container, name, geometry);
    forms::showPicture(label, path);
    return label;
}

// Clears both options of a group, which an exclusive group does not allow while it stays
// exclusive.
void deselect(QRadioButton* button) {
    button->setAutoExclusive(false);
    button->setChecked(false);
    button->setAutoExclusive(true);
}

} // namespace

frmMain::frmMain(QWidget* parent) : QMainWindow(parent) {
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(ProductName);
    createControls();
    createMenus();
    setWindowFlags(forms::fixedWindowFlags(forms::Border::FixedSingle, true));
    // The client area is the central widget; the menu bar comes on top of it.
    centralWidget()->setFixedSize(forms::twipsSize(6255, 6555));
    layout()->setSizeConstraint(QLayout::SetFixedSize);
}

frmMain::~frmMain() = default;

void frmMain::createControls() {
    auto* client = new QWidget(this);
    client->setObjectName(QStringLiteral("client"));
    setCentralWidget(client);

    poplogo = picture(client, "poplogo", twips(480, 0, 5310, 1980), QStringLiteral(":/logo.png"));
    poplogo->setAlignment(Qt::AlignCenter);
    // The four animated figures.
    BlueSha = picture(client, "BlueSha", twips(0, 240, 465, 465), QStringLiteral(":/BlueSha.gif"));
    RedSha = picture(client, "RedSha", twips(0, 1080, 465, 465), QStringLiteral(":/RedSha.gif"));
    yellowsha =
        picture(client, "yellowsha", twips(5790, 240, 465, 465), QStringLiteral(":/yellowsha.gif"));
    Greensha =
        picture(client, "Greensha", twips(5790, 1080, 465, 465), QStringLiteral(":/Greensha.gif"));

    title = captioned<QLabel>(client, "title", ProductName, twips(0, 1920, 6255, 495));
    title->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    title->setFont(forms::dialogFont(24));

    gameselect = captioned<QGroupBox>(client, "gameselect",
                                      QStringLiteral("Which game would you like to play?"),
                                      twips(120, 2520, 6015, 615));
    bg01 = place<QWidget>(gameselect, "bg01", twips(120, 240, 5775, 255));
    selpoptb = captioned<QRadioButton>(bg01, "selpoptb", QStringLiteral("Populous: The Beginning"),
                                       twips(0, 0, 2775, 255));
    selUW = captioned<QRadioButton>(bg01, "selUW", QStringLiteral("Undiscovered Worlds"),
                                    twips(2880, 0, 2895, 255));

    connectmethod = captioned<QGroupBox>(
        client, "connectmethod", QStringLiteral("How will you play?"), twips(120, 3240, 6015, 615));
    bg02 = place<QWidget>(connectmethod, "bg02", twips(120, 240, 5775, 255));
    selhost = captioned<QRadioButton>(bg02, "selhost", QStringLiteral("Host Game"),
                                      twips(0, 0, 2775, 255));
    seljoin =
        captioned<QRadioButton>(bg02, "seljoin", QStringLiteral("Join Game (IP Address Required)"),
                                twips(2880, 0, 2775, 255));

    hostsettings =
        captioned<forms::Frame>(client, "hostsettings", QStringLiteral("How will you be hosting?"),
                                twips(120, 3960, 6015, 975));
    bg03 = place<QWidget>(hostsettings, "bg03", twips(120, 240, 5775, 615));
    selwithoutrouter = captioned<QRadioButton>(
        bg03, "selwithoutrouter", QStringLiteral("Without Router"), twips(0, 0, 2655, 255));
    selwithrouter = captioned<QRadioButton>(bg03, "selwithrouter", QStringLiteral("With Router"),
                                            twips(2880, 0, 2775, 255));
    lblLocalIP =
        captioned<QLabel>(bg03, "lblLocalIP", QStringLiteral("Local IP:"), twips(0, 360, 975, 255));
    txtLocalIP = place<QLineEdit>(bg03, "txtLocalIP", twips(960, 360, 1695, 255));
    lblRouterIP = captioned<QLabel>(bg03, "lblRouterIP", QStringLiteral("External IP:"),
                                    twips(2880, 360, 1095, 255));
    txtRouterIP = place<QLineEdit>(bg03, "txtRouterIP", twips(4080, 360, 1575, 255));
    for (QLabel* bold : {lblLocalIP, lblRouterIP}) {
        QFont font = bold->font();
        font.setBold(true);
        bold->setFont(font);
    }
    for (QLineEdit* box : {txtLocalIP, txtRouterIP}) {
        box->setReadOnly(true);
        box->setFocusPolicy(Qt::ClickFocus); // no tab stop
        forms::setBackColor(box, forms::ButtonFace);
    }

    Label1 = captioned<QLabel>(client, "Label1", QStringLiteral("Your Name:"),
                               twips(240, 5040, 1095, 255));
    username = place<QLineEdit>(client, "username", twips(240, 5280, 2055, 285));
    username->setMaxLength(16);
    Label2 = captioned<QLabel>(client, "Label2", QStringLiteral("Join this IP Address:"),
                               twips(2880, 5040, 2535, 255));
    joinIP = place<QLineEdit>(client, "joinIP", twips(2880, 5280, 2895, 285));
    joinIP->setMaxLength(19);
    joinIP->setEnabled(false);
    forms::setBackColor(joinIP, forms::ButtonFace);

    Line1 = new forms::LineControl(client, QStringLiteral("Line1"), 120, 5760, 6120, 5760,
                                   forms::ButtonShadow);
    Line2 = new forms::LineControl(client, QStringLiteral("Line2"), 120, 5770, 6120, 5770,
                                   forms::WindowBackground);

    launch = captioned<QPushButton>(client, "launch", QStringLiteral("&Launch Game"),
                                    twips(2160, 6120, 1935, 375));

    // Holds the detected local addresses; it lies beyond the right edge and is never seen, so it
    // takes no Tab stop.
    lboxIPAddr = place<QListWidget>(client, "lboxIPAddr", twips(6480, 120, 1095, 840));
    lboxIPAddr->setFocusPolicy(Qt::NoFocus);

    selpoptb->setChecked(true);
    selhost->setChecked(true);
    selwithoutrouter->setChecked(true);

    forms::setTabOrder({selpoptb, selUW, selhost, seljoin, selwithoutrouter, selwithrouter,
                        txtLocalIP, txtRouterIP, username, joinIP, launch});

    // An option's click handler runs whenever it becomes selected, by the user or the program.
    connect(selhost, &QRadioButton::toggled, this, [this](bool on) {
        if (on)
            selhost_Click();
    });
    connect(seljoin, &QRadioButton::toggled, this, [this](bool on) {
        if (on)
            seljoin_Click();
    });
    connect(launch, &QPushButton::clicked, this, &frmMain::launch_Click);
}

void frmMain::createMenus() {
    auto action = [this](QMenu* menu, const char* name, const QString& caption,
                         const QKeySequence& shortcut, void (frmMain::*handler)()) {
        QAction* item = menu->addAction(caption);
        item->setObjectName(QLatin1String(name));
        item->setShortcut(shortcut);
        connect(item, &QAction::triggered, this, handler);
        return item;
    };
    auto separator = [](QMenu* menu, const char* name) {
        QAction* item = menu->addSeparator();
        item->setObjectName(QLatin1String(name));
        return item;
    };

    mnulistoptions = menuBar()->addMenu(QStringLiteral("&Options"));
    mnulistoptions->setObjectName(QStringLiteral("mnulistoptions"));
    mnusettings = action(mnulistoptions, "mnusettings", QStringLiteral("&Settings..."),
                         QKeySequence(Qt::CTRL | Qt::Key_O), &frmMain::mnusettings_Click);
    mnurouter = action(mnulistoptions, "mnurouter", QStringLiteral("&Router..."), {},
                       &frmMain::mnurouter_Click);
    mnubreak001 = separator(mnulistoptions, "mnubreak001");
    mnutroubleshoot = action(mnulistoptions, "mnutroubleshoot", QStringLiteral("&Troubleshoot..."),
                             QKeySequence(Qt::CTRL | Qt::Key_T), &frmMain::mnutroubleshoot_Click);

    mnulisthelp = menuBar()->addMenu(QStringLiteral("&Help"));
    mnulisthelp->setObjectName(QStringLiteral("mnulisthelp"));
    mnuhelp = action(mnulisthelp, "mnuhelp", QStringLiteral("Help"), QKeySequence(Qt::Key_F1),
                     &frmMain::mnuhelp_Click);
    mnubreak002 = separator(mnulisthelp, "mnubreak002");
    mnuvisitdrovane = action(mnulisthelp, "mnuvisitdrovane", QStringLiteral("Visit &Drovane"), {},
                             &frmMain::mnuvisitdrovane_Click);
    mnuvisittollmere = action(mnulisthelp, "mnuvisittollmere", QStringLiteral("Visit &Tollmere"),
                              {}, &frmMain::mnuvisittollmere_Click);
    mnubreak003 = separator(mnulisthelp, "mnubreak003");
    mnuabout =
        action(mnulisthelp, "mnuabout", QStringLiteral("&About..."), {}, &frmMain::mnuabout_Click);
}

void frmMain::Form_Load() {
    platform::Services& os = platform::current();

    if (!os.system->claimSingleInstance()) {
        os.ui->messageBox(ProductName +
                              QStringLiteral(" is already running, please find the "
                                             "already opened window to use the software."),
                          ProductName, platform::mbstyle::Information);
        os.system->endProgram();
        return;
    }

    settingsdir = GetSpecialFolderPath(this, 26, 0) + QStringLiteral("\\Populous\\Velkor");
    settingsdir = settingsdir.replace(QStringLiteral("\\\\"), QStringLiteral("\\")).trimmed();

    forms::SetFormIcon(this, QStringLiteral("ICON1"), true);

    using platform::RootKey;
    const QString drive =
        ReadRegistryValue(RootKey::LocalMachine, game::RegistryKey, game::InstallDriveValue)
            .toString();
    if (!drive.isEmpty())
        os.files->changeDrive(drive.left(1));
    const QString path =
        ReadRegistryValue(RootKey::LocalMachine, game::RegistryKey, game::InstallPathValue)
            .toString();
    // Where the game's installer left no folder to enter, one another store put it in.
    if ((path.isEmpty() || !os.files->changeDirectory(path)) && !locatedGameFolder.isEmpty() &&
        os.files->changeDrive(locatedGameFolder.left(1)))
        os.files->changeDirectory(locatedGameFolder);

    if (!winsock::goOnAfter(SocketsInitialize()))
        return;
    const winsock::LocalAddresses local = GetLocalIPAddresses();
    winsock::goOnAfter(local.status);
    lboxIPAddr->addItems(local.addresses);
    if (!winsock::goOnAfter(SocketsCleanup()))
        return;
    LoadSettings();
}

void frmMain::Form_Unload() {
    endRouterWait(); // a launch waiting for the router starts no game now
    SaveSettings();
    if (router)
        router->finish(gameRunning());
    emit unloaded();
}

void frmMain::closeEvent(QCloseEvent* event) {
    Form_Unload();
    event->accept();
}

void frmMain::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (!centred) {
        centred = true;
        forms::centre(this);
        // Only now: looking for the router never delays the window.
        if (!router)
            startRouter();
    }
}

void frmMain::selhost_Click() {
    hostsettings->setFrameEnabled(true);
    selwithoutrouter->setEnabled(true);
    selwithrouter->setEnabled(true);
    Label2->setEnabled(false);
    joinIP->setEnabled(false);
    forms::setBackColor(joinIP, forms::ButtonFace);
    selwithoutrouter->setChecked(true);
}

void frmMain::seljoin_Click() {
    // Its addresses stay as they look, out of reach; the two options grey.
    hostsettings->setFrameEnabled(false);
    selwithoutrouter->setEnabled(false);
    selwithrouter->setEnabled(false);
    Label2->setEnabled(true);
    joinIP->setEnabled(true);
    forms::setBackColor(joinIP, forms::WindowBackground);
    deselect(selwithoutrouter);
    deselect(selwithrouter);
}
