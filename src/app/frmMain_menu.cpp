// The Help menu's commands.
#include "app/frmMain.h"

void frmMain::mnuhelp_Click() {}

void frmMain::mnuvisitdrovane_Click() {}

void frmMain::mnuvisittollmere_Click() {}

void frmMain::mnuabout_Click() {}
