// zarkent-cli passwd run in this process, so that a signal can arrive while a file is being changed (the
// interrupt stays requested for the rest of the process: one run per executable).

#include <gtest/gtest.h>

#include <csignal>
#include <sstream>

#include "Job.h"
#include "TempDir.h"
#include "cli/Cli.h"
#include "core/container/FileJob.h"
#include "core/container/ZarkentStream.h"
#include "core/platform/FileSystem.h"

namespace zarkent {
namespace {

using namespace test;

// A signal while the first file's new version is made cancels that change (the file stays as it was)
// and the second file is never started.
TEST(PasswdCommand, SignalCancelsTheChangeAndSkipsTheRest) {
    TempDir dir;
    WriteText(dir / "pw", "secret\n");
    WriteText(dir / "pw-new", "new one\n");
    Job job;
    for (const char* name : {"a", "b"}) {
        WriteBytes(dir / name, PatternBytes(3 * 65540 * 16));
        EncryptOneFile(dir / name, "secret", job.context);
        std::filesystem::remove(PathOf(dir / name));
    }
    const auto beforeA = ReadBytes(dir / "a.zrk"), beforeB = ReadBytes(dir / "b.zrk");
    bool raised = false;
    SetFileEventHook([&](FileEvent event, const std::string& path) {
        if ((event == FileEvent::CreateTemporary || event == FileEvent::Create) &&
            path.find(TempInfix) != std::string::npos && !raised) {
            raised = true;
            std::raise(SIGINT);
        }
        return 0;
    });
    std::istringstream in;
    std::ostringstream out, err;
    const int status = cli::Run(
        {"passwd", "--password-file", dir / "pw", "--new-password-file", dir / "pw-new", dir / "a.zrk", dir / "b.zrk"},
        in, out, err);
    SetFileEventHook({});
    EXPECT_TRUE(raised);
    EXPECT_EQ(status, cli::ExitFailure);
    EXPECT_EQ(out.str(), "");
    EXPECT_EQ(err.str(), (dir / "a.zrk") + ": Process Has Been Cancelled !\n");
    EXPECT_EQ(dir.Entries(), (std::vector<std::string>{"a.zrk", "b.zrk", "pw", "pw-new"}));
    EXPECT_TRUE(ReadBytes(dir / "a.zrk") == beforeA);
    EXPECT_TRUE(ReadBytes(dir / "b.zrk") == beforeB);
}

} // namespace
} // namespace zarkent
