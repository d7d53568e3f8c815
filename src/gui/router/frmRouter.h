#pragma once
// The Router dialog: which router answered, the outside address it and the address-echo page
// see, where the game's port stands, and in one sentence what that means for friends who want
// to join; on Windows, also whether its firewall lets the game in. Everything from the router
// is shown as plain text.

#include "gui/forms/forms.h"

class QCheckBox;
class QLabel;
class QPushButton;

namespace net {
class RouterService;
}

class frmRouter : public forms::FixedDialog {
    Q_OBJECT
public:
    // `localAddress`: the Local IP the game binds, which the port is opened toward.
    frmRouter(net::RouterService& router, const QString& localAddress, QWidget* owner = nullptr);
    ~frmRouter() override;

    QLabel* lblRouterCaption;
    QLabel* lblRouter;
    QLabel* lblOutsideCaption;
    QLabel* lblOutside;
    QLabel* lblEchoCaption;
    QLabel* lblEcho;
    QLabel* lblPortCaption;
    QLabel* lblPort;
    QLabel* lblFirewallCaption = nullptr; // only where the system has a firewall Velkor reads
    QLabel* lblFirewall = nullptr;
    QPushButton* cmdAllowFirewall = nullptr; // shown where the firewall keeps the game out
    QLabel* lblMeaning;
    QCheckBox* chkOpenPort;
    QPushButton* cmdCheck;
    QPushButton* cmdClose;

    void cmdCheck_Click();
    void chkOpenPort_Click();
    void cmdClose_Click();
    void cmdAllowFirewall_Click();

private:
    void createControls();
    void showState();
    void showFirewall();

    net::RouterService& router_;
    QString localAddress_;
    int firewallProfiles_ = 0; // the profiles in use when the firewall was read last
};
