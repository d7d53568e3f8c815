// Loaded with LD_PRELOAD into the program under test: appends the text of each message box it
// shows to $VELKOR_BOX_SPY (on Linux a box's text cannot be copied). The game does not inherit it.
#include <QCoreApplication>
#include <QEvent>
#include <QFile>
#include <QMessageBox>

#include <cstdlib>

namespace {

const bool unset = (::unsetenv("LD_PRELOAD"), true);

struct Spy : QObject {
    QFile file{qEnvironmentVariable("VELKOR_BOX_SPY")};
    bool opened = file.open(QIODevice::Append | QIODevice::Unbuffered);

    bool eventFilter(QObject* watched, QEvent* event) override {
        auto* box = event->type() == QEvent::Show ? qobject_cast<QMessageBox*>(watched) : nullptr;
        if (box && opened)
            file.write((box->text().replace(u'\n', u' ') + u'\n').toUtf8());
        return false;
    }
};

void install() {
    if (qEnvironmentVariableIsSet("VELKOR_BOX_SPY"))
        QCoreApplication::instance()->installEventFilter(new Spy);
}

} // namespace

Q_COREAPP_STARTUP_FUNCTION(install)
