#include "gui/options/frmoptions.h"

#include "core/net/AddressEcho.h"
#include "core/net/WinSockReport.h"
#include "core/net/mWinSock.h"
#include "gui/forms/forms.h"
#include "platform/platform.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>

using forms::captioned;
using forms::place;
using forms::twips;

frmoptions::frmoptions(const QString& settingsFolder, QWidget* owner,
                       std::function<QString()> routerOutside)
    : FixedDialog(owner, "frmoptions", QStringLiteral("Options"), 6375, 4380, Centre::OnOwner,
                  forms::Border::FixedSingle),
      settingsdir(settingsFolder), routerAddress(std::move(routerOutside)) {
    createControls();
    setModal(true);
}

frmoptions::~frmoptions() = default;

void frmoptions::createControls() {
    frDefGame = captioned<QGroupBox>(this, "frDefGame", QStringLiteral("Default Game"),
                                     twips(3240, 120, 3015, 975));
    bg01 = place<QWidget>(frDefGame, "bg01", twips(120, 240, 2775, 615));
    rDefPopTB = captioned<QRadioButton>(
        bg01, "rDefPopTB", QStringLiteral("Populous: The Beginning"), twips(0, 0, 2175, 255));
    rDefUW = captioned<QRadioButton>(bg01, "rDefUW", QStringLiteral("Undiscovered Worlds"),
                                     twips(0, 360, 1935, 255));

    frDefWay = captioned<QGroupBox>(this, "frDefWay", QStringLiteral("Default Way to Play"),
                                    twips(3240, 1200, 3015, 615));
    bg02 = place<QWidget>(frDefWay, "bg02", twips(120, 240, 2775, 255));
    rDefHost =
        captioned<QRadioButton>(bg02, "rDefHost", QStringLiteral("Host"), twips(0, 0, 1455, 255));
    rDefJoin =
        captioned<QRadioButton>(bg02, "rDefJoin", QStringLiteral("Join"), twips(1560, 0, 735, 255));

    frDefHost = captioned<QGroupBox>(this, "frDefHost", QStringLiteral("Default Hosting Method:"),
                                     twips(3240, 1920, 3015, 615));
    bg03 = place<QWidget>(frDefHost, "bg03", twips(120, 240, 2775, 255));
    rDefWoRouter = captioned<QRadioButton>(bg03, "rDefWoRouter", QStringLiteral("Without Router"),
                                           twips(0, 0, 1455, 255));
    rDefWRouter = captioned<QRadioButton>(bg03, "rDefWRouter", QStringLiteral("With Router"),
                                          twips(1560, 0, 1335, 255));

    frUser = captioned<QGroupBox>(this, "frUser", QStringLiteral("Username"),
                                  twips(3240, 2640, 3015, 615));
    bg04 = place<QWidget>(frUser, "bg04", twips(120, 210, 2775, 320));
    txtUserName = place<QLineEdit>(bg04, "txtUserName", twips(0, 0, 2655, 285));
    txtUserName->setMaxLength(LaunchSettings::UserNameLength);

    frIPSettings = captioned<QGroupBox>(this, "frIPSettings", QStringLiteral("IP Addresses"),
                                        twips(120, 120, 3015, 3615));
    bgIPSettings = place<QWidget>(frIPSettings, "bgIPSettings", twips(120, 240, 2775, 3300));
    lblDetectIP =
        captioned<QLabel>(bgIPSettings, "lblDetectIP", QStringLiteral("Detected IP Addresses:"),
                          twips(120, 0, 1935, 255));
    lboxIPAddr = place<QListWidget>(bgIPSettings, "lboxIPAddr", twips(120, 240, 1935, 840));
    ip = place<QLineEdit>(bgIPSettings, "ip", twips(120, 1080, 1935, 285));
    ip->setReadOnly(true);
    forms::setBackColor(ip, forms::ButtonFace);
    lblIPOverride =
        captioned<QLabel>(bgIPSettings, "lblIPOverride", QStringLiteral("Overridden IP Address:"),
                          twips(120, 1560, 1935, 255));
    lblIPOverride->setEnabled(false); // like its box, until the override is checked
    custumipbox = place<QLineEdit>(bgIPSettings, "custumipbox", twips(120, 1800, 1335, 285));
    custumipbox->setEnabled(false);
    custumipbox->setMaxLength(LaunchSettings::AddressLength);
    forms::setBackColor(custumipbox, forms::ButtonFace);
    custumip = captioned<QCheckBox>(bgIPSettings, "custumip", QStringLiteral("IP Override"),
                                    twips(1560, 1800, 1215, 255));
    Label1 = captioned<QLabel>(bgIPSettings, "Label1", QStringLiteral("Router IP Address:"),
                               twips(120, 2280, 1455, 255));
    txtRouterIP = place<QLineEdit>(bgIPSettings, "txtRouterIP", twips(120, 2520, 1335, 285));
    txtRouterIP->setMaxLength(LaunchSettings::AddressLength);
    cmdGetRouterIP = captioned<QPushButton>(bgIPSettings, "cmdGetRouterIP",
                                            QStringLiteral("Detect"), twips(1560, 2520, 1095, 285));
    chkAutoRouter = captioned<QCheckBox>(
        bgIPSettings, "chkAutoRouter", QStringLiteral("Automatically detect my Router IP Address."),
        twips(0, 2880, 2775, 375));

    Line1 = new forms::LineControl(this, QStringLiteral("Line1"), 0, 3840, 6360, 3840,
                                   forms::ButtonShadow);
    Line2 = new forms::LineControl(this, QStringLiteral("Line2"), 0, 3855, 6360, 3855,
                                   forms::WindowBackground);

    cmdOK =
        captioned<QPushButton>(this, "cmdOK", QStringLiteral("OK"), twips(3240, 3960, 1455, 375));
    cmdCancel = captioned<QPushButton>(this, "cmdCancel", QStringLiteral("Cancel"),
                                       twips(4800, 3960, 1455, 375));

    rDefPopTB->setChecked(true);
    rDefHost->setChecked(true);
    rDefWoRouter->setChecked(true);

    forms::setTabOrder({lboxIPAddr, ip, custumip, custumipbox, cmdGetRouterIP, txtRouterIP,
                        chkAutoRouter, rDefPopTB, rDefUW, rDefHost, rDefJoin, rDefWoRouter,
                        rDefWRouter, txtUserName, cmdOK, cmdCancel});

    connect(custumip, &QCheckBox::toggled, this, &frmoptions::custumip_Click);
    connect(custumipbox, &QLineEdit::textChanged, this, &frmoptions::custumipbox_Change);
    connect(lboxIPAddr, &QListWidget::itemSelectionChanged, this, &frmoptions::lboxIPAddr_Click);
    connect(cmdGetRouterIP, &QPushButton::clicked, this, &frmoptions::cmdGetRouterIP_Click);
    connect(cmdOK, &QPushButton::clicked, this, &frmoptions::cmdOK_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &frmoptions::cmdCancel_Click);
}

