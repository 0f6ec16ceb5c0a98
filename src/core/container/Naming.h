#pragma once

// Path and naming rules shared by every job: the folder and name parts of a path, the encrypted-file
// test, and names that never overwrite an existing file.

#include <cstdint>
#include <string>
#include <string_view>

#include "core/platform/FileSystem.h"
#include "core/platform/Paths.h"

namespace zarkent {

inline constexpr std::string_view EncryptedExtension = ".zrk";
inline constexpr std::string_view IntermediateExtension = ".coz";
inline constexpr std::size_t MaxStoredNameLength = 512;
// The longest file name (one path component) the file systems take, in bytes.
inline constexpr std::size_t MaxNameBytes = 255;
// The longest extension (with its dot) that a shortened name keeps; anything longer is taken as part of
// the name (a dot inside a long sentence is no extension).
inline constexpr std::size_t MaxKeptExtensionBytes = 16;

// A path is an encrypted file when its last component's text from the last "." is exactly ".zrk".
bool IsEncryptedFileName(std::string_view path);

// `name`, shortened when needed so that `reserve` more bytes still fit in one file name: the part
// before its last extension is cut at a character boundary, the extension is kept.
std::string FitName(std::string_view name, std::size_t reserve);

// Candidate n of a name: folder + "(" + n + ")" + name; n < 0 gives folder + name. A name too long
// for the file system is shortened by FitName.
std::string NumberedName(std::string_view folder, std::string_view name, std::int64_t n);

// Creates the first free candidate of folder + name exclusively (folder + name, then "(0)", "(1)", ...),
// registered as a partial file in `registration` before any signal can be handled.
File CreateUniqueFile(std::string_view folder, std::string_view name, Access access, PartialFile& registration);

// Gives a file without a name (File::CreateTemporary) the first free candidate of folder + name, and
// returns that path. Throws when the link fails for another reason than a taken name.
std::string LinkToUnique(const File& file, std::string_view folder, std::string_view name);

// Renames `from` to the first free candidate of folder + name without replacing anything, and
// returns the new path. Throws when the rename fails for another reason.
std::string RenameToUnique(const std::string& from, std::string_view folder, std::string_view name);

// The name read from an encrypted file, reduced to a plain file name: nothing up to the last '/' or
// '\\', no NUL byte, not empty, not "." or "..", not longer than a file name may be, and on Windows no
// stream, device or otherwise invalid name (IsPlainFileName). Otherwise the encrypted file's own name
// without ".zrk" (or the whole name when it does not end so) is used.
std::string SafeStoredName(std::string_view stored, std::string_view encryptedPath);

} // namespace zarkent
