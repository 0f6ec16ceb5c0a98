#include "cli/Terminal.h"

#include <cstdio>
#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

namespace zarkent::cli {

bool StdinIsTerminal() { return ::isatty(STDIN_FILENO) == 1; }
bool StderrIsTerminal() { return ::isatty(STDERR_FILENO) == 1; }

std::optional<std::string> AskPassword(const std::string& prompt) {
    const int fd = ::open("/dev/tty", O_RDWR | O_CLOEXEC);
    if (fd < 0) return std::nullopt;
    struct Closer {
        int fd;
        ~Closer() { ::close(fd); }
    } closer{fd};

    termios saved{};
    const bool canHide = ::tcgetattr(fd, &saved) == 0;
    if (canHide) {
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
    if (canHide) ::tcsetattr(fd, TCSANOW, &saved);
    ignored = ::write(fd, "\n", 1);
    if (!gotAny) return std::nullopt;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    return line;
}

} // namespace zarkent::cli
