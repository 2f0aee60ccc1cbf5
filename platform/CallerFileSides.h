// What each side of the platform adds to the checks of CallerFiles.cpp, which are written once.
#pragma once

#include <string>
#include <string_view>

// What a name that is neither a regular file nor a folder can be on this side, for a message.
std::string_view OtherFileKinds();

// Whether name is a file the machine keeps for itself, which no log may replace: true, with why.
bool IsMachineFile(const std::string& name, std::string& why);
