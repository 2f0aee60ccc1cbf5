// The small modal boxes a terminal shows over a page: message boxes, the prompt that stands for
// the folder browser and the open-file dialog, and the page's system menu. Each redraws what is
// behind it through drawBehind whenever the screen needs it (a resize, for one).
#pragma once

#include "platform/posix/terminal/TerminalScreen.h"

#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace posix {

using DrawBehind = std::function<void()>;

// A message box with the buttons and icon its style names; returns the button's IDOK, IDYES, ...
int RunMessageBox(TerminalScreen& screen, const DrawBehind& drawBehind, const std::string& text,
    const std::string& caption, UINT style);

enum class PathKind { Folder, File };

// A path typed by the user, with Tab completing folder (and for a file, file) names; the full
// Windows path of an existing folder, or of a file (an existing one when mustExist), or nothing
// when the user cancelled.
std::optional<std::string> RunPathPrompt(TerminalScreen& screen, const DrawBehind& drawBehind,
    const std::string& title, PathKind kind, bool mustExist = true);

// The completions of a typed path: the names its last part may go on to, folders ending in '\',
// and the longest text all of them start with.
struct Completion {
    std::vector<std::string> names;
    std::string completed;
};
Completion CompletePath(const std::string& typed, PathKind kind);

// A list of commands (0 for a separator); the chosen one, or nothing.
std::optional<UINT_PTR> RunMenu(TerminalScreen& screen, const DrawBehind& drawBehind,
    const std::string& title, const std::vector<std::pair<UINT_PTR, std::string>>& entries);

} // namespace posix
