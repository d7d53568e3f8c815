// Velkor: sets up direct-address multiplayer games of Populous: The Beginning.

#include "app/frmMain.h"
#include "platform/linux/backend.h"
#include "platform/platform.h"

#include <QApplication>
#include <QFont>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Velkor"));
    QApplication::setFont(QFont(QStringLiteral("MS Sans Serif"), 8));
    // The program ends with its main window, whatever other windows (the help viewer) are open.
    QApplication::setQuitOnLastWindowClosed(false);

    platform::linuxbackend::Backend backend;
    platform::install(backend.services());

    frmMain window;
    QObject::connect(&window, &frmMain::unloaded, &app, &QCoreApplication::quit,
                     Qt::QueuedConnection);
    window.Form_Load();
    window.show();
    return app.exec();
}
