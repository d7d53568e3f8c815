// The Help menu's commands.
#include "gui/main/frmMain.h"

#include "buildconfig.h"
#include "core/help/HTMLHelp.h"
#include "gui/about/frmAbout.h"
#include "platform/platform.h"

void frmMain::mnuhelp_Click() {
    if (!helpviewer)
        helpviewer = std::make_unique<HTMLHelp>();
    helpviewer->setCHMFile(platform::current().system->programFolder() +
                           QStringLiteral("\\velkorhelp.chm"));
    helpviewer->HHDisplayContents();
}

void frmMain::mnuvisitdrovane_Click() {
    platform::current().ui->openUrl(QStringLiteral(VELKOR_DROVANE_URL));
}

void frmMain::mnuvisittollmere_Click() {
    platform::current().ui->openUrl(QStringLiteral(VELKOR_TOLLMERE_URL));
}

void frmMain::mnuabout_Click() {
    frmAbout about(this);
    about.exec();
}
