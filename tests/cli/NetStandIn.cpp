// The service control of a machine under test, for tarnwick-cli.exe under Wine: installed as net.exe
// beside the program, where CreateProcess looks before the system folder (and Wine's own net.exe).
// TARNWICK_TEST_SERVICE names its folder: it appends the command to service.log there, waits while
// a file "hold" exists, and exits with the number in "exit-code" (0 without one).
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

int main(int argc, char** argv)
{
    const char* folder = std::getenv("TARNWICK_TEST_SERVICE");
    if (!folder || !*folder) {
        std::fprintf(stderr, "net stand-in: TARNWICK_TEST_SERVICE names no folder\n");
        return 1;
    }
    const std::string dir(folder);
    std::string line = "net";
    for (int i = 1; i < argc; ++i) {
        const std::string arg(argv[i]);
        line += arg.empty() || arg.find(' ') != std::string::npos ? " \"" + arg + "\"" : " " + arg;
    }
    line += "\n";
    if (FILE* log = std::fopen((dir + "\\service.log").c_str(), "ab")) {
        std::fwrite(line.data(), 1, line.size(), log);
        std::fclose(log);
    }
    while (GetFileAttributesA((dir + "\\hold").c_str()) != INVALID_FILE_ATTRIBUTES)
        Sleep(20);
    int code = 0;
    if (FILE* in = std::fopen((dir + "\\exit-code").c_str(), "rb")) {
        if (std::fscanf(in, "%d", &code) != 1)
            code = 0;
        std::fclose(in);
    }
    return code;
}
