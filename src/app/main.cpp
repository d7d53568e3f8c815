// Velkor: sets up direct-address multiplayer games of Populous: The Beginning.

#include "app/frmMain.h"
#include "platform/backend.h"

#include <QApplication>
#include <QFont>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Velkor"));
    // The forms were drawn for the classic Windows look and its narrow 8-point dialog font;
    // Arial's metric twin keeps their captions inside their boxes.
    QApplication::setStyle(QStringLiteral("Windows"));
    QFont::insertSubstitutions(QStringLiteral("MS Sans Serif"),
                               {QStringLiteral("Liberation Sans"), QStringLiteral("Arial"),
                                QStringLiteral("DejaVu Sans Condensed")});
    QApplication::setFont(QFont(QStringLiteral("MS Sans Serif"), 8));
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
