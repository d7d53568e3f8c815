// The yardstick: an empty Qt main window of a given client size, shown as a program would.

#include <QApplication>
#include <QMainWindow>
#include <cstdlib>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QMainWindow window;
    const int width = argc > 2 ? std::atoi(argv[1]) : 420;
    const int height = argc > 2 ? std::atoi(argv[2]) : 400;
    window.setFixedSize(width, height);
    window.setWindowTitle(QStringLiteral("Bare"));
    window.show();
    return app.exec();
}
