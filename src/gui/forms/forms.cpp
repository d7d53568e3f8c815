#include "gui/forms/forms.h"

#include "gui/forms/device_pixels.h"

#include <QApplication>
#include <QGuiApplication>
#include <QIcon>
#include <QKeyEvent>
#include <QLayout>
#include <QPainter>
#include <QPalette>
#include <QPixmap>
#include <QScreen>
#include <QStyle>
#include <QStyleOptionButton>
#include <QStyleOptionGroupBox>
#include <QStylePainter>

namespace forms {

QColor systemColor(std::uint32_t reference) {
    const QPalette palette = QApplication::palette();
    switch (reference) {
    case WindowBackground:
        return palette.color(QPalette::Active, QPalette::Base);
    case ButtonFace:
        return palette.color(QPalette::Active, QPalette::Button);
    case ButtonShadow:
        return palette.color(QPalette::Active, QPalette::Dark);
    default:
        return QColor(reference & 0xFF, (reference >> 8) & 0xFF, (reference >> 16) & 0xFF);
    }
}

void setBackColor(QWidget* widget, std::uint32_t reference) {
    QPalette palette = widget->palette();
    const QColor color = systemColor(reference);
    // Disabled boxes keep the colour they are given, as the original forms did.
    for (auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        palette.setColor(group, QPalette::Base, color);
        palette.setColor(group, QPalette::Window, color);
    }
    widget->setPalette(palette);
    widget->setProperty("backColor", QVariant::fromValue<qulonglong>(reference));
}

LineControl::LineControl(QWidget* container, const QString& name, int x1, int y1, int x2, int y2,
                         std::uint32_t color, int widthPixels)
    : QWidget(container), color_(color), width_(widthPixels) {
    setObjectName(name);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setFocusPolicy(Qt::NoFocus);
    const QPoint a(nearestPx(x1), nearestPx(y1)), b(nearestPx(x2), nearestPx(y2));
    // A pixel to spare all round: the line's device pixels, rounded, stay inside at any scale.
    const QRect box = QRect(a, b).normalized().adjusted(-1, -1, width_, width_);
    setGeometry(box);
    from_ = a - box.topLeft();
    to_ = b - box.topLeft();
}

void LineControl::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QColor color = systemColor(color_);
    if (from_.x() != to_.x() && from_.y() != to_.y()) {
        painter.setPen(QPen(color, width_));
        painter.drawLine(from_, to_);
        return;
    }
    // Straight lines fill whole device pixels: at 150 % a pen one pixel wide would land between
    // rows, and of two lines a row apart (an etched divider) one would be lost or merged.
    const QRect line = QRect(from_, to_).normalized().adjusted(0, 0, width_ - 1, width_ - 1);
    const QTransform toDevice = painter.deviceTransform();
    painter.setWorldTransform(toDevice.inverted());
    painter.fillRect(snapToPixels(toDevice.mapRect(QRectF(line))), color);
}

CommandButton::CommandButton(QWidget* container) : QPushButton(container) {
    setAutoDefault(false);
}

void CommandButton::keyPressEvent(QKeyEvent* event) {
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    const auto modifiers = event->modifiers() & ~Qt::KeypadModifier;
    if (!enter || modifiers != Qt::NoModifier) {
        QPushButton::keyPressEvent(event);
        return;
    }
    event->accept();
    // One press, one click: a held key must not start the game over and over.
    if (!event->isAutoRepeat())
        click();
}

void CheckBox::paintEvent(QPaintEvent*) {
    QStylePainter painter(this);
    QStyleOptionButton option;
    initStyleOption(&option);
    const QString caption = option.text;
    const bool focused = option.state & QStyle::State_HasFocus;

    // The box alone, then the caption wrapped in the room beside it.
    option.text.clear();
    option.state &= ~QStyle::State_HasFocus;
    painter.drawControl(QStyle::CE_CheckBox, option);
    option.text = caption;
    const QRect room = style()->subElementRect(QStyle::SE_CheckBoxContents, &option, this);
    int flags = Qt::AlignLeft | Qt::AlignVCenter | Qt::TextWordWrap;
    flags |= style()->styleHint(QStyle::SH_UnderlineShortcut, &option, this) ? Qt::TextShowMnemonic
                                                                             : Qt::TextHideMnemonic;
    painter.drawItemText(room, flags, option.palette, isEnabled(), caption, QPalette::WindowText);
    if (focused) {
        QStyleOptionFocusRect frame;
        frame.initFrom(this);
        frame.rect =
            fontMetrics().boundingRect(room, flags, caption).adjusted(-1, 0, 1, 0) & rect();
        painter.drawPrimitive(QStyle::PE_FrameFocusRect, frame);
    }
}

bool CheckBox::hitButton(const QPoint& pos) const {
    return rect().contains(pos);
}

OptionButton::OptionButton(QWidget* container) : QRadioButton(container) {
    connect(this, &QAbstractButton::toggled, this, [this] { markTabStop(); });
    markTabStop();
}

void OptionButton::focusInEvent(QFocusEvent* event) {
    QRadioButton::focusInEvent(event); // Qt moves the group's Tab stop to the focused option
    markTabStop();
}

