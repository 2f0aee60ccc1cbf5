#include "cli/ConsoleText.h"

#include <string>

void PutText(std::FILE* stream, std::string_view text)
{
    (void)std::fwrite(text.data(), 1, text.size(), stream);
}

void ReportError(std::string_view text)
{
    std::string line = "tarnwick-cli: ";
    line += text.substr(0, text.find('\0'));
    line += '\n';
    PutText(stderr, line);
}
