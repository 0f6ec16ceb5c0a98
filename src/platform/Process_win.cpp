#include "platform/Process.h"

#include <cstdio>
#include <fcntl.h>
#include <io.h>

#include "platform/Windows_win.h"

#include <shellapi.h>

namespace zarkent {

std::vector<std::string> CommandLineArguments(int argc, char** argv) {
    int count = 0;
    wchar_t** wide = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    if (!wide) return std::vector<std::string>(argv + (argc > 0 ? 1 : 0), argv + argc);
    std::vector<std::string> arguments;
    for (int i = 1; i < count; ++i)
        arguments.push_back(win::Narrow(wide[i]));
    ::LocalFree(wide);
    return arguments;
}

void PrepareStandardStreams() {
    // Outputs are exact bytes (the random numbers' CR LF layout, digests of standard input).
    _setmode(_fileno(stdin), _O_BINARY);
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
    ::SetConsoleOutputCP(CP_UTF8);
    ::SetConsoleCP(CP_UTF8);
}

} // namespace zarkent
