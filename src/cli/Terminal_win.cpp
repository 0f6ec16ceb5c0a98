// The console on Windows: the password is read from the console itself (CONIN$), without echo.

#include "cli/Terminal.h"

#include <atomic>

#include "core/platform/Windows_win.h"

namespace zarkent::cli {

namespace {
bool IsConsole(DWORD which) {
    DWORD mode = 0;
    return ::GetConsoleMode(::GetStdHandle(which), &mode) != 0;
}

// The console input mode to put back if the user presses Ctrl-C at the prompt.
std::atomic<HANDLE> promptConsole{nullptr};
std::atomic<DWORD> savedMode{0};

BOOL WINAPI RestoreEcho(DWORD) {
    if (const HANDLE console = promptConsole.load()) ::SetConsoleMode(console, savedMode.load());
    return FALSE; // the next handler (the default one) goes on as usual
}
} // namespace

bool StdinIsTerminal() {
    return IsConsole(STD_INPUT_HANDLE);
}

bool StderrIsTerminal() {
    return IsConsole(STD_ERROR_HANDLE);
}

std::optional<std::string> AskPassword(const std::string& prompt) {
    win::HandleGuard input(::CreateFileW(L"CONIN$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                         nullptr, OPEN_EXISTING, 0, nullptr));
    win::HandleGuard output(::CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                          nullptr, OPEN_EXISTING, 0, nullptr));
    DWORD mode = 0;
    if (input.Get() == INVALID_HANDLE_VALUE || output.Get() == INVALID_HANDLE_VALUE ||
        !::GetConsoleMode(input.Get(), &mode))
        return std::nullopt;

    savedMode = mode;
    promptConsole = input.Get();
    ::SetConsoleCtrlHandler(RestoreEcho, TRUE);
    ::SetConsoleMode(input.Get(), (mode & ~DWORD{ENABLE_ECHO_INPUT}) | ENABLE_LINE_INPUT | ENABLE_PROCESSED_INPUT);
    const std::wstring shown = win::Widen(prompt);
    DWORD written = 0;
    ::WriteConsoleW(output.Get(), shown.c_str(), static_cast<DWORD>(shown.size()), &written, nullptr);

    std::wstring line;
    bool gotAny = false;
    wchar_t buffer[256];
    DWORD got = 0;
    while (::ReadConsoleW(input.Get(), buffer, 256, &got, nullptr) && got > 0) {
        gotAny = true;
        line.append(buffer, got);
        if (line.back() == L'\n') break;
    }
    ::SetConsoleMode(input.Get(), mode);
    promptConsole = nullptr;
    ::SetConsoleCtrlHandler(RestoreEcho, FALSE);
    ::WriteConsoleW(output.Get(), L"\r\n", 2, &written, nullptr);
    if (!gotAny) return std::nullopt;
    while (!line.empty() && (line.back() == L'\n' || line.back() == L'\r'))
        line.pop_back();
    const std::string password = win::Narrow(line);
    SecureZeroMemory(line.data(), line.size() * sizeof(wchar_t));
    SecureZeroMemory(buffer, sizeof buffer);
    return password;
}

} // namespace zarkent::cli
