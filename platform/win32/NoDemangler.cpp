// Linked into the shipped Windows programs in place of the C++ runtime's demangler. Its one user
// there is the runtime's default terminate handler, which writes the type of an exception nobody
// caught to standard error; the demangler it brings, with the C library's printf that the demangler
// needs, is about 75 KB of each program. Without it the handler writes the type's mangled name
// ("St9bad_alloc" rather than "std::bad_alloc") and then ends the program as before.
// It must be an object of the program, not of a library: the runtime's archives are searched after
// ours, so only a symbol already defined keeps theirs out.
#include <cxxabi.h>

namespace __cxxabiv1 {

extern "C" char* __cxa_demangle(const char*, char*, std::size_t*, int* status)
{
    // "Not a valid name under the C++ ABI": the handler shows the name as it is.
    if (status)
        *status = -2;
    return nullptr;
}

} // namespace __cxxabiv1
