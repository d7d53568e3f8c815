// Hosting with a router: the router looked for in the background, the outside address it gives
// when the echo page gave none, the game's port asked for before a hosted game starts, and the
// Router dialog.
#include "gui/main/frmMain.h"

#include "core/game/game.h"
#include "core/router/RouterRecord.h"
#include "core/router/RouterService.h"
#include "core/router/firewall_facts.h"
#include "gui/router/frmRouter.h"
#include "platform/platform.h"

#include <QAction>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>

namespace {

// How long a launch waits for the router's answer before the game starts anyway.
constexpr int LaunchWaitMs = 3000;

} // namespace

void frmMain::startRouter() {
    if (!platform::current().routers)
        return;
    router = std::make_unique<net::RouterService>(this);
    router->setEcho(echoAddress);
    connect(router.get(), &net::RouterService::discovered, this, &frmMain::routerDiscovered);
    // A launch waiting for the router goes on once it has answered, or when the bound passes.
    connect(router.get(), &net::RouterService::discovered, this, &frmMain::routerAnswered);
    connect(router.get(), &net::RouterService::portAnswered, this, &frmMain::routerAnswered);
    routerBound.setSingleShot(true);
    connect(&routerBound, &QTimer::timeout, this, &frmMain::routerWaitEnded);
    connect(router.get(), &net::RouterService::recordNotSaved, this, [this] {
        if (toldCauses.contains(QStringLiteral("record")))
            return;
        toldCauses << QStringLiteral("record");
        platform::current().ui->messageBox(net::RouterRecord::notSavedMessage(),
                                           QStringLiteral("Velkor"),
                                           platform::mbstyle::Exclamation);
    });
    // Only a mapping toward this machine is ever removed: the addresses it has now.
    QStringList own{txtLocalIP->text()};
    for (int row = 0; row < lboxIPAddr->count(); ++row)
        own << lboxIPAddr->item(row)->text();
    router->start(settingsdir, gameRunning(), own);
    // Chosen after nothing answered: the router may be there now.
    connect(selwithrouter, &QRadioButton::toggled, this, [this](bool on) {
        if (on && router->answered() && !router->discovering() &&
            router->view().found.protocol == platform::RouterFound::Protocol::None)
            router->discover();
    });
}

bool frmMain::gameRunning() const {
    return platform::current().processes->running(game::ProgramNames());
}

QString frmMain::routerOutside() const {
    const QString outside = router ? router->view().outside : QString();
    return net::isPublicIpv4(outside) ? outside : QString();
}

void frmMain::routerDiscovered() {
    // The page gave no address: the router's own outside one stands in when it is the
    // internet's, and then the game's command line gets it.
    const QString outside = routerOutside();
    if (settings.AutoDetectRouter() && echoAddress.isEmpty() && !outside.isEmpty())
        txtRouterIP->setText(outside);
}

void frmMain::waitForRouter(const LaunchForm& form) {
    routerWait = RouterWait{form, router->openPortWhenHosting()};
    if (routerWait->portAsked)
        router->openPort(txtLocalIP->text());
    // One launch, one game: nothing else starts the game meanwhile. The troubleshooter is greyed
    // out (Ctrl+T does nothing) until this launch has started its game.
    mnutroubleshoot->setEnabled(false);
    routerBound.start(LaunchWaitMs);
    routerAnswered(); // perhaps nothing to wait for
}

void frmMain::endRouterWait() {
    routerWait.reset();
    routerBound.stop();
    mnutroubleshoot->setEnabled(true);
}

void frmMain::routerAnswered() {
    if (routerWait && !router->portPending() && !router->discovering())
        routerWaitEnded();
}

void frmMain::routerWaitEnded() {
    if (!routerWait)
        return; // the window has closed
    const RouterWait wait = *routerWait;
    endRouterWait();
    // Without the port asked for, the player forwards it and reads the Router dialog alone.
    if (wait.portAsked) {
        net::RouterView view = router->view();
        if (router->portPending())
            view.port.kind = net::PortState::Kind::NoAnswer; // not within the bound
        warnOnce(net::hostingWarning(view, txtLocalIP->text()));
    }
    if (platform::Firewall* firewall = platform::current().firewall) {
        const QString folder = platform::current().files->currentDirectory();
        warnOnce(net::firewallWarning(net::gameFirewall(firewall->read(), folder)));
    }
    buildLaunchArgs(wait.form); // the router may have given the external address meanwhile
    if (!startGame())
        showAlternativeLoad();
}

void frmMain::warnOnce(const net::HostingWarning& warning) {
    if (warning.cause.isEmpty() || toldCauses.contains(warning.cause))
        return;
    toldCauses << warning.cause;
    platform::current().ui->messageBox(warning.text, QStringLiteral("Velkor"),
                                       platform::mbstyle::Exclamation);
}

void frmMain::mnurouter_Click() {
    if (!router)
        return;
    frmRouter dialog(*router, txtLocalIP->text(), this);
    dialog.exec();
}