QString frmoptions::settingsFile() const {
    return settingsdir + QStringLiteral("\\Velkor.cfg");
}

std::array<OptionPair, 3> frmoptions::choices() const {
    return {{{&LaunchSettings::DefaultGame, &LaunchSettings::setDefaultGame, rDefUW, rDefPopTB},
             {&LaunchSettings::DefaultWay, &LaunchSettings::setDefaultWay, rDefJoin, rDefHost},
             {&LaunchSettings::DefaultHosting, &LaunchSettings::setDefaultHosting, rDefWRouter,
              rDefWoRouter}}};
}

bool frmoptions::Form_Load() {
    if (!winsock::goOnAfter(SocketsInitialize())) {
        ending = true;
        return false;
    }
    const winsock::LocalAddresses local = GetLocalIPAddresses();
    winsock::goOnAfter(local.status);
    lboxIPAddr->addItems(local.addresses);

    settings.read(settingsFile());
    showOptions(settings, choices());
    txtUserName->setText(trimBlanks(settings.UserName()));
    custumipbox->setText(trimBlanks(settings.OverrideAddress()));
    // Checking runs custumip_Click, which enables the box; left unchecked, the box stays
    // disabled with the stored address greyed out in it.
    custumip->setChecked(settings.OverrideEnabled());
    ip->setText(trimBlanks(settings.LocalAddress()));
    txtRouterIP->setText(trimBlanks(settings.RouterAddress()));
    if (settings.AutoDetectRouter())
        chkAutoRouter->setChecked(true);
    return true;
}

