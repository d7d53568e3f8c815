// Loaded with LD_PRELOAD into the program under test: appends "TITLE<tab>TEXT" of every message
// box it shows to the file $VELKOR_BOX_SPY. Qt copies a message box's text on ctrl+c only on
// Windows, and its label is not selectable: this is how the router tests read it on Linux.
// What the program starts (the game) does not inherit the probe.
#include <QCoreApplication>
#include <QEvent>
#include <QFile>
#include <QMessageBox>

#include <cstdlib>

namespace {

const bool unset = (::unsetenv("LD_PRELOAD"), true);

class Spy : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Show)
            if (auto* box = qobject_cast<QMessageBox*>(watched)) {
                QFile file(qEnvironmentVariable("VELKOR_BOX_SPY"));
                QString text = box->text();
                text.replace(u'\n', u' ');
                if (file.open(QIODevice::Append))
                    file.write((box->windowTitle() + u'\t' + text + u'\n').toUtf8());
            }
        return false;
    }
};

void install() {
    if (qEnvironmentVariableIsSet("VELKOR_BOX_SPY"))
        QCoreApplication::instance()->installEventFilter(new Spy(QCoreApplication::instance()));
}

} // namespace

Q_COREAPP_STARTUP_FUNCTION(install)
