#pragma once
// The options dialog: the stored defaults, the player name, the local-address override, the
// chosen local address and the router address.

#include "core/settings/LaunchSettings.h"
#include "gui/forms/forms.h"
#include "gui/options/OptionPairs.h"

#include <array>
#include <functional>

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QRadioButton;

class frmoptions : public forms::FixedDialog {
    Q_OBJECT
public:
    // `settingsFolder` is the owner's settings folder: the settings file and the temporary
    // download file live there.
    // `routerOutside` gives the router's outside address, when it is the internet's, for
    // "Detect" to fall back on when the page gives none.
    frmoptions(const QString& settingsFolder, QWidget* owner,
               std::function<QString()> routerOutside = {});
    ~frmoptions() override;

    // Fills the dialog. false when the socket library failed and the program is ending: the
    // dialog must not be shown then.
    bool Form_Load();
    // Runs once when the dialog closes, by either button or the title bar.
    void Form_Unload();
    // The socket clean-up at unload failed and the program is ending.
    bool programEnding() const { return ending; }

    // Handlers.
    void custumip_Click();
    void custumipbox_Change();
    void lboxIPAddr_Click();
    void cmdGetRouterIP_Click();
    void cmdOK_Click();
    void cmdCancel_Click();

    // Controls, named as the form names them.
    QGroupBox* frDefGame;
    QWidget* bg01;
    QRadioButton* rDefPopTB;
    QRadioButton* rDefUW;
    QGroupBox* frDefWay;
    QWidget* bg02;
    QRadioButton* rDefHost;
    QRadioButton* rDefJoin;
    QGroupBox* frDefHost;
    QWidget* bg03;
    QRadioButton* rDefWoRouter;
    QRadioButton* rDefWRouter;
    QGroupBox* frUser;
    QWidget* bg04;
    QLineEdit* txtUserName;
    QGroupBox* frIPSettings;
    QWidget* bgIPSettings;
    QLabel* lblDetectIP;
    QListWidget* lboxIPAddr;
    QLineEdit* ip;
    QLabel* lblIPOverride;
    QLineEdit* custumipbox;
    QCheckBox* custumip;
    QLabel* Label1;
    QLineEdit* txtRouterIP;
    QPushButton* cmdGetRouterIP;
    QCheckBox* chkAutoRouter;
    QWidget* Line1;
    QWidget* Line2;
    QPushButton* cmdOK;
    QPushButton* cmdCancel;

    void done(int result) override;

private:
    // The three default choices as option pairs of this dialog.
    std::array<OptionPair, 3> choices() const;
    void createControls();
    // Downloads the address-echo page into "ip.tmp" of the settings folder and shows its
    // content; stops at the first failure.
    enum class RouterIPResult { Ok, FolderMissing, Failed };
    RouterIPResult GetRouterIP();
    QString settingsFile() const;

    QString settingsdir;
    std::function<QString()> routerAddress;
    LaunchSettings settings;
    bool unloaded = false;
    bool ending = false;
};
