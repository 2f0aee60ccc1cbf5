// A fresh folder for one test, removed afterwards, known both by its host path (for
// std::filesystem) and by the Windows path that product code is given.
#pragma once

#include <filesystem>
#include <string>

class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::filesystem::path& Host() const { return m_host; }
    std::filesystem::path Host(const std::string& relative) const;
    // The Windows path of the folder, or of relative ("a\\b") inside it.
    std::string Path(const std::string& relative = {}) const;

    // Writes a file (creating its folders) and reads one back.
    void Write(const std::string& relative, const std::string& content) const;
    std::string Read(const std::string& relative) const;

private:
    std::filesystem::path m_host;
    std::string m_windows;
};

// The Windows path by which product code reaches a host path.
std::string ProductPathOf(const std::filesystem::path& host);

// Changes the current directory for one scope and restores it.
class CurrentDirectoryScope {
public:
    explicit CurrentDirectoryScope(const std::filesystem::path& folder);
    ~CurrentDirectoryScope();

private:
    std::filesystem::path m_previous;
};
