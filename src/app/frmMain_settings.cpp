// The main window's settings: load, save, the external address and the options command.
#include "app/frmMain.h"

#include "net/AddressEcho.h"
#include "settings/frmoptions.h"

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
    (settings.DefaultGame() ? selUW : selpoptb)->setChecked(true);
    (settings.DefaultHosting() ? selwithrouter : selwithoutrouter)->setChecked(true);
    (settings.DefaultWay() ? seljoin : selhost)->setChecked(true);

    username->setText(settingsfile::trimBlanks(settings.UserName()));

    if (settings.OverrideEnabled()) {
        txtLocalIP->setText(settings.OverrideAddress());
    } else {
        // An index the list does not have leaves its selection as it was.
        const int index = settings.LocalAddressIndex();
        if (index < lboxIPAddr->count())
            lboxIPAddr->setCurrentRow(index);
        const QList<QListWidgetItem*> selected = lboxIPAddr->selectedItems();
        txtLocalIP->setText(selected.isEmpty() ? QString() : selected.first()->text());
    }

    if (settings.AutoDetectRouter())
        GetExternalIP();
    else
        txtRouterIP->setText(settings.RouterAddress());
}

void frmMain::SaveSettings() {
    settings.setLocalAddress(txtLocalIP->text());
    if (settings.AutoDetectRouter())
        settings.setRouterAddress(txtRouterIP->text());
    settings.write(settingsdir + QStringLiteral("\\Velkor.cfg"));
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
}

void frmMain::mnusettings_Click() {
    {
        frmoptions dialog(settingsdir, this);
        if (!dialog.Form_Load())
            return; // the socket library failed: the program is ending
        dialog.exec();
        if (dialog.programEnding())
            return;
    }
    LoadSettings();
}
