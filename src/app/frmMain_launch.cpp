// The launch command and the troubleshooter.
#include "app/frmMain.h"

void frmMain::launch_Click() {}

void frmMain::mnutroubleshoot_Click() {}

void frmMain::showAlternativeLoad() {}
