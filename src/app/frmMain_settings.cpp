// The main window's settings: load, save, the external address and the options command.
#include "app/frmMain.h"

void frmMain::LoadSettings() {}

void frmMain::SaveSettings() {}

void frmMain::GetExternalIP() {}

void frmMain::mnusettings_Click() {}
