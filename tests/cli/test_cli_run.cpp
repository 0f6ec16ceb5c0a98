// zarkent-cli's commands run in this process, so that a signal can arrive at a chosen file operation.

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <filesystem>
#include <sstream>

#include "TempDir.h"
#include "cli/Cli.h"
#include "core/platform/FileSystem.h"

namespace zarkent {
namespace {

using namespace test;

int RunCli(const std::vector<std::string>& args, std::string* error = nullptr) {
    std::istringstream in;
    std::ostringstream out, err;
    const int status = cli::Run(args, in, out, err);
    if (error) *error = err.str();
    return status;
}

// Before the signal test below: the first signal stays seen for the rest of the process.
// -o OUT: the output gets its name only when complete and never replaces a file, with unnamed files
// and, where the system has none, through a named file that a failure removes.
TEST(OutputMode, NewFileOnlyWhenComplete) {
    TempDir dir;
    WriteText(dir / "pw", "secret\n");
    WriteText(dir / "a.txt", std::string(300000, 'a'));
    ASSERT_EQ(RunCli({"encrypt", "--compress", "--password-file", dir / "pw", "-o", dir / "a.zrk", dir / "a.txt"}),
              cli::ExitOk);
    std::string zrk = ReadText(dir / "a.zrk");
    zrk.resize(zrk.size() - 10);
    WriteText(dir / "cut.zrk", zrk);
    const std::vector<std::string> before = dir.Entries();
    for (const bool unnamed : {true, false}) {
        SCOPED_TRACE(unnamed ? "unnamed" : "named");
        std::vector<FileEvent> events;
        SetFileEventHook([&](FileEvent event, const std::string&) {
            events.push_back(event);
            return event == FileEvent::CreateTemporary && !unnamed ? EOPNOTSUPP : 0;
        });
        std::string error;
        EXPECT_EQ(RunCli({"decrypt", "--password-file", dir / "pw", "-o", dir / "out.txt", dir / "cut.zrk"}, &error),
                  cli::ExitFailure);
        EXPECT_EQ(error, (dir / "cut.zrk") + ": data error\n");
        EXPECT_EQ(dir.Entries(), before);
        EXPECT_EQ(RunCli({"decrypt", "--password-file", dir / "pw", "-o", dir / "out.txt", dir / "a.zrk"}),
                  cli::ExitOk);
        SetFileEventHook({});
        EXPECT_EQ(ReadText(dir / "out.txt"), std::string(300000, 'a'));
        // Flushed before it is named, and its folder after.
        const auto sync = std::find(events.begin(), events.end(), FileEvent::SyncFile);
        ASSERT_NE(sync, events.end());
        if (unnamed) {
            EXPECT_NE(std::find(sync, events.end(), FileEvent::Link), events.end());
        }
        EXPECT_EQ(events.back(), FileEvent::SyncFolder);
        std::filesystem::remove(PathOf(dir / "out.txt"));
    }
    // A file that takes the name meanwhile stays as it is, and the error names it.
    SetFileEventHook([&](FileEvent event, const std::string& path) {
        if (event == FileEvent::Link) WriteText(path, "theirs");
        return 0;
    });
    std::string error;
    EXPECT_EQ(RunCli({"decrypt", "--password-file", dir / "pw", "-o", dir / "out.txt", dir / "a.zrk"}, &error),
              cli::ExitFailure);
    SetFileEventHook({});
    EXPECT_EQ(error, (dir / "a.zrk") + ": Cannot create file \"" + (dir / "out.txt") + "\". File exists\n");
    EXPECT_EQ(ReadText(dir / "out.txt"), "theirs");
}

// A signal at the first file's last flush: that file is finished, the second is never started, and the
// run fails because not every file was processed.
TEST(FileCommand, SignalAfterTheFirstFileSkipsTheRest) {
    TempDir dir;
    WriteText(dir / "pw", "secret\n");
    WriteText(dir / "a.txt", "first");
    WriteText(dir / "b.txt", "second");
    bool raised = false;
    SetFileEventHook([&](FileEvent event, const std::string&) {
        if (event == FileEvent::SyncFolder && !raised) {
            raised = true;
            std::raise(SIGINT);
        }
        return 0;
    });
    std::istringstream in;
    std::ostringstream out, err;
    const int status = cli::Run({"encrypt", "--password-file", dir / "pw", dir / "a.txt", dir / "b.txt"}, in, out, err);
    SetFileEventHook({});
    EXPECT_TRUE(raised);
    EXPECT_EQ(status, cli::ExitFailure) << err.str();
    EXPECT_EQ(out.str(), (dir / "a.txt.zrk") + "\n");
    EXPECT_EQ(dir.Entries(), (std::vector<std::string>{"a.txt.zrk", "b.txt", "pw"}));
    EXPECT_EQ(ReadText(dir / "b.txt"), "second");
}

} // namespace
} // namespace zarkent
