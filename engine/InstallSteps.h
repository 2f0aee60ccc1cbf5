// What "Install >>" does with a package once the user has chosen, for every front end: the ticked
// options in order, then the server's class path and the offer to restart the server.
#pragma once

#include "config/InstallConfig.h"
#include "engine/DirectoryTexts.h"
#include "registry/ServerKeys.h"

#include <functional>
#include <vector>

// The whole of "Install >>" once the user has chosen, for the wizard and the command line alike:
// the ticked options in order (ApplyTickedOptions) and, when every one of them applied, the
// package's class path for a Java package and the offer to restart the server when the package asks
// for it. False when an option failed: setup was aborted, and nothing after that option was done.
bool InstallPackage(const InstallConfig& config, const std::vector<bool>& ticked,
    const DirectoryTexts& directories, const std::function<void(std::size_t, bool)>& outcome);

// Applies option i for every ticked[i], from the first, up to the shorter of the two lists. Stops
// at the first option that fails, after telling the user that setup was aborted, and returns false;
// what was applied before stays applied. outcome hears each option tried: its index and whether it
// succeeded.
bool ApplyTickedOptions(const ConfigOptionList& options, const std::vector<bool>& ticked,
    const DirectoryTexts& directories, const std::function<void(std::size_t, bool)>& outcome);

// Appends the package's class path, directory texts substituted, to the server's "JavaClassPath",
// after a ';' when the value does not end with one. Not written when the key cannot be opened.
void UpdateJavaClassPath(const std::string& classPath, const DirectoryTexts& directories);

// Asks whether to restart the server now and, on Yes, stops its service and starts it again after
// a pause. Nothing is reported when a command cannot be started.
void RestartServerService();
