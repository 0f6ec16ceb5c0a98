// The local paths of a dropped URI list: decoded byte by byte, never through a text type that would
// replace bytes that are not UTF-8.

#include <gtest/gtest.h>

#include "core/platform/Paths.h"

namespace zarkent {
namespace {

using Paths = std::vector<std::string>;

TEST(UriList, DecodesEveryEscapeToItsByte) {
    const struct {
        const char* list;
        Paths expected;
    } cases[] = {
#ifndef _WIN32
        {"file:///tmp/a%20b\r\n", {"/tmp/a b"}},
        // A byte that is not UTF-8 stays that byte, and the replacement character's own bytes stay theirs.
        {"file:///tmp/x%FF", {"/tmp/x\xff"}},
        {"file:///tmp/x%ef%bf%bd", {"/tmp/x\xef\xbf\xbd"}},
        {"file:///tmp/%C5%9Fifre",
         {"/tmp/\xc5\x9f"
          "ifre"}},
        // A "%" without two hex digits is part of the name.
        {"file:///a%2", {"/a%2"}},
        {"file:///a%zz%", {"/a%zz%"}},
        // Comments, other schemes and other machines' files are left out; localhost and "file:/" count.
        {"# from a file manager\r\nfile:///a\r\nhttp://h/b\r\nfile://localhost/c\r\nfile://other/d\r\nFILE:/e",
         {"/a", "/c", "/e"}},
        // A NUL byte cannot be part of a name; an entry without a path is no entry.
        {"file:///a%00b\nfile://\nfile:///ok", {"/ok"}},
        {"", {}},
#else
        {"file:///C:/dir/a%20b\r\n", {"C:\\dir\\a b"}},
        {"file://server/share/x%C3%A7", {"\\\\server\\share\\x\xc3\xa7"}},
        {"file://localhost/C:/a", {"C:\\a"}},
#endif
    };
    for (const auto& c : cases)
        EXPECT_EQ(LocalPathsOfUriList(c.list), c.expected) << c.list;
}

} // namespace
} // namespace zarkent