void frmoptions::Form_Unload() {
    if (unloaded)
        return;
    unloaded = true;
    if (!winsock::goOnAfter(SocketsCleanup()))
        ending = true;
}

void frmoptions::done(int result) {
    Form_Unload();
    QDialog::done(result);
}

void frmoptions::custumip_Click() {
    if (!custumip->isChecked()) {
        lblIPOverride->setEnabled(false);
        custumipbox->setEnabled(false);
        forms::setBackColor(custumipbox, forms::ButtonFace);
        custumipbox->clear();
    } else {
        lblIPOverride->setEnabled(true);
        custumipbox->setEnabled(true);
        forms::setBackColor(custumipbox, forms::WindowBackground);
    }
}

void frmoptions::custumipbox_Change() {
    // The box's text is only read when OK saves it.
}

void frmoptions::lboxIPAddr_Click() {
    const QList<QListWidgetItem*> selected = lboxIPAddr->selectedItems();
    ip->setText(selected.isEmpty() ? QString() : selected.first()->text());
    if (ip->text().isEmpty() && lboxIPAddr->count() > 0)
        ip->setText(lboxIPAddr->item(0)->text());
}

frmoptions::RouterIPResult frmoptions::GetRouterIP() {
    const addressecho::Answer answer =
        addressecho::fetch(addressecho::pageUrl(), settingsdir + QStringLiteral("\\ip.tmp"));
    if (answer.read)
        txtRouterIP->setText(answer.text);
    switch (answer.outcome) {
    case addressecho::Outcome::Ok:
        return RouterIPResult::Ok;
    case addressecho::Outcome::PathNotFound:
        return RouterIPResult::FolderMissing;
    case addressecho::Outcome::FileNotFound:
    case addressecho::Outcome::Failed:
        break;
    }
    return RouterIPResult::Failed;
}

void frmoptions::cmdGetRouterIP_Click() {
    RouterIPResult result = GetRouterIP();
    const bool retried = result == RouterIPResult::FolderMissing;
    if (retried) {
        settingsfile::CreateSettingsFolders();
        result = GetRouterIP();
    }
    if (result == RouterIPResult::Ok)
        return;
    // The page gave no address: the router's own outside address stands in when it has one.
    const QString outside = routerAddress ? routerAddress() : QString();
    if (!outside.isEmpty())
        txtRouterIP->setText(outside);
    else if (!retried) // a second failure is not reported
        platform::current().ui->messageBox(QStringLiteral("The server is currently unavaliable."),
                                           QStringLiteral("Velkor"),
                                           platform::mbstyle::Exclamation);
}

void frmoptions::cmdOK_Click() {
    storeOptions(settings, choices());
    settings.setUserName(txtUserName->text());
    settings.setOverrideEnabled(custumip->isChecked());
    settings.setOverrideAddress(custumipbox->text());
    settings.setLocalAddress(ip->text());
    settings.setRouterAddress(txtRouterIP->text());
    const QList<QListWidgetItem*> selected = lboxIPAddr->selectedItems();
    if (!selected.isEmpty()) {
        const int index = lboxIPAddr->row(selected.first());
        if (index <= 255)
            settings.setLocalAddressIndex(static_cast<std::uint8_t>(index));
    }
    settings.setAutoDetectRouter(chkAutoRouter->isChecked());
    if (!settings.write(settingsFile()))
        platform::current().ui->messageBox(settingsfile::notWritableMessage(),
                                           QStringLiteral("Velkor"),
                                           platform::mbstyle::Exclamation);
    accept();
}

void frmoptions::cmdCancel_Click() {
    reject();
}
