// The main window's settings: load, save, the external address and the options command.
#include "gui/main/frmMain.h"

#include "core/net/AddressEcho.h"
#include "core/router/RouterService.h"
#include "gui/options/OptionPairs.h"
#include "gui/options/frmoptions.h"
#include "platform/platform.h"

#include <QLineEdit>
#include <QListWidget>
#include <QRadioButton>

void frmMain::LoadSettings() {
    username->clear();
    txtLocalIP->clear();
    txtRouterIP->clear();

    settings.read(settingsdir + QStringLiteral("\\Velkor.cfg"));

    // Selecting an option that was not selected runs its click handler, so the order matters:
    // selecting "Host Game" last resets the hosting method chosen just before it.
    const OptionPair choices[] = {
        {&LaunchSettings::DefaultGame, &LaunchSettings::setDefaultGame, selUW, selpoptb},
        {&LaunchSettings::DefaultHosting, &LaunchSettings::setDefaultHosting, selwithrouter,
         selwithoutrouter},
        {&LaunchSettings::DefaultWay, &LaunchSettings::setDefaultWay, seljoin, selhost}};
    showOptions(settings, choices);

    username->setText(trimBlanks(settings.UserName()));

    // An override left empty would hand the game no address: the detected one stands in.
    if (settings.OverrideEnabled() && !trimBlanks(settings.OverrideAddress()).isEmpty()) {
        txtLocalIP->setText(settings.OverrideAddress());
    } else {
        QStringList detected;
        for (int row = 0; row < lboxIPAddr->count(); ++row)
            detected << lboxIPAddr->item(row)->text();
        const int row = settingsfile::localAddressRow(settings, detected);
        if (row >= 0)
            lboxIPAddr->setCurrentRow(row);
        txtLocalIP->setText(row >= 0 ? detected.at(row) : trimBlanks(settings.LocalAddress()));
    }

    if (settings.AutoDetectRouter())
        GetExternalIP();
    else
        txtRouterIP->setText(settings.RouterAddress());
}

void frmMain::SaveSettings() {
    // An empty box never wipes a stored address, and one that its field would cut (a long
    // IPv6 address) never replaces it with another.
    const auto storable = [](const QString& text) {
        return !trimBlanks(text).isEmpty() && text.size() <= LaunchSettings::AddressLength;
    };
    if (storable(txtLocalIP->text()))
        settings.setLocalAddress(txtLocalIP->text());
    if (settings.AutoDetectRouter() && storable(txtRouterIP->text()))
        settings.setRouterAddress(txtRouterIP->text());
    if (!settings.write(settingsdir + QStringLiteral("\\Velkor.cfg")))
        platform::current().ui->messageBox(settingsfile::notWritableMessage(),
                                           QStringLiteral("Velkor"),
                                           platform::mbstyle::Exclamation);
}

void frmMain::GetExternalIP() {
    // The temporary file goes into the settings folder: the program's own folder is read-only
    // once installed.
    const addressecho::Answer answer =
        addressecho::fetch(addressecho::pageUrl(), settingsdir + QStringLiteral("\\ip.tmp"));
    if (answer.read)
        txtRouterIP->setText(answer.text);
    // No file came of the download: show the stored address instead, without a word.
    if (answer.outcome == addressecho::Outcome::FileNotFound ||
        answer.outcome == addressecho::Outcome::PathNotFound)
        txtRouterIP->setText(txtRouterIP->text() + settings.RouterAddress());
    echoAddress = answer.read ? answer.text : QString();
    if (router) {
        router->setEcho(echoAddress);
        routerDiscovered(); // the router's outside address may stand in at once
    }
}

void frmMain::mnusettings_Click() {
    {
        frmoptions dialog(settingsdir, this, [this] { return routerOutside(); });
        if (!dialog.Form_Load())
            return; // the socket library failed: the program is ending
        dialog.exec();
        if (dialog.programEnding())
            return;
    }
    LoadSettings();
}
