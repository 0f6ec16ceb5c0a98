#include "core/platform/Paths.h"

#include <cctype>
#include <optional>
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

namespace {

int HexValue(char ch) {
    if (ch >= '0' && ch <= '9') return ch - '0';
    if (ch >= 'a' && ch <= 'f') return ch - 'a' + 10;
    if (ch >= 'A' && ch <= 'F') return ch - 'A' + 10;
    return -1;
}

// "%XX" becomes the byte XX; a "%" without two hex digits stays as it is.
std::string PercentDecoded(std::string_view text) {
    std::string bytes;
    bytes.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size() && HexValue(text[i + 1]) >= 0 && HexValue(text[i + 2]) >= 0) {
            bytes.push_back(static_cast<char>(HexValue(text[i + 1]) * 16 + HexValue(text[i + 2])));
            i += 2;
        } else {
            bytes.push_back(text[i]);
        }
    }
    return bytes;
}

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
    if (text.size() < prefix.size()) return false;
    for (std::size_t i = 0; i < prefix.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(text[i])) != prefix[i]) return false;
    return true;
}

std::optional<std::string> LocalPathOfUri(std::string_view uri) {
    if (!StartsWithNoCase(uri, "file:")) return std::nullopt;
    uri.remove_prefix(5);
    std::string_view host;
    if (uri.starts_with("//")) {
        uri.remove_prefix(2);
        const std::size_t slash = uri.find('/');
        host = uri.substr(0, slash);
        uri = slash == std::string_view::npos ? std::string_view() : uri.substr(slash);
        if (StartsWithNoCase(host, "localhost") && host.size() == 9) host = {};
    }
    std::string path = PercentDecoded(uri);
    if (path.find('\0') != std::string::npos) return std::nullopt;
#ifdef _WIN32
    for (char& ch : path)
        if (ch == '/') ch = '\\';
    if (!host.empty()) {
        if (path.size() < 2) return std::nullopt;
        path = "\\\\" + PercentDecoded(host) + path;
    } else if (path.size() >= 3 && path[0] == '\\' && std::isalpha(static_cast<unsigned char>(path[1])) &&
               path[2] == ':') {
        path.erase(0, 1); // "/C:/a" -> "C:\a"
    }
#else
    if (!host.empty()) return std::nullopt; // another machine's file
#endif
    if (path.empty()) return std::nullopt;
    return path;
}

} // namespace

std::vector<std::string> LocalPathsOfUriList(std::string_view uriList) {
    std::vector<std::string> paths;
    while (!uriList.empty()) {
        const std::size_t end = uriList.find('\n');
        std::string_view line = uriList.substr(0, end);
        uriList = end == std::string_view::npos ? std::string_view() : uriList.substr(end + 1);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (line.empty() || line.front() == '#') continue;
        if (std::optional<std::string> path = LocalPathOfUri(line)) paths.push_back(std::move(*path));
    }
    return paths;
}

} // namespace zarkent
