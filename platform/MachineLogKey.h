// The machine's secret for signing logs: 32 random bytes from the system's random source, made on
// first use and kept where only administrators can read them.
// - Windows: the REG_BINARY value "Key" of HKEY_LOCAL_MACHINE\SOFTWARE\Tarnwick\LogKey, a key made
//   with a DACL that grants Administrators and SYSTEM alone and takes nothing from its parent.
// - POSIX (the simulated machine): the file TARNWICK_REGISTRY + ".logkey" beside its registry
//   store, mode 0600, owned by the user running the program.
#pragma once

#include <cstddef>
#include <string>

constexpr std::size_t kMachineLogKeySize = 32;

// The key, made first when there is none; two programs that make it at once get the same one.
// false with a message, key untouched, when it can neither be read nor made, or when what is
// kept is no key of ours: another size or type, or open to others than administrators (on
// POSIX: readable or writable by group or others, owned by another user, not a regular file).
[[nodiscard]] bool MachineLogKey(std::string& key, std::string& error);
