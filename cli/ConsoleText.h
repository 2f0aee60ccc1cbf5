// What tarnwick-cli says to people on standard output and standard error, written without the C
// library's printf: on Windows that is the runtime's own implementation, some 25 KB of the program
// for texts that need nothing but joining.
#pragma once

#include <cstdio>
#include <string_view>

// Writes text to stream in one piece. Callers join texts from C strings (c_str()), so that each
// stops at its first NUL as printf's %s did.
void PutText(std::FILE* stream, std::string_view text);

// "tarnwick-cli: ", text up to its first NUL and a line end, on standard error: why a run stops.
void ReportError(std::string_view text);
