// Velkor: sets up direct-address multiplayer games of Populous: The Beginning.

#include "gui/forms/forms.h"
#include "gui/main/frmMain.h"
#include "platform/backend.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Velkor"));
    forms::setUpLook();
    QGuiApplication::setDesktopFileName(QStringLiteral("io.github.velkor.velkor"));
    // The program ends with its main window, whatever other windows (the help viewer) are open.
    QApplication::setQuitOnLastWindowClosed(false);

    const std::unique_ptr<platform::Backend> backend = platform::createBackend();
    platform::install(backend->services());

    frmMain window;
    QObject::connect(&window, &frmMain::unloaded, &app, &QCoreApplication::quit,
                     Qt::QueuedConnection);
    window.Form_Load();
    window.show();
    return app.exec();
}