void OptionButton::keyPressEvent(QKeyEvent* event) {
    const int key = event->key();
    const bool arrow =
        key == Qt::Key_Up || key == Qt::Key_Down || key == Qt::Key_Left || key == Qt::Key_Right;
    if (!arrow || (event->modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier) {
        QRadioButton::keyPressEvent(event);
        return;
    }
    event->accept();
    const bool forward = key == Qt::Key_Down || key == Qt::Key_Right;
    if (OptionButton* next = neighbour(forward)) {
        next->setFocus(forward ? Qt::TabFocusReason : Qt::BacktabFocusReason);
        next->click();
    }
}

OptionButton* OptionButton::neighbour(bool forward) {
    // The group in Tab order, round from this option back to it.
    QList<OptionButton*> group;
    for (QWidget* w = nextInFocusChain(); w != this; w = w->nextInFocusChain())
        if (auto* option = dynamic_cast<OptionButton*>(w);
            option && option->parentWidget() == parentWidget() && option->isEnabled() &&
            option->isVisibleTo(window()))
            group << option;
    if (group.isEmpty())
        return nullptr;
    return forward ? group.first() : group.last();
}

void OptionButton::markTabStop() {
    if (!parentWidget())
        return;
    const auto group = parentWidget()->findChildren<QRadioButton*>(Qt::FindDirectChildrenOnly);
    QRadioButton* stop = group.value(0);
    for (QRadioButton* option : group)
        if (option->isChecked())
            stop = option;
    for (QRadioButton* option : group)
        option->setFocusPolicy(option == stop ? Qt::StrongFocus : Qt::ClickFocus);
}

void Frame::setFrameEnabled(bool enabled) {
    frameEnabled_ = enabled;
    // A widget that the mouse passes through takes what it holds along.
    for (QWidget* content : findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        content->setAttribute(Qt::WA_TransparentForMouseEvents, !enabled);
    update();
}

void Frame::paintEvent(QPaintEvent* event) {
    if (frameEnabled_) {
        QGroupBox::paintEvent(event);
        return;
    }
    QStylePainter painter(this);
    QStyleOptionGroupBox option;
    initStyleOption(&option);
    option.state &= ~QStyle::State_Enabled;
    option.palette.setCurrentColorGroup(QPalette::Disabled);
    option.textColor = option.palette.color(QPalette::Disabled, QPalette::WindowText);
    painter.drawComplexControl(QStyle::CC_GroupBox, option);
}

Qt::WindowFlags fixedWindowFlags(Border border, bool minimizeButton) {
    // Windows gives a window with this hint a fixed frame instead of a resizing one.
    Qt::WindowFlags flags = Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                            Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
                            Qt::MSWindowsFixedSizeDialogHint;
    if (minimizeButton)
        flags |= Qt::WindowMinimizeButtonHint;
#ifdef Q_OS_WIN
    // A dialog without the system-menu hint gets Windows' modal dialog frame, with no icon in its
    // caption; it keeps its close button and Alt+Space. (On X11 the hint is only the window
    // manager's menu button, so it stays there.)
    if (border == Border::FixedDialog)
        flags &= ~Qt::WindowSystemMenuHint;
#else
    Q_UNUSED(border);
#endif
    return flags;
}

void centre(QWidget* window, const QWidget* owner) {
    QRect area;
    if (owner && owner->isVisible())
        area = owner->frameGeometry();
    else if (QScreen* screen = QGuiApplication::primaryScreen())
        area = screen->availableGeometry();
    if (area.isEmpty())
        return;
    QRect frame = window->frameGeometry();
    frame.moveCenter(area.center());
    window->move(frame.topLeft());
}

FixedDialog::FixedDialog(QWidget* owner, const char* name, const QString& caption, int widthTwips,
                         int heightTwips, Centre centre, Border border)
    : QDialog(owner), centre_(centre) {
    setObjectName(QLatin1String(name));
    setWindowTitle(caption);
    setWindowFlags(fixedWindowFlags(border, false) | Qt::Dialog);
    setFixedSize(twipsSize(widthTwips, heightTwips));
#ifdef Q_OS_WIN
    // Windows draws a fixed dialog's caption without an icon: none of its own, and not the main
    // window's, which Qt would hand down.
    if (border == Border::FixedDialog)
        setWindowIcon(QIcon());
#endif
}

void FixedDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!centred_) {
        centred_ = true;
        centre(this, centre_ == Centre::OnOwner ? parentWidget() : nullptr);
    }
}

void FixedDialog::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape && !escapeCloses) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void SetFormIcon(QWidget* window, const QString& name, bool alsoOwner) {
    // The sizes a window manager asks for, else the one large picture.
    QIcon icon;
    const QString base = QStringLiteral(":/") + name;
    for (const QString& size : {QStringLiteral("-16"), QStringLiteral("-24"), QStringLiteral("-32"),
                                QStringLiteral("-48"), QString()}) {
        if (!icon.isNull() && size.isEmpty())
            break;
        const QImage picture = pngImage(base + size + QStringLiteral(".png"));
        if (!picture.isNull())
            icon.addPixmap(QPixmap::fromImage(picture));
    }
    if (icon.isNull())
        return; // a missing icon is not reported
    if (alsoOwner) {
        QWidget* owner = window;
        while (owner->parentWidget())
            owner = owner->parentWidget()->window();
        if (owner != window)
            owner->setWindowIcon(icon);
    }
    window->setWindowIcon(icon);
}

void setTabOrder(std::initializer_list<QWidget*> order) {
    for (auto it = order.begin(); it != order.end() && it + 1 != order.end(); ++it)
        QWidget::setTabOrder(*it, *(it + 1));
}

} // namespace forms
