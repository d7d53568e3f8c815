// The program's look: the style its controls are drawn in and its dialog font.
#include "gui/forms/forms.h"

#include <QApplication>

namespace forms {

QFont dialogFont(int points) {
#ifdef Q_OS_WIN
    // Windows has "MS Sans Serif" as a bitmap font only, and Qt takes the strike one size up from
    // the one asked for (it matches the cell height against the character height): 8 points came
    // out at 10, too wide for the forms. Windows draws its own dialogs' "MS Shell Dlg" in
    // Microsoft Sans Serif, the outline twin made with the 8-point strike's widths, which also
    // scales evenly with the DPI. Where it is missing (Wine), Arial's metric twin.
    QFont font(QStringLiteral("Microsoft Sans Serif"), points);
    font.setFamilies({QStringLiteral("Microsoft Sans Serif"), QStringLiteral("Arial"),
                      QStringLiteral("Liberation Sans")});
    return font;
#else
    // The narrow dialog font; Arial's metric twin keeps the captions inside their boxes.
    QFont::insertSubstitutions(QStringLiteral("MS Sans Serif"),
                               {QStringLiteral("Liberation Sans"), QStringLiteral("Arial"),
                                QStringLiteral("DejaVu Sans Condensed")});
    return QFont(QStringLiteral("MS Sans Serif"), points);
#endif
}

void setUpLook() {
#ifdef Q_OS_WIN
    // Qt's native style, which draws the controls as the system's visual style does (the manifest
    // asks for version 6 of the common controls, so message boxes take it too).
    QApplication::setStyle(QStringLiteral("windowsvista"));
#else
    // The forms were drawn for the classic Windows look.
    QApplication::setStyle(QStringLiteral("Windows"));
#endif
    QApplication::setFont(dialogFont(8));
}

} // namespace forms
