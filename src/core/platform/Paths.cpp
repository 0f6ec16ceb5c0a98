#include "core/platform/Paths.h"

#include <cctype>
#include <string>

namespace zarkent {

bool IsPathSeparator(char ch) {
#ifdef _WIN32
    return ch == '\\' || ch == '/' || ch == ':';
#else
    return ch == '/';
#endif
}

namespace {
std::size_t NameStart(std::string_view path) {
    std::size_t start = path.size();
    while (start > 0 && !IsPathSeparator(path[start - 1]))
        --start;
    return start;
}
} // namespace

std::string DirectoryPart(std::string_view path) {
    return std::string(path.substr(0, NameStart(path)));
}

std::string NamePart(std::string_view path) {
    return std::string(path.substr(NameStart(path)));
}

bool IsPlainFileName(std::string_view name) {
    if (name.empty() || name == "." || name == "..") return false;
    for (const char ch : name)
        if (ch == '\0' || ch == '/' || IsPathSeparator(ch)) return false;
#ifdef _WIN32
    for (const char ch : name)
        if (static_cast<unsigned char>(ch) < 0x20 || std::string_view("<>:\"|?*").find(ch) != std::string_view::npos)
            return false;
    if (name.back() == '.' || name.back() == ' ') return false;
    // The system takes these names as devices in every folder, whatever follows a dot.
    std::string base(name.substr(0, name.find('.')));
    while (!base.empty() && base.back() == ' ')
        base.pop_back();
    for (char& ch : base)
        ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
    if (base == "CON" || base == "PRN" || base == "AUX" || base == "NUL") return false;
    if (base.size() == 4 && (base.starts_with("COM") || base.starts_with("LPT")) && base[3] >= '0' && base[3] <= '9')
        return false;
#endif
    return true;
}

} // namespace zarkent
