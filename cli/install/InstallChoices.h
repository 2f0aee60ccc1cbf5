// The package and the answers as an install reads them, and what each answer comes to on this
// machine: the given answer, or what the wizard would have done. Shared by install, plan and
// answers, so that an answers file printed for a machine installs as the wizard would.
#pragma once

#include "cli/answers/Answers.h"
#include "cli/CommandLine.h"
#include "config/InstallConfig.h"
#include "engine/DirectoryTexts.h"
#include "settings/LicenseText.h"

#include <array>
#include <string>
#include <vector>

// The package as the wizard reads it, from inside its folder, so a folder deeper than MAX_PATH
// works: its files are opened by their relative names.
struct Package {
    InstallConfig config;
    LicenseText licence;
};

// Enters the package folder and reads it; false with the reason reported.
bool OpenPackage(const std::string& folder, Package& package);

// The answers file and the --set answers; false with every error reported.
bool ReadAnswers(const CommandLine& line, const Package& package, Answers& answers);

// Both of the above: kExitSuccess, or the exit code for what could not be read (1619 for the
// package, 1639 for the answers), with the reasons reported.
int ReadInputs(const CommandLine& line, Package& package, Answers& answers);

// What each answer comes to on this machine.
struct Choices {
    bool acceptLicense = false;
    enum class Jvm { NotJava, Keep, Store, None } jvm = Jvm::NotJava;
    std::string jvmPath; // Store: the path as given or found
    DirectoryTexts directories;
    std::vector<bool> ticked;
    bool createFolders = true;
    bool restartServer = false;
    std::vector<std::string> warnings;
};

Choices Decide(const Package& package, const Answers& answers);

// The install's first step, before the package's options: stores the chosen JVM as "JVMPath" when
// the choices store one. Install and status take it alike.
void StoreJvmChoice(const Choices& choices);

// Each key's effective value, as an answers file writes it.
std::array<std::string, answerKeyCount> EffectiveValues(const Choices& choices);

// An option's type for people: "(none)" for an option without one.
const char* OptionTypeText(const std::string& type);
