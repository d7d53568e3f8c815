#include "gui/router/frmRouter.h"

#include "core/router/RouterService.h"
#include "core/router/firewall_facts.h"
#include "platform/platform.h"

#include <QCheckBox>
#include <QDateTime>
#include <QLabel>
#include <QPushButton>

using forms::twips;

namespace {

QLabel* plainLabel(QWidget* container, const char* name, const QString& caption, QRect geometry) {
    auto* label = forms::captioned<QLabel>(container, name, caption, geometry);
    // Router names are outside text: never rich text, links or pictures.
    label->setTextFormat(Qt::PlainText);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    // The player may copy what it says into a question to friends or a forum.
    label->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    return label;
}

} // namespace

frmRouter::frmRouter(net::RouterService& router, const QString& localAddress, QWidget* owner)
    : FixedDialog(owner, "frmRouter", QStringLiteral("Router"), 6255,
                  platform::current().firewall ? 4590 : 3630, Centre::OnOwner,
                  forms::Border::FixedSingle),
      router_(router), localAddress_(localAddress) {
    escapeCloses = true;
    createControls();
    connect(&router_, &net::RouterService::changed, this, &frmRouter::showState);
    showState();
    showFirewall();
}

frmRouter::~frmRouter() = default;

void frmRouter::createControls() {
    const auto row = [this](const char* captionName, const char* valueName, const QString& caption,
                            int top, QLabel*& captionLabel, QLabel*& value) {
        captionLabel = plainLabel(this, captionName, caption, twips(120, top, 1935, 255));
        value = plainLabel(this, valueName, QString(), twips(2160, top, 3975, 255));
    };
    row("lblRouterCaption", "lblRouter", QStringLiteral("Router:"), 120, lblRouterCaption,
        lblRouter);
    row("lblOutsideCaption", "lblOutside", QStringLiteral("Its outside address:"), 420,
        lblOutsideCaption, lblOutside);
    row("lblEchoCaption", "lblEcho", QStringLiteral("The web sees you at:"), 720, lblEchoCaption,
        lblEcho);
    row("lblPortCaption", "lblPort", QStringLiteral("Game port (UDP 7575):"), 1020, lblPortCaption,
        lblPort);
    // The firewall's row, where there is one, pushes the rest down.
    int below = 0;
    if (platform::current().firewall) {
        row("lblFirewallCaption", "lblFirewall", QStringLiteral("Windows Firewall:"), 1320,
            lblFirewallCaption, lblFirewall);
        lblFirewall->setWordWrap(true); // two lines: a rule's name, or what Windows answered
        lblFirewall->resize(lblFirewall->width(), twips(0, 0, 0, 420).height());
        cmdAllowFirewall = forms::captioned<QPushButton>(
            this, "cmdAllowFirewall", QStringLiteral("&Allow the game through Windows Firewall..."),
            twips(2160, 1800, 3975, 375));
        connect(cmdAllowFirewall, &QPushButton::clicked, this, &frmRouter::cmdAllowFirewall_Click);
        below = 960;
    }
    lblMeaning = plainLabel(this, "lblMeaning", QString(), twips(120, 1380 + below, 6015, 975));
    lblMeaning->setWordWrap(true);
    QFont bold = lblMeaning->font();
    bold.setBold(true);
    lblMeaning->setFont(bold);

    chkOpenPort = forms::captioned<QCheckBox>(
        this, "chkOpenPort", QStringLiteral("&Open the game's port when hosting with a router"),
        twips(120, 2460 + below, 6015, 255));
    chkOpenPort->setChecked(router_.openPortWhenHosting());
    cmdCheck = forms::captioned<QPushButton>(this, "cmdCheck", QStringLiteral("C&heck Again"),
                                             twips(2640, 3000 + below, 1695, 375));
    cmdClose = forms::captioned<QPushButton>(this, "cmdClose", QStringLiteral("Close"),
                                             twips(4440, 3000 + below, 1695, 375));
    cmdClose->setDefault(true);
    if (cmdAllowFirewall)
        forms::setTabOrder({cmdAllowFirewall, chkOpenPort, cmdCheck, cmdClose});
    else
        forms::setTabOrder({chkOpenPort, cmdCheck, cmdClose});
    cmdClose->setFocus();

    connect(cmdCheck, &QPushButton::clicked, this, &frmRouter::cmdCheck_Click);
    connect(chkOpenPort, &QCheckBox::clicked, this, &frmRouter::chkOpenPort_Click);
    connect(cmdClose, &QPushButton::clicked, this, &frmRouter::cmdClose_Click);
}

void frmRouter::showState() {
    const net::RouterView& view = router_.view();
    if (router_.discovering() && !router_.answered()) {
        lblRouter->setText(QStringLiteral("Looking for it..."));
        lblOutside->clear();
        lblEcho->clear();
        lblPort->clear();
        lblMeaning->clear();
        return;
    }
    lblRouter->setText(net::routerLine(view.found));
    lblOutside->setText(view.outside.isEmpty() ? QStringLiteral("None given") : view.outside);
    lblEcho->setText(view.echo.isEmpty() ? QStringLiteral("Not known") : view.echo);
    lblPort->setText(net::portLine(view.port, QDateTime::currentSecsSinceEpoch()));
    lblMeaning->setText(net::meaning(view, localAddress_));
    cmdCheck->setEnabled(!router_.discovering());
}

void frmRouter::showFirewall() {
    platform::Firewall* firewall = platform::current().firewall;
    if (!firewall || !lblFirewall)
        return;
    const platform::FirewallState state = firewall->read();
    const QString folder = platform::current().files->currentDirectory();
    const win32::FirewallVerdict verdict = net::gameFirewall(state, folder);
    lblFirewall->setText(net::firewallLine(verdict, state.problem));
    firewallProfiles_ = state.currentProfiles;
    cmdAllowFirewall->setVisible(net::firewallMendable(verdict));
}

void frmRouter::cmdAllowFirewall_Click() {
    const QString folder = platform::current().files->currentDirectory();
    const platform::Firewall::Change change =
        platform::current().firewall->allow(net::gameFirewallRequest(folder, firewallProfiles_));
    using Outcome = platform::Firewall::Outcome;
    if (change.outcome != Outcome::Done)
        platform::current().ui->messageBox(
            change.outcome == Outcome::Refused
                ? QStringLiteral("Windows Firewall is as it was: administrator rights were not "
                                 "given.")
                : QStringLiteral("Velkor could not change Windows Firewall: %1.")
                      .arg(change.problem),
            QStringLiteral("Velkor"), platform::mbstyle::Exclamation);
    showFirewall();
}

void frmRouter::cmdCheck_Click() {
    cmdCheck->setEnabled(false);
    showFirewall();
    router_.discover();
    // A port asked for in this run is asked again: the router may think otherwise now.
    using Kind = net::PortState::Kind;
    const Kind port = router_.view().port.kind;
    if (port != Kind::NotAsked && port != Kind::NoRouter)
        router_.openPort(localAddress_);
    showState();
}

void frmRouter::chkOpenPort_Click() {
    if (!router_.setOpenPortWhenHosting(chkOpenPort->isChecked()))
        platform::current().ui->messageBox(
            QStringLiteral("Velkor could not keep this choice: the router settings file in its "
                           "settings folder cannot be written."),
            QStringLiteral("Velkor"), platform::mbstyle::Exclamation);
}

void frmRouter::cmdClose_Click() {
    accept();
}
