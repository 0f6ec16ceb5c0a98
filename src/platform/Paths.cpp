#include "platform/Paths.h"

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

} // namespace zarkent
