// Hosting with a router: the router looked for in the background, the outside address it gives
// when the echo page gave none, the game's port asked for before a hosted game starts, and the
// Router dialog.
#include "app/frmMain.h"

#include "game/game.h"
#include "net/RouterRecord.h"
#include "net/RouterService.h"
#include "net/frmRouter.h"
#include "platform/platform.h"

#include <QAction>
#include <QEventLoop>
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

bool frmMain::prepareHostingWithRouter() {
    if (!router)
        return true;
    const bool openPort = router->openPortWhenHosting();
    const QString local = txtLocalIP->text();
    if (openPort)
        router->openPort(local);
    {
        // The window keeps painting and answering while the router is asked; a second click on
        // the button does nothing meanwhile.
        QEventLoop wait;
        QTimer bound;
        bound.setSingleShot(true);
        connect(&bound, &QTimer::timeout, &wait, &QEventLoop::quit);
        const auto done = [&] {
            if (!router->portPending() && !router->discovering())
                wait.quit();
        };
        connect(router.get(), &net::RouterService::portAnswered, &wait, done);
        connect(router.get(), &net::RouterService::discovered, &wait, done);
        bound.start(LaunchWaitMs);
        // One launch, one game: nothing else starts the game meanwhile. The troubleshooter is
        // greyed out (Ctrl+T does nothing) until this launch has started its game.
        launching = true;
        mnutroubleshoot->setEnabled(false);
        if (router->portPending() || router->discovering())
            wait.exec();
        mnutroubleshoot->setEnabled(true);
        launching = false;
    }
    if (closed)
        return false;

    if (!openPort)
        return true; // the player forwards the port and reads the Router dialog on their own
    net::RouterView view = router->view();
    if (router->portPending())
        view.port.kind = net::PortState::Kind::NoAnswer; // not within the bound
    const net::HostingWarning warning = net::hostingWarning(view, local);
    if (warning.cause.isEmpty() || toldCauses.contains(warning.cause))
        return true;
    toldCauses << warning.cause;
    platform::current().ui->messageBox(warning.text, QStringLiteral("Velkor"),
                                       platform::mbstyle::Exclamation);
    return true;
}

void frmMain::mnurouter_Click() {
    if (!router)
        return;
    frmRouter dialog(*router, txtLocalIP->text(), this);
    dialog.exec();
}
