// Velkor: sets up direct-address multiplayer games of Populous: The Beginning.

#include "core/game/game_locator.h"
#include "gui/forms/forms.h"
#include "gui/main/frmMain.h"
#include "platform/backend.h"

#include <QApplication>
#include <QDir>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Velkor"));
    forms::setUpLook();
    QGuiApplication::setDesktopFileName(QStringLiteral("io.github.velkor.velkor"));
    // The program ends with its main window, whatever other windows (the help viewer) are open.
    QApplication::setQuitOnLastWindowClosed(false);

    const std::unique_ptr<platform::HostFiles> host = platform::createHostFiles();
#ifdef Q_OS_WIN
    // Windows itself: the stores' records are in its own registry.
    const std::unique_ptr<platform::Backend> backend = platform::createBackend();
    platform::install(backend->services());
    const QString located = game::locateInRegistry(*platform::current().registry, *host);
#else
    // The Wine prefix that holds the game, found before the backend that presents it is made.
    const game::Location location =
        game::locateInPrefixes(*host, QDir::homePath(), QProcessEnvironment::systemEnvironment());
    const std::unique_ptr<platform::Backend> backend = platform::createBackend(location.prefix);
    platform::install(backend->services());
    const QString located = location.folder;
#endif

    frmMain window;
    QObject::connect(&window, &frmMain::unloaded, &app, &QCoreApplication::quit,
                     Qt::QueuedConnection);
    if (!located.isEmpty())
        window.locatedGameFolder = platform::current().files->toWindows(located);
    window.Form_Load();
    window.show();
    return app.exec();
}
