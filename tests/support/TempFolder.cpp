#include "TempFolder.h"

#include <atomic>
#include <chrono>
#include <fstream>
#include <random>
#include <sstream>

namespace fs = std::filesystem;

TempFolder::TempFolder()
{
    // Test programs run side by side and a clock may tick coarsely: a random part per process
    // keeps two of them from sharing a folder.
    static std::atomic<unsigned> counter { 0 };
    static const unsigned process = std::random_device {}();
    const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
    std::ostringstream name;
    name << "tarnwick-test-" << std::hex << process << "-" << stamp << "-" << counter++;
    m_host = fs::temp_directory_path() / name.str();
    fs::create_directories(m_host);
    m_windows = ProductPathOf(m_host);
}

TempFolder::~TempFolder()
{
    std::error_code ignored;
    // Read-only files made by a test must not keep the folder alive.
    for (auto it = fs::recursive_directory_iterator(m_host, ignored);
         it != fs::recursive_directory_iterator(); it.increment(ignored))
        fs::permissions(
            it->path(), fs::perms::owner_all, fs::perm_options::add | fs::perm_options::nofollow, ignored);
    fs::remove_all(m_host, ignored);
}

fs::path TempFolder::Host(const std::string& relative) const
{
    std::string portable = relative;
    for (char& c : portable)
        if (c == '\\')
            c = '/';
    return m_host / fs::path(portable);
}

std::string TempFolder::Path(const std::string& relative) const
{
    return relative.empty() ? m_windows : m_windows + "\\" + relative;
}

void TempFolder::Write(const std::string& relative, const std::string& content) const
{
    const fs::path file = Host(relative);
    fs::create_directories(file.parent_path());
    std::ofstream(file, std::ios::binary) << content;
}

std::string TempFolder::Read(const std::string& relative) const
{
    std::ifstream in(Host(relative), std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

CurrentDirectoryScope::CurrentDirectoryScope(const fs::path& folder)
    : m_previous(fs::current_path())
{
    fs::current_path(folder);
}

CurrentDirectoryScope::~CurrentDirectoryScope()
{
    std::error_code ignored;
    fs::current_path(m_previous, ignored);
}
