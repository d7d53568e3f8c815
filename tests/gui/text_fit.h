#pragma once
// Whether each caption fits the room its control gives it, by its ink in the program's own look.

#include "core/router/RouterService.h"
#include "gui/about/frmAbout.h"
#include "gui/main/frmMain.h"
#include "gui/manual/frmaltload.h"
#include "gui/manual/frmfindpop.h"
#include "gui/options/frmoptions.h"
#include "gui/router/frmRouter.h"

#include <QtWidgets>

namespace textfit {

// Where `text` drawn in `room` with `flags` leaves ink: each line's glyphs where Qt puts the line.
inline QRectF ink(const QWidget* control, const QRectF& room, int flags, QString text) {
    if (flags & Qt::TextShowMnemonic)
        text.remove(QRegularExpression(QStringLiteral("&(?!&)")));
    const QFontMetricsF metrics(control->font(), control);
    const QRectF block = metrics.boundingRect(room, flags, text);
    QTextLayout layout(text, control->font(), control);
    QTextOption wrapping;
    wrapping.setWrapMode(flags & Qt::TextWordWrap ? QTextOption::WordWrap : QTextOption::NoWrap);
    layout.setTextOption(wrapping);
    layout.beginLayout();
    qreal top = block.top();
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(room.width());
        line.setPosition(QPointF(0, top));
        top += metrics.lineSpacing();
    }
    layout.endLayout();
    QRectF drawn;
    for (int i = 0; i < layout.lineCount(); ++i) {
        const QTextLine line = layout.lineAt(i);
        const qreal spare = block.width() - line.naturalTextWidth();
        const qreal left = block.left() + (flags & Qt::AlignHCenter ? spare / 2
                                           : flags & Qt::AlignRight ? spare
                                                                    : 0);
        const QString words = text.mid(line.textStart(), line.textLength()).trimmed();
        drawn |= metrics.tightBoundingRect(words).translated(left, line.y() + metrics.ascent());
    }
    return drawn;
}

// The control, its text, where that leaves ink and the room for it, when it does not fit.
inline QString misfit(const QWidget* control, const QRect& room, int flags, const QString& text) {
    const QRectF drawn = ink(control, room, flags, text);
    QString line;
    if (!text.isEmpty() && !QRectF(room).contains(drawn))
        QDebug(&line).noquote() << control->objectName() + ':' << text << "needs" << drawn << "in"
                                << room;
    return line;
}

inline QString misfit(const QWidget* control) {
    const int mnemonic = Qt::TextShowMnemonic;
    if (const auto* label = qobject_cast<const QLabel*>(control)) {
        const int wrap = label->wordWrap() ? int(Qt::TextWordWrap) : 0;
        return misfit(label, label->contentsRect(), int(label->alignment()) | wrap, label->text());
    }
    const bool box = control->inherits("QCheckBox"), push = control->inherits("QPushButton");
    if (box || push || control->inherits("QRadioButton")) {
        const auto* button = static_cast<const QAbstractButton*>(control);
        QStyleOptionButton look;
        look.initFrom(button);
        look.text = button->text();
        const QRect room = button->style()->subElementRect(box    ? QStyle::SE_CheckBoxContents
                                                           : push ? QStyle::SE_PushButtonContents
                                                                  : QStyle::SE_RadioButtonContents,
                                                           &look, button);
        // The forms' check boxes wrap their caption in a box taller than one line.
        const int flags =
            push ? int(Qt::AlignCenter)
                 : int(Qt::AlignLeft | Qt::AlignVCenter) | (box ? Qt::TextWordWrap : 0);
        return misfit(button, room, flags | mnemonic, button->text());
    }
    if (const auto* frame = qobject_cast<const QGroupBox*>(control)) {
        QStyleOptionGroupBox look;
        look.initFrom(frame);
        look.text = frame->title();
        look.subControls = QStyle::SC_GroupBoxFrame | QStyle::SC_GroupBoxLabel;
        look.textAlignment = frame->alignment();
        const QRect caption = frame->style()->subControlRect(QStyle::CC_GroupBox, &look,
                                                             QStyle::SC_GroupBoxLabel, frame);
        // The caption sits on the frame's top edge, between its corners.
        const QRect room(QPoint(caption.left(), 0),
                         QPoint(frame->width() - 1 - caption.left(), frame->height() - 1));
        return misfit(frame, room, Qt::AlignLeft | Qt::AlignVCenter | mnemonic, frame->title());
    }
    return {};
}

// How many captions of the five windows and the Router dialog do not fit, each warned of.
inline qsizetype reportMisfits() {
    frmMain main;
    frmoptions options(main.settingsdir, &main);
    frmaltload altload(true, QString(), &main);
    frmfindpop picker(&altload);
    frmAbout about(&main);
    net::RouterService router;
    frmRouter routerDialog(router, QStringLiteral("192.168.1.10"), &main);
    QStringList found;
    for (const QWidget* window : std::initializer_list<const QWidget*>{
             &main, &options, &altload, &picker, &about, &routerDialog})
        for (const QWidget* control : window->findChildren<QWidget*>())
            if (const QString line = control->window() == window ? misfit(control) : QString();
                !line.isEmpty())
                found << window->objectName() + u'.' + line;
    for (const QString& misfit : found)
        qWarning("%s", qPrintable(misfit));
    return found.size();
}

} // namespace textfit
