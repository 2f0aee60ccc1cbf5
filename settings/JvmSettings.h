// The server's Java runtime setting, "JVMPath": what is configured, which runtimes the machine has,
// and storing the chosen one. The JVM page and the command line both use it.
#pragma once

#include <cstddef>
#include <set>
#include <string>

namespace JvmSettings {

// What the JVM page asks when the server has a JVM already; Yes skips the page.
inline constexpr char kSkipQuestion[] = "Setup Detected that you have already set up a JVM in ColdFusion "
                                        "Administrator\nWould you like to Skip this step?";

// The JVM page's path box keeps this many characters; a longer path is stored cut to it.
constexpr std::size_t kMaxPathLength = 255;

// The server's current JVM setting; empty when the key or value is absent.
std::string ConfiguredJvmPath();

// The distinct, non-empty "RuntimeLib" paths of the installed runtimes, in byte order.
std::set<std::string> FindRuntimeLibs();

// Stores path as the server's JVM setting; false when the key cannot be opened for writing.
bool SaveJvmPath(const std::string& path);

// What "Next >>" does with the path: an empty one stores nothing; one that cannot be stored is
// reported to the user. Paths longer than kMaxPathLength are cut first.
void StoreJvmPath(std::string path);

} // namespace JvmSettings
