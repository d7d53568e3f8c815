// Preloaded (LD_PRELOAD) into a Qt program: when its first top-level window has been exposed
// and painted, writes that window's size to $VELKOR_BENCH_REPORT and ends the process at once.
// The program itself is not changed.

#include <QCoreApplication>
#include <QEvent>
#include <QTimer>
#include <QWindow>
#include <cstdio>
#include <cstdlib>

namespace {

class ShownProbe : public QObject {
public:
    bool eventFilter(QObject* object, QEvent* event) override {
        if (event->type() != QEvent::Expose || fired_)
            return false;
        auto* window = qobject_cast<QWindow*>(object);
        if (!window || !window->isTopLevel() || !window->isExposed())
            return false;
        fired_ = true;
        const QSize size = window->size();
        // After this event is handled, so the first paint is part of the measurement.
        QTimer::singleShot(0, [size] {
            if (const char* path = std::getenv("VELKOR_BENCH_REPORT")) {
                if (FILE* out = std::fopen(path, "w")) {
                    std::fprintf(out, "%d %d\n", size.width(), size.height());
                    std::fclose(out);
                }
            }
            std::fflush(nullptr);
            std::_Exit(0);
        });
        return false;
    }

private:
    bool fired_ = false;
};

void installProbe() {
    QCoreApplication::instance()->installEventFilter(new ShownProbe);
}

} // namespace

Q_COREAPP_STARTUP_FUNCTION(installProbe)
