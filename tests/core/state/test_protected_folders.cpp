// The folders a batch never processes, compared by canonical path.

#include <gtest/gtest.h>

#include "core/state/ProtectedFolders.h"

namespace zarkent {
namespace {

struct ProtectionCase {
    const char* folder;
    FolderProtection expected;
};

void ExpectProtections(const ProtectedFolders& folders, std::initializer_list<ProtectionCase> cases) {
    for (const ProtectionCase& c : cases)
        EXPECT_EQ(ProtectionOf(c.folder, folders), c.expected) << c.folder;
}

#ifndef _WIN32
// Each folder itself, with or without its separator; never the folders below or above it, nor a
// folder whose name merely starts the same.
TEST(ProtectedFolders, EachFolderItselfWhateverItsSeparators) {
    const ProtectedFolders folders{"/opt/zk", "/home/u", {"/", "/etc", "/usr/bin"}};
    ExpectProtections(folders, {
                                   {"/opt/zk", FolderProtection::ProgramFolder},
                                   {"/opt/zk/", FolderProtection::ProgramFolder},
                                   {"/opt/zk//", FolderProtection::ProgramFolder},
                                   {"/opt/zk/sub", FolderProtection::None},
                                   {"/opt/zkx", FolderProtection::None},
                                   {"/opt/z", FolderProtection::None},
                                   {"/opt", FolderProtection::None},
                                   {"/home/u", FolderProtection::HomeFolder},
                                   {"/home/u/", FolderProtection::HomeFolder},
                                   {"/home/u/Documents", FolderProtection::None},
                                   {"/home", FolderProtection::None},
                                   {"/", FolderProtection::SystemFolder},
                                   {"//", FolderProtection::SystemFolder},
                                   {"/etc/", FolderProtection::SystemFolder},
                                   {"/etc/ssh", FolderProtection::None},
                                   {"/usr/bin", FolderProtection::SystemFolder},
                                   {"/usr", FolderProtection::None},
                                   {"/ETC", FolderProtection::None}, // letter case counts here
                                   {"", FolderProtection::None},
                               });
}
#else
TEST(ProtectedFolders, EachFolderItselfWhateverItsSeparatorsAndCase) {
    const ProtectedFolders folders{
        "C:\\Program Files\\Zarkent", "C:\\Users\\u", {"C:\\Windows", "C:\\Windows\\System32", "C:\\Program Files"}};
    ExpectProtections(folders, {
                                   {"C:\\Program Files\\Zarkent\\", FolderProtection::ProgramFolder},
                                   {"c:/program files/zarkent", FolderProtection::ProgramFolder},
                                   {"C:\\Program Files", FolderProtection::SystemFolder},
                                   {"c:\\windows\\", FolderProtection::SystemFolder},
                                   {"C:/Windows/System32/", FolderProtection::SystemFolder},
                                   {"C:\\Windows\\Temp", FolderProtection::None},
                                   {"C:\\Users\\U", FolderProtection::HomeFolder},
                                   {"C:\\Users", FolderProtection::None},
                                   {"C:\\", FolderProtection::None},
                                   {"D:\\Windows", FolderProtection::None},
                               });
}
#endif

// An empty entry (an unknown home folder) protects nothing, not even an empty path.
TEST(ProtectedFolders, EmptyEntriesProtectNothing) {
    const ProtectedFolders folders{"", "", {""}};
    EXPECT_EQ(ProtectionOf("", folders), FolderProtection::None);
    EXPECT_EQ(ProtectionOf("/a", folders), FolderProtection::None);
}

} // namespace
} // namespace zarkent
