// zarkent-cli's commands run in this process, so that a signal can arrive at a chosen file operation.

#include <gtest/gtest.h>

#include <csignal>
#include <sstream>

#include "TempDir.h"
#include "cli/Cli.h"
#include "core/platform/FileSystem.h"

namespace zarkent {
namespace {

using namespace test;

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
