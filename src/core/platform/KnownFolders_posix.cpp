#include "core/platform/KnownFolders.h"

#include <climits>
#include <cstdlib>
#include <memory>
#include <pwd.h>
#include <unistd.h>

namespace zarkent {

std::optional<std::string> CanonicalPath(const std::string& path) {
    if (path.empty()) return std::nullopt;
    const std::unique_ptr<char, decltype(&std::free)> resolved(::realpath(path.c_str(), nullptr), &std::free);
    if (!resolved) return std::nullopt;
    return std::string(resolved.get());
}

std::string HomeFolder() {
    if (const char* home = std::getenv("HOME"); home && *home) return home;
    if (const passwd* entry = ::getpwuid(::getuid()); entry && entry->pw_dir) return entry->pw_dir;
    return {};
}

std::string RunningProgramFolder() {
    const std::optional<std::string> program = CanonicalPath("/proc/self/exe");
    if (!program) return {};
    return program->substr(0, program->rfind('/') + 1);
}

std::vector<std::string> SystemFolders() {
    return {"/", "/bin", "/boot", "/dev", "/etc", "/lib", "/proc", "/sys", "/usr"};
}

} // namespace zarkent
