#include "cli/Terminal.h"

#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

namespace zarkent::cli {

namespace {
// The terminal state to put back if the user interrupts the prompt.
termios savedTerminal{};
volatile sig_atomic_t promptTerminal = -1;

extern "C" void RestoreTerminalAndStop(int signal) {
    if (promptTerminal >= 0) ::tcsetattr(promptTerminal, TCSANOW, &savedTerminal);
    ::signal(signal, SIG_DFL);
    ::raise(signal);
}
} // namespace

bool StdinIsTerminal() {
    return ::isatty(STDIN_FILENO) == 1;
}
bool StderrIsTerminal() {
    return ::isatty(STDERR_FILENO) == 1;
}

std::optional<std::string> AskPassword(const std::string& prompt) {
    const int fd = ::open("/dev/tty", O_RDWR | O_CLOEXEC);
    if (fd < 0) return std::nullopt;
    struct Closer {
        int fd;
        ~Closer() { ::close(fd); }
    } closer{fd};

    termios saved{};
    const bool canHide = ::tcgetattr(fd, &saved) == 0;
    struct sigaction previousInt {
    }, previousTerm{};
    if (canHide) {
        savedTerminal = saved;
        promptTerminal = fd;
        struct sigaction restore {};
        restore.sa_handler = RestoreTerminalAndStop;
        ::sigaction(SIGINT, &restore, &previousInt);
        ::sigaction(SIGTERM, &restore, &previousTerm);
        termios quiet = saved;
        quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO);
        quiet.c_lflag |= ICANON;
        ::tcsetattr(fd, TCSANOW, &quiet);
    }
    [[maybe_unused]] ssize_t ignored = ::write(fd, prompt.data(), prompt.size());
    std::string line;
    char ch;
    bool gotAny = false;
    while (::read(fd, &ch, 1) == 1) {
        gotAny = true;
        if (ch == '\n') break;
        line += ch;
    }
    if (canHide) {
        ::tcsetattr(fd, TCSANOW, &saved);
        ::sigaction(SIGINT, &previousInt, nullptr);
        ::sigaction(SIGTERM, &previousTerm, nullptr);
        promptTerminal = -1;
    }
    ignored = ::write(fd, "\n", 1);
    if (!gotAny) return std::nullopt;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    return line;
}

} // namespace zarkent::cli
