// Decrypts arbitrary bytes as a .zrk file through the path zarkent-cli decrypt takes, and checks
// what is left on disk. The first byte picks one of four passwords (two of them open the golden
// files, so the fuzzer gets past the check block); the rest is the file.

#include <atomic>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>
#include <vector>

#include "core/container/FileJob.h"

namespace fs = std::filesystem;

namespace {

const char* const Passwords[] = {"Zarkent golden 1",
                                 "\xC5\x9F"
                                 "ifre \xC4\x9E\xC3\x9C 2",
                                 "pw", "a"};

std::vector<std::string> Entries(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    return names;
}

void Require(bool condition, const char* what) {
    if (!condition) {
        std::fprintf(stderr, "invariant broken: %s\n", what);
        std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    // One folder for the whole run, in memory where there is such a file system; removed at the end.
    static const struct Base {
        fs::path path;
        Base() {
            char pattern[] = "/dev/shm/zarkent-fuzz-XXXXXX";
            char fallback[] = "/tmp/zarkent-fuzz-XXXXXX";
            const char* made = ::mkdtemp(pattern);
            path = made ? made : ::mkdtemp(fallback);
        }
        ~Base() {
            std::error_code ignored;
            fs::remove_all(path, ignored);
        }
    } folder;
    const fs::path& base = folder.path;
    const fs::path work = base / "work";
    fs::remove_all(work);
    fs::create_directory(work);
    const std::string input = (work / "in.zrk").string();
    {
        std::ofstream out(input, std::ios::binary);
        out.write(reinterpret_cast<const char*>(data + 1), static_cast<std::streamsize>(size - 1));
    }

    std::atomic<bool> compress{false}, cancel{false};
    zarkent::StreamContext context;
    context.compressOption = &compress;
    context.cancelRequested = &cancel;
    context.durable = false; // the invariants are about names, not about the disk
    bool succeeded = false;
    try {
        const zarkent::FileOutcome outcome = zarkent::DecryptOneFile(input, Passwords[data[0] % 4], context);
        Require(!outcome.cancelled, "cancelled without a cancel");
        Require(fs::path(outcome.output).parent_path() == work, "output outside the folder of the .zrk");
        zarkent::RemoveSource(input, outcome);
        succeeded = true;
    } catch (const std::exception&) {
    }
    Require(Entries(base) == std::vector<std::string>{"work"}, "something written beside the folder");
    const auto names = Entries(work);
    if (succeeded) {
        Require(names.size() == 1 && fs::is_regular_file(work / names[0]), "not exactly the restored file left");
    } else {
        Require(names == std::vector<std::string>{"in.zrk"}, "leftovers after a failure");
        Require(fs::file_size(input) == size - 1, "the .zrk file changed after a failure");
    }
    return 0;
}
