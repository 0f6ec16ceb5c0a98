#pragma once

// Edits of files that Zarkent shares with the user and other programs: only our own entry changes,
// every other byte stays as it was (other groups and actions, comments, blank lines, line ends, a
// missing final newline).

#include <optional>
#include <string>

namespace zarkent::shell {

// mimeapps.list: `mimeType`=`desktopId` in [Default Applications]. An existing line for the type in
// that group is rewritten in place; otherwise the line goes right after the group's header, and a
// missing group is appended at the end. `text` may be empty (no file yet).
std::string SetDefaultApplication(const std::string& text, const std::string& mimeType, const std::string& desktopId);

// mimeapps.list: every line of [Default Applications] that makes `desktopId` (alone) the default for
// `mimeType` goes with its line end; a line naming another application, or a list, stays. Everything
// else is kept byte for byte.
std::string RemoveDefaultApplication(const std::string& text, const std::string& mimeType,
                                     const std::string& desktopId);

struct ThunarEdit {
    std::optional<std::string> text; // the new file; nothing when the file cannot be edited safely
    std::string problem;             // why not
};

// Thunar's uca.xml: every <action> directly under the <actions> root whose <unique-id> is `uniqueId` is
// removed, and `action` (a complete <action> element ending in a newline) goes in just before
// </actions>. An empty `text` (no file, or nothing but blanks) gives a new file. A file whose root is
// not a well-formed <actions> element is refused, never repaired: the user's actions are in it.
ThunarEdit PutThunarAction(const std::string& text, const std::string& uniqueId, const std::string& action);
// Thunar's uca.xml without the actions whose <unique-id> is `uniqueId`, refused as above. An empty
// `text` stays empty: no file is made.
ThunarEdit RemoveThunarAction(const std::string& text, const std::string& uniqueId);

} // namespace zarkent::shell
