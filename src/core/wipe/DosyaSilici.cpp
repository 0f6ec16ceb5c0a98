#include "core/wipe/DosyaSilici.h"

#include <algorithm>
#include <atomic>
#include <cerrno>

#include "core/base/Error.h"
#include "core/cipher/Bytes.h"
#include "core/cipher/ZarkentLib.h"
#include "core/container/Random.h"
#include "core/platform/FileSystem.h"
#include "core/platform/Paths.h"
#include "core/state/SharedState.h"

namespace zarkent {

namespace {
// The shared progress values besides WipePercent: one wipe at a time.
std::atomic<double> bytesPerPercent{0};
std::atomic<std::int32_t> byteAccumulator{0};

// Groups of blocks get one pattern after the other, each flushed before the next: every one of the four
// overwrites reaches the device, in the order zeros, ones, random, complement, while the writes stay
// large enough to be fast. Small groups for small files keep the progress moving.
constexpr std::int64_t MaxGroupBlocks = 2048; // 64 MiB
constexpr std::int64_t GroupsPerPass = 16;

constexpr std::uint32_t RandomLimit = 1234567890;

[[noreturn]] void Refuse(const std::string& path, const std::string& reason) {
    throw ZarkentError("Cannot wipe file \"" + path + "\". " + reason, ErrorKind::FileSystem);
}
} // namespace

int WipePasses(int method) {
    static constexpr int passes[WipeMethodCount] = {1, 3, 7, 35, 80, 100, 120};
    return method >= 0 && method < WipeMethodCount ? passes[method] : 0;
}

std::int64_t WipeGroupBlocks(std::int64_t blocks) {
    return std::clamp<std::int64_t>(blocks / GroupsPerPass, 1, MaxGroupBlocks);
}

double TDosyaSilici::BytesPerPercent() {
    return bytesPerPercent.load();
}

std::int32_t TDosyaSilici::ByteAccumulator() {
    return byteAccumulator.load();
}

TDosyaSilici::TDosyaSilici(const std::string& FileName, std::uint8_t Method, const WipeHooks& hooks) : hooks_(hooks) {
    try {
        Wipe(FileName, Method);
    } catch (...) {
        // No destructor runs for an object whose constructor failed: reset the progress here.
        ResetProgress();
        throw;
    }
}

void TDosyaSilici::ResetProgress() {
    State().WipePercent = 0;
    bytesPerPercent = 0;
    byteAccumulator = 0;
}

void TDosyaSilici::Wipe(const std::string& FileName, std::uint8_t Method) {
    RandomizeFromClock();
    FFileName = FileName;
    for (std::size_t i = 0; i < WipeBlockSize / 4; ++i) {
        const std::uint32_t r = RandomBelow(RandomLimit);
        StoreLE32(FZeroBlock + 4 * i, 0);
        StoreLE32(FOneBlock + 4 * i, 1);
        StoreLE32(FRandomBlock + 4 * i, r);
        StoreLE32(FInverseBlock + 4 * i, ~r);
    }

    // The file is opened once and worked on through that handle: never reopened by name.
    File file = File::OpenReadWrite(FFileName);
    if (const std::uint64_t links = file.LinkCount(); links > 1)
        Refuse(FFileName, "It has " + NumberToText(static_cast<std::int64_t>(links - 1)) +
                              " other name(s) (hard links), under which its contents would live on");
    if (!file.WritableByMode())
        throw ZarkentError("Cannot open file \"" + FFileName + "\". " + SystemErrorText(EACCES), ErrorKind::FileSystem);
    FFileSize = file.Size();
    FReachesDevice = !file.OnMemoryFileSystem();
    MakeRandomName();

    const int passes = WipePasses(Method);
    if (passes == 0) return;
    bytesPerPercent = static_cast<double>(FFileSize * passes) / 100.0;
    for (int pass = 0; pass < passes; ++pass)
        WipePass(file);
    FinishDeletion(file);
}

TDosyaSilici::~TDosyaSilici() {
    ResetProgress();
}

void TDosyaSilici::MakeRandomName() {
    FNewName = DirectoryPart(FFileName) + NumberToText(RandomBelow(RandomLimit));
    if (hooks_.nameDrawn) hooks_.nameDrawn(FNewName);
}

void TDosyaSilici::CountBlock(std::int64_t written) {
    byteAccumulator += static_cast<std::int32_t>(written);
    if (static_cast<double>(byteAccumulator.load()) >= bytesPerPercent.load()) {
        ++State().WipePercent;
        byteAccumulator = 0; // the surplus is dropped
    }
}

void TDosyaSilici::WipePass(File& file) {
    // Every write is a whole block, so a size that is not a multiple of the block grows to the next
    // one; at least one block is written, also for an empty file.
    const auto blocks =
        std::max<std::int64_t>(1, (FFileSize + static_cast<std::int64_t>(WipeBlockSize) - 1) / WipeBlockSize);
    const std::uint8_t* patterns[4] = {FZeroBlock, FOneBlock, FRandomBlock, FInverseBlock};
    const std::int64_t groupBlocks = WipeGroupBlocks(blocks);
    for (std::int64_t first = 0; first < blocks; first += groupBlocks) {
        const auto count = static_cast<std::size_t>(std::min(groupBlocks, blocks - first));
        const std::int64_t offset = first * static_cast<std::int64_t>(WipeBlockSize);
        for (int pattern = 0; pattern < 4; ++pattern) {
            file.WriteRepeatedAt(patterns[pattern], WipeBlockSize, count, offset);
            if (hooks_.blockWritten)
                for (std::size_t k = 0; k < count; ++k)
                    hooks_.blockWritten(pattern, offset + static_cast<std::int64_t>(k * WipeBlockSize));
            file.DataSync();
        }
        for (std::size_t k = 0; k < count; ++k)
            CountBlock(static_cast<std::int64_t>(WipeBlockSize));
    }
}

void TDosyaSilici::FinishDeletion(File& file) {
    if (hooks_.beforeCut) hooks_.beforeCut();
    const FileIdentity wiped = file.Identity();
    file.Truncate();
    file.DataSync();
    file.Close();
    auto same = [&](const std::string& path) {
        const auto now = IdentityOfPath(path);
        return now && now->device == wiped.device && now->inode == wiped.inode;
    };
    // Only the wiped file is ever renamed and deleted: a name that another program took meanwhile is
    // left alone, and a random name that is taken is drawn again.
    if (!same(FFileName)) Refuse(FFileName, "It was replaced while it was wiped; the new file was left alone");
    for (int attempt = 0;; ++attempt) {
        std::string reason;
        const RenameResult result = RenameNoReplace(FFileName, FNewName, &reason);
        if (result == RenameResult::Done) break;
        if (result == RenameResult::Failed || attempt == 1000)
            throw ZarkentError("Cannot rename \"" + FFileName + "\" to \"" + FNewName + "\". " + reason,
                               ErrorKind::FileSystem);
        MakeRandomName();
    }
    FFileName = FNewName;
    if (hooks_.afterRename) hooks_.afterRename(FFileName);
    // Between the rename and the removal another program may have put its own file under the random
    // name: only the wiped file is removed.
    if (!same(FFileName)) Refuse(FFileName, "It was replaced while it was wiped; the new file was left alone");
    if (std::string reason; !RemoveFile(FFileName, &reason))
        throw ZarkentError("Cannot delete file \"" + FFileName + "\". " + reason, ErrorKind::FileSystem);
    SyncParentDirectory(FFileName);
}

} // namespace zarkent
