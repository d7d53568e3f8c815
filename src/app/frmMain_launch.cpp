// The launch command and the troubleshooter.
#include "app/frmMain.h"

#include "game/BuildGameArgs.h"
#include "game/game.h"
#include "manual/frmaltload.h"
#include "platform/platform.h"

#include <QFile>
#include <QLineEdit>
#include <QRadioButton>

namespace {

game::Way wayOf(const QRadioButton* host, const QRadioButton* join) {
    if (host->isChecked())
        return game::Way::Host;
    if (join->isChecked())
        return game::Way::Join;
    return game::Way::None;
}

game::Hosting hostingOf(const QRadioButton* withoutRouter, const QRadioButton* withRouter) {
    if (withoutRouter->isChecked())
        return game::Hosting::WithoutRouter;
    if (withRouter->isChecked())
        return game::Hosting::WithRouter;
    return game::Hosting::None;
}

} // namespace

void frmMain::launch_Click() {
    if (launching)
        return; // a click while the router is asked
    platform::Services& os = platform::current();

    if (selpoptb->isChecked())
        launchexe = game::SelectorCommand(os.files->currentDirectory(), false);
    else if (selUW->isChecked())
        launchexe = game::SelectorCommand(os.files->currentDirectory(), true);

    // Taken at the click: what is changed while the router is asked never reaches the game.
    const LaunchForm form = launchForm();
    buildLaunchArgs(form);

    if (username->text().isEmpty()) {
        os.ui->messageBox(QStringLiteral("Please specify a username so you can be identified "
                                         "in-game."),
                          QStringLiteral("Username Required!"), platform::mbstyle::Exclamation);
        return;
    }
    if (seljoin->isChecked() && joinIP->text().isEmpty()) {
        os.ui->messageBox(QStringLiteral("Please specify an IP address to connect to."),
                          QStringLiteral("No IP Adress Specified"), platform::mbstyle::Exclamation);
        return;
    }

    if (selhost->isChecked() && selwithrouter->isChecked()) {
        if (!prepareHostingWithRouter())
            return;            // Velkor was closed meanwhile
        buildLaunchArgs(form); // the router may have given the external address meanwhile
    }

    if (!startGame())
        showAlternativeLoad();
}

bool frmMain::startGame() {
    platform::Services& os = platform::current();
    const QString folder = os.files->currentDirectory();
    // At a drive root (C:\) the folder already ends in the separator.
    const QString base = folder.endsWith(QLatin1Char('\\')) ? folder.chopped(1) : folder;
    const auto holds = [&os, &base](const QString& name) {
        return os.files->openRegularFile(base + name, QIODevice::ReadOnly) != nullptr;
    };
    // GOG's and Steam's folders may have no selector: the chosen game's own program then, as
    // the alternative load starts it, in quotes.
    const bool chosen = selpoptb->isChecked() || selUW->isChecked();
    if (chosen && !holds(QLatin1Char('\\') + game::SelectorExe)) {
        const QString program = game::ProgramWithoutSelector(selUW->isChecked(), holds);
        if (!program.isEmpty())
            return os.processes->start(base + program, '"' + base + program + "\" " + launchargs,
                                       folder);
    }
    // The selector is named explicitly: an unquoted folder with blanks ("C:\Program Files\...")
    // must never let a file named by a prefix of it ("C:\Program.exe") run instead.
    return os.processes->start(game::SelectorApplication(launchexe), launchexe + launchargs,
                               QString());
}

void frmMain::mnutroubleshoot_Click() {
    if (launching)
        return; // the launch waiting for the router starts the game
    if (username->text().isEmpty()) {
        platform::current().ui->messageBox(
            QStringLiteral("Please input your username and other settings before running the "
                           "troubleshooter."),
            QStringLiteral("No Username"), platform::mbstyle::Exclamation);
        return;
    }
    buildLaunchArgs(launchForm());
    showAlternativeLoad();
}

frmMain::LaunchForm frmMain::launchForm() const {
    return {wayOf(selhost, seljoin), hostingOf(selwithoutrouter, selwithrouter), txtLocalIP->text(),
            joinIP->text(), username->text()};
}

void frmMain::buildLaunchArgs(const LaunchForm& form) {
    if (const auto args = game::BuildGameArgs(form.way, form.hosting, form.local,
                                              txtRouterIP->text(), form.join, form.name))
        launchargs = *args;
}

void frmMain::showAlternativeLoad() {
    frmaltload dialog(selpoptb->isChecked(), launchargs, this);
    dialog.exec();
}
