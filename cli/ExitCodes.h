// Windows Installer's exit codes, which SCCM, Intune and Ansible's win_package read as they are.
#pragma once

constexpr int kExitSuccess = 0;
constexpr int kExitNotInstalled = 1; // status: not installed, or not as install would leave it
constexpr int kExitRebootRequired = 3010; // installed; the server still needs the restart
constexpr int kExitUserExit = 1602; // the licence was not accepted
constexpr int kExitInstallFailure = 1603;
constexpr int kExitAlreadyRunning = 1618;
constexpr int kExitBadPackage = 1619; // the package cannot be opened
constexpr int kExitInvalidCommandLine = 1639;
