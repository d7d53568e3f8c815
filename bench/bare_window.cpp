// The yardstick: an empty Qt main window of a given client size, shown as a program would; with
// a third argument, the window shows that text in a label (what drawing any text costs: the
// font configuration, a font file, the shaping libraries).
//   bare_window WIDTH HEIGHT [TEXT]

#include <QApplication>
#include <QLabel>
#include <QMainWindow>
#include <cstdlib>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QMainWindow window;
    const int width = argc > 2 ? std::atoi(argv[1]) : 420;
    const int height = argc > 2 ? std::atoi(argv[2]) : 400;
    window.setFixedSize(width, height);
    window.setWindowTitle(QStringLiteral("Bare"));
    if (argc > 3) {
        auto* label = new QLabel(QString::fromLocal8Bit(argv[3]), &window);
        label->move(10, 10);
    }
    window.show();
    return app.exec();
}
