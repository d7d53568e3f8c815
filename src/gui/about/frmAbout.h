#pragma once
// The about box: the program's name, version and description, and whom to ask for help.

#include "gui/forms/forms.h"
#include <array>

class QLabel;
class QPushButton;

class frmAbout : public forms::FixedDialog {
    Q_OBJECT
public:
    explicit frmAbout(QWidget* owner = nullptr);
    ~frmAbout() override;

    // Controls, named as the form names them. Line1 is a control array of two lines: element 1
    // the upper, dark half of the etched separator, element 0 the lower, white half.
    QPushButton* cmdOK;
    QLabel* logo;
    std::array<QWidget*, 2> Line1{};
    QLabel* lblDescription;
    QLabel* lblTitle;
    QLabel* lblVersion;
    QLabel* lblDisclaimer;

    // Handlers.
    void Form_Load();
    void cmdOK_Click();

private:
    void createControls();
};
