#pragma once
// The alternative load dialog: starts the game by hand from a chosen folder and renderer when
// the normal launch does not work.

#include "gui/forms/forms.h"

class QGroupBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;

class frmaltload : public forms::FixedDialog {
    Q_OBJECT
public:
    // The folder the dialog offers, and "&Reset" puts back.
    static const QString DefaultFolder;

    // `popTBSelected`: the main window's game choice ("Populous: The Beginning" rather than
    // "Undiscovered Worlds"); `launchargs`: its prepared arguments. Both are fixed while this
    // modal dialog is open, so they are taken here once.
    frmaltload(bool popTBSelected, const QString& launchargs, QWidget* owner = nullptr);
    ~frmaltload() override;

    // Controls, named as the form names them. quote, cmdline, gameexe, Label3 and Label4 lie
    // below the client area: they are the dialog's working state, never seen.
    QLineEdit* quote;
    QPlainTextEdit* cmdline;
    QLineEdit* gameexe;
    QGroupBox* Frame1;
    QWidget* bg01;
    QRadioButton* selD3D;
    QRadioButton* selsoftware;
    QPushButton* reset;
    QPushButton* browse;
    QLineEdit* popdir;
    QPushButton* CancelButton;
    QPushButton* OKButton;
    QLabel* Label4;
    QLabel* Label3;
    QWidget* Line2;
    QWidget* Line1;
    QLabel* Label2;
    QLabel* Label1;

    // Handlers.
    void Form_Load();
    void browse_Click();
    void reset_Click();
    void selD3D_Click();
    void selsoftware_Click();
    void OKButton_Click();
    void CancelButton_Click();

private:
    void createControls();
    // Makes `folder` the current directory, switching drives when it lies on another one.
    // false, and nothing changed, when the folder does not exist.
    static bool enterFolder(const QString& folder);

    const bool popTBSelected_;
    const QString launchargs_;
};
