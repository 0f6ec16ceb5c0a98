#pragma once

// The folder and name parts of a path, by the platform's folder separators.

#include <string>
#include <string_view>
#include <vector>

namespace zarkent {

// The separator the program writes between a folder and a name.
#ifdef _WIN32
inline constexpr char PreferredSeparator = '\\';
#else
inline constexpr char PreferredSeparator = '/';
#endif

// Folder separators of the platform: '/' on Linux; '\\', '/' and the drive colon on Windows.
bool IsPathSeparator(char ch);

// The path up to and including its last separator ("" when there is none).
std::string DirectoryPart(std::string_view path);
// The path after its last separator.
std::string NamePart(std::string_view path);

// Whether `name` can be a single file name here: not empty, not "." or "..", no separator, no NUL.
// On Windows also none of < > : " | ? * or control characters, no trailing dot or blank, and not a
// device name (CON, PRN, AUX, NUL, COM0..9, LPT0..9, with or without an extension).
bool IsPlainFileName(std::string_view name);

// The local paths of a text/uri-list (one URI a line, lines starting with "#" are comments), in their
// order: only file: URIs without a host or with "localhost" count (on Windows a host gives a share,
// "file://server/share/a" -> "\\server\share\a", and "file:///C:/a" gives "C:\a"). Percent escapes
// are decoded byte by byte, so a name that is not UTF-8 keeps its exact bytes; an entry that decodes
// to a NUL byte or to nothing is left out.
std::vector<std::string> LocalPathsOfUriList(std::string_view uriList);

} // namespace zarkent
