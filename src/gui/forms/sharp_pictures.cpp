// Pictures drawn for the screen they are on: each comes at one and at two device pixels to a
// pixel, so that a high-density screen shows it as sharp as any other.
#include "gui/forms/forms.h"

#include <QEvent>
#include <QLabel>
#include <QMovie>
#include <QPixmap>

namespace forms {

namespace {

// The pictures are drawn twice: `path` for screens of one device pixel to a pixel, and beside it
// the same name with "@2x" before the suffix for screens of more.
QString pictureFile(const QString& path, qreal devicePixelRatio) {
    if (devicePixelRatio <= 1.0)
        return path;
    const qsizetype dot = path.lastIndexOf(QLatin1Char('.'));
    return path.left(dot) + QStringLiteral("@2x") + path.mid(dot);
}

// Keeps a label showing the picture drawn for its screen's ratio.
class SharpPicture : public QObject {
public:
    SharpPicture(QLabel* label, const QString& path) : QObject(label), label_(label), path_(path) {
        label->installEventFilter(this);
        choose();
    }

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        // Shown, or on another screen (Qt tells every widget of a window that moved to one).
        if (event->type() == QEvent::Show || event->type() == QEvent::ScreenChangeInternal)
            choose();
        return false;
    }

private:
    void choose() {
        const QString file = pictureFile(path_, label_->devicePixelRatioF());
        if (file == shown_)
            return;
        shown_ = file;
        if (file.endsWith(QStringLiteral(".gif"))) {
            // With the format named, only the GIF reader is loaded, not every image plugin to
            // guess; Qt's reader takes "@2x" in a file's name as two device pixels to a pixel.
            delete movie_;
            movie_ = new QMovie(file, "gif", label_);
            label_->setMovie(movie_);
            movie_->start();
            return;
        }
        QImage picture = pngImage(file);
        picture.setDevicePixelRatio(file == path_ ? 1.0 : 2.0);
        label_->setPixmap(QPixmap::fromImage(picture));
    }

    QLabel* label_;
    const QString path_;
    QString shown_;
    QMovie* movie_ = nullptr;
};

} // namespace

void showPicture(QLabel* label, const QString& path) {
    new SharpPicture(label, path);
}

} // namespace forms
