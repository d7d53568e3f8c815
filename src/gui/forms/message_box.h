#pragma once
// The program's message box, the same on every system: one of its own windows, so that the
// forms and their tests find it by name ("messageBox").

#include <QString>

namespace forms {

// A modal box with one OK button; its icon stands for the MessageBox style (mbstyle). Returns 1.
int showMessageBox(const QString& text, const QString& title, int style);

} // namespace forms
