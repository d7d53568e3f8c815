#include "gui/router/frmRouter.h"

#include "core/router/RouterService.h"
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
    : FixedDialog(owner, "frmRouter", QStringLiteral("Router"), 6255, 3630, Centre::OnOwner,
                  forms::Border::FixedSingle),
      router_(router), localAddress_(localAddress) {
    escapeCloses = true;
    createControls();
    connect(&router_, &net::RouterService::changed, this, &frmRouter::showState);
    showState();
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
    lblMeaning = plainLabel(this, "lblMeaning", QString(), twips(120, 1380, 6015, 975));
    lblMeaning->setWordWrap(true);
    QFont bold = lblMeaning->font();
    bold.setBold(true);
    lblMeaning->setFont(bold);

    chkOpenPort = forms::captioned<QCheckBox>(
        this, "chkOpenPort", QStringLiteral("&Open the game's port when hosting with a router"),
        twips(120, 2460, 6015, 255));
    chkOpenPort->setChecked(router_.openPortWhenHosting());
    cmdCheck = forms::captioned<QPushButton>(this, "cmdCheck", QStringLiteral("C&heck Again"),
                                             twips(2640, 3000, 1695, 375));
    cmdClose = forms::captioned<QPushButton>(this, "cmdClose", QStringLiteral("Close"),
                                             twips(4440, 3000, 1695, 375));
    cmdClose->setDefault(true);
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

void frmRouter::cmdCheck_Click() {
    cmdCheck->setEnabled(false);
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
