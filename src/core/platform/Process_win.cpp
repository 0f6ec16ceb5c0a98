#include "core/platform/Process.h"

#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <io.h>

#include "core/platform/Windows_win.h"

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

namespace {
// The console belongs to the shell that started the program too: its code page is put back at the end.
UINT shellOutputCodePage = 0;

void RestoreConsoleCodePage() {
    if (shellOutputCodePage != 0) ::SetConsoleOutputCP(shellOutputCodePage);
}
} // namespace

void PrepareStandardStreams() {
    // Outputs are exact bytes (the random numbers' CR LF layout, digests of standard input).
    _setmode(_fileno(stdin), _O_BINARY);
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
    // A console shows the program's UTF-8 text; passwords are read from it as UTF-16.
    const UINT current = ::GetConsoleOutputCP();
    if (current != 0 && current != CP_UTF8 && ::SetConsoleOutputCP(CP_UTF8)) {
        shellOutputCodePage = current;
        std::atexit(RestoreConsoleCodePage);
    }
}

// The Windows heap keeps freed blocks for reuse by itself.
void KeepLargeBuffersForReuse() {}

} // namespace zarkent
