// The program's one application object.
#include "shell/InstallerApp.h"

InstallerApp theApp;
