// The folder browser and the open-file dialog on the terminal: one line to type a path on, with
// Tab completing names as a shell does.
#include "platform/posix/CaseFold.h"
#include "platform/posix/files/DriveMap.h"
#include "platform/posix/terminal/TerminalDialogs.h"
#include "platform/posix/terminal/TerminalKeys.h"

#include <curses.h>

#include <algorithm>
#include <cctype>

namespace posix {

namespace {

bool StartsWithFolded(std::string_view text, std::string_view prefix)
{
    return text.size() >= prefix.size() && EqualsFolded(text.substr(0, prefix.size()), prefix);
}

bool HasDrive(std::string_view path)
{
    return path.size() >= 2 && path[1] == ':' && posix::DriveIndex(path[0]) >= 0;
}

// The path the user means: relative ones from the current folder, no trailing separator but a
// drive root's.
std::string FullPath(std::string path)
{
    std::replace(path.begin(), path.end(), '/', '\\');
    if (!HasDrive(path) && path.rfind("\\\\", 0) != 0) {
        char current[MAX_PATH] {};
        const DWORD length = GetCurrentDirectoryA(MAX_PATH, current);
        const std::string folder(current, length < MAX_PATH ? length : 0);
        if (!path.empty() && path[0] == '\\')
            path = folder.substr(0, 2) + path;
        else
            path = folder + (folder.empty() || folder.back() == '\\' ? "" : "\\") + path;
    }
    if (HasDrive(path))
        path[0] = static_cast<char>('A' + posix::DriveIndex(path[0]));
    while (path.size() > 3 && path.back() == '\\')
        path.pop_back();
    if (path.size() == 2 && HasDrive(path))
        path += '\\';
    return path;
}

// The names shown under the line, as many as fit in rows lines of cols characters.
std::vector<std::string> NameLines(const std::vector<std::string>& names, int rows, int cols)
{
    std::vector<std::string> lines(1);
    for (std::size_t i = 0; i < names.size(); ++i) {
        std::string& line = lines.back();
        if (!line.empty() && line.size() + 2 + names[i].size() > static_cast<std::size_t>(cols)) {
            if (static_cast<int>(lines.size()) == rows) {
                line += " ...";
                break;
            }
            lines.emplace_back();
        }
        lines.back() += (lines.back().empty() ? "" : "  ") + names[i];
    }
    return lines;
}

} // namespace

Completion CompletePath(const std::string& typed, PathKind kind)
{
    std::string folder, prefix;
    const std::size_t separator = typed.find_last_of("\\/");
    if (separator != std::string::npos) {
        folder = typed.substr(0, separator + 1);
        prefix = typed.substr(separator + 1);
    } else if (typed.size() == 2 && HasDrive(typed)) {
        folder = typed + "\\";
    } else {
        prefix = typed;
    }

    Completion completion;
    WIN32_FIND_DATAA data {};
    HANDLE find = FindFirstFileA((folder + "*").c_str(), &data);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            const std::string name = data.cFileName;
            const bool isFolder = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
            if (name == "." || name == ".." || !StartsWithFolded(name, prefix)
                || (!isFolder && kind == PathKind::Folder))
                continue;
            completion.names.push_back(isFolder ? name + "\\" : name);
        } while (FindNextFileA(find, &data));
        FindClose(find);
    }
    std::sort(completion.names.begin(), completion.names.end(),
        [](const std::string& a, const std::string& b) { return CompareFolded(a, b) < 0; });

    if (completion.names.empty()) {
        completion.completed = typed;
        return completion;
    }
    std::string common = completion.names.front();
    for (const std::string& name : completion.names) {
        std::size_t same = 0;
        while (same < common.size() && same < name.size()
            && FoldCase(static_cast<unsigned char>(common[same]))
                == FoldCase(static_cast<unsigned char>(name[same])))
            ++same;
        common.resize(same);
    }
    // Keep what the user typed when the names differ from it only in case.
    completion.completed = folder + (common.size() > prefix.size() ? common : prefix);
    return completion;
}

std::optional<std::string> RunPathPrompt(TerminalScreen& screen, const DrawBehind& drawBehind,
    const std::string& title, PathKind kind, bool mustExist)
{
    const std::string what = kind == PathKind::Folder ? "folder" : "file";
    std::string text, note;
    std::vector<std::string> names;
    std::size_t cursor = 0;
    for (;;) {
        const int cols = std::max(20, std::min(72, screen.Cols() - 6));
        if (drawBehind)
            drawBehind();
        CellRect box { 0, 0, 12, cols + 4 };
        box.row = std::max(0, (screen.Rows() - box.rows) / 2);
        box.col = std::max(0, (screen.Cols() - box.cols) / 2);
        screen.Fill(box);
        screen.Frame(box, title.empty() ? "Browse" : title);
        const int left = box.col + 2;
        screen.Text(box.row + 1, left,
            "Type the " + what + "'s path, like "
                + (kind == PathKind::Folder ? "C:\\Folder" : "C:\\Folder\\name.ext")
                + "; Tab completes names.",
            cols);
        const std::size_t first = cursor >= static_cast<std::size_t>(cols) ? cursor - cols + 1 : 0;
        screen.Fill({ box.row + 3, left, 1, cols }, ' ', TerminalScreen::Underline);
        screen.Text(
            box.row + 3, left, text.substr(first), cols, TerminalScreen::Underline | TerminalScreen::Bold);
        screen.Text(box.row + 4, left, note, cols, TerminalScreen::Bold);
        const auto lines = NameLines(names, 4, cols);
        for (std::size_t i = 0; i < lines.size(); ++i)
            screen.Text(box.row + 5 + static_cast<int>(i), left, lines[i], cols, TerminalScreen::Dim);
        screen.Text(
            box.Bottom() - 2, left, "Enter: OK   Esc: Cancel   Ctrl-U: clear", cols, TerminalScreen::Dim);
        screen.Cursor(box.row + 3, left + static_cast<int>(cursor - first));
        screen.Show();

        const int key = screen.ReadKey();
        if (key < 0 || key == kEscapeKey || key == KEY_F(10))
            return std::nullopt;
        note.clear();
        if (IsEnterKey(key)) {
            if (text.empty()) {
                note = "Type a path first.";
                continue;
            }
            const std::string path = FullPath(text);
            const DWORD attributes = GetFileAttributesA(path.c_str());
            const bool isFolder
                = attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
            if (kind == PathKind::Folder && !isFolder)
                note = "There is no folder " + path + ".";
            else if (kind == PathKind::File && isFolder)
                note = path + " is a folder; type a file's name.";
            else if (kind == PathKind::File && mustExist && attributes == INVALID_FILE_ATTRIBUTES)
                note = "There is no file " + path + ".";
            else
                return path;
            continue;
        }
        if (key == kTabKey) {
            Completion completion = CompletePath(text, kind);
            if (completion.names.empty())
                note = "No " + what + " here has a name that starts so.";
            text = completion.completed;
            cursor = text.size();
            names = completion.names.size() > 1 ? std::move(completion.names) : std::vector<std::string> {};
            continue;
        }
        names.clear();
        (void)EditLine(text, cursor, key, true);
    }
}

} // namespace posix
