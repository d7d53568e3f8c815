// The program's look: the style its controls are drawn in and its dialog font.
#include "gui/forms/forms.h"

#include <QApplication>
#include <QFont>

namespace forms {

void setUpLook() {
#ifdef Q_OS_WIN
    // Qt's native style, which draws the controls as the system's visual style does (the manifest
    // asks for version 6 of the common controls, so message boxes take it too).
    QApplication::setStyle(QStringLiteral("windowsvista"));
#else
    // The forms were drawn for the classic Windows look.
    QApplication::setStyle(QStringLiteral("Windows"));
#endif
    // The narrow 8-point dialog font; Arial's metric twin keeps the captions inside their boxes.
    QFont::insertSubstitutions(QStringLiteral("MS Sans Serif"),
                               {QStringLiteral("Liberation Sans"), QStringLiteral("Arial"),
                                QStringLiteral("DejaVu Sans Condensed")});
    QApplication::setFont(QFont(QStringLiteral("MS Sans Serif"), 8));
}

} // namespace forms
