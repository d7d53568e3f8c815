// The main window: its controls, its load, and switching between hosting and joining.

#include "app/frmMain.h"
#include "fakes/fake_platform.h"

#include <QtTest>

class MainWindowTest : public QObject {
    Q_OBJECT
private slots:
    void placeholder() { QVERIFY(true); }
};

QTEST_MAIN(MainWindowTest)
#include "test_main_window.moc"
