// At QT_SCALE_FACTOR=2 the main window shows the "@2x" logo and figures pixel for pixel.

#include "fakes/fake_platform.h"
#include "gui/main/frmMain.h"

#include <QtTest>
#include <QtWidgets>

namespace {

// What a label of `size` pixels shows of `picture`, centred, one picture pixel to a device pixel.
QImage expectedShot(QSize size, QImage picture, const QColor& ground) {
    QImage shot(size * 2, QImage::Format_RGB32);
    shot.fill(ground);
    picture.setDevicePixelRatio(1); // Qt's reader makes it 2 by the "@2x" in the name
    QPainter(&shot).drawImage((shot.width() - picture.width()) / 2,
                              (shot.height() - picture.height()) / 2, picture);
    shot.setDevicePixelRatio(2); // as a grab at twice the density
    return shot;
}

} // namespace

class SharpPicturesTest : public QObject {
    Q_OBJECT
private slots:
    void logoAndFiguresAtTwiceTheDensity() {
        fakes::FakePlatform os;
        frmMain window;
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        const QColor ground = window.palette().color(QPalette::Window);

        QCOMPARE(window.poplogo->grab().toImage().convertToFormat(QImage::Format_RGB32),
                 expectedShot({354, 132}, QImage(":/logo@2x.png"), ground));

        for (QLabel* figure : {window.BlueSha, window.RedSha, window.yellowsha, window.Greensha}) {
            QMovie* movie = figure->movie();
            QVERIFY(movie);
            QVERIFY(movie->jumpToFrame(0));
            movie->setPaused(true);
            QImageReader reader(":/" + figure->objectName() + "@2x.gif", "gif");
            QCOMPARE(figure->grab().toImage().convertToFormat(QImage::Format_RGB32),
                     expectedShot({31, 31}, reader.read(), ground));
        }
    }
};

// Set before the application that QTEST_MAIN makes reads it.
[[maybe_unused]] static const bool twiceTheDensity = qputenv("QT_SCALE_FACTOR", "2");
QTEST_MAIN(SharpPicturesTest)
#include "test_sharp_pictures.moc"
