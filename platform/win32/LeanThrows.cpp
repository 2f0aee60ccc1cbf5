// Linked into the shipped Windows programs in place of the C++ runtime's throw helpers: the ones
// the library's containers and strings call (std::__throw_out_of_range and the rest), and the one
// its threads and locks call (std::__throw_system_error). The runtime's own throw std::out_of_range,
// std::system_error and their kin, whose messages are strings of the old reference-counted kind:
// they bring that string's whole implementation and the classes around it, some 55 KB of each
// program. Nothing in the product catches those types. What catches anything (a dialog procedure's
// catch-all, the log's thread start) catches every type, and what nothing catches ends the program
// as before, so these throw one small type that keeps the runtime's own message.
// It must be an object of the program, not of a library: the runtime's archives are searched after
// ours, so only a symbol already defined keeps theirs out.
#include <bits/functexcept.h>
#include <exception>
#include <new>
#include <typeinfo>

namespace {

class LibraryFault : public std::exception {
public:
    explicit LibraryFault(const char* what) noexcept
        : m_what(what)
    { }
    const char* what() const noexcept override { return m_what; }

private:
    const char* m_what; // the runtime passes texts that live as long as the program
};

} // namespace

namespace std {

void __throw_bad_exception() { throw bad_exception(); }
void __throw_bad_alloc() { throw bad_alloc(); }
void __throw_bad_array_new_length() { throw bad_array_new_length(); }
void __throw_bad_cast() { throw bad_cast(); }
void __throw_bad_typeid() { throw bad_typeid(); }
void __throw_logic_error(const char* what) { throw LibraryFault(what); }
void __throw_domain_error(const char* what) { throw LibraryFault(what); }
void __throw_invalid_argument(const char* what) { throw LibraryFault(what); }
void __throw_length_error(const char* what) { throw LibraryFault(what); }
void __throw_out_of_range(const char* what) { throw LibraryFault(what); }
// The format's arguments (positions and sizes) are left out: the format says what was wrong.
void __throw_out_of_range_fmt(const char* format, ...) { throw LibraryFault(format); }
void __throw_runtime_error(const char* what) { throw LibraryFault(what); }
void __throw_range_error(const char* what) { throw LibraryFault(what); }
void __throw_overflow_error(const char* what) { throw LibraryFault(what); }
void __throw_underflow_error(const char* what) { throw LibraryFault(what); }
void __throw_system_error(int) { throw LibraryFault("the system refused a thread or a lock"); }

} // namespace std
