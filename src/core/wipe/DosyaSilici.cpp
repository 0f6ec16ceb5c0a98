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

constexpr auto Block = static_cast<std::int64_t>(WipeBlockSize);

std::int64_t BlocksIn(std::int64_t bytes) {
    return (bytes + Block - 1) / Block;
}

std::string LeftFileText(WipeLeftFile::Reason reason, const std::string& path) {
    if (reason == WipeLeftFile::Reason::Stopped)
        return "The wipe of \"" + path + "\" was stopped; the file was left under its name, partly overwritten.";
    return "Cannot wipe file \"" + path + "\". It kept changing during the wipe (it was still growing after " +
           std::to_string(WipeGrowthRounds) +
           " rounds over what was added); it was left under its name, partly overwritten.";
}
} // namespace

WipeLeftFile::WipeLeftFile(Reason reason, const std::string& path)
    : ZarkentError(LeftFileText(reason, path),
                   reason == Reason::Stopped ? ErrorKind::Cancelled : ErrorKind::FileSystem),
      reason_(reason), path_(path) {}

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
    FReach = file.Reach();
    FReachesDevice = FReach == OverwriteReach::Device;
    MakeRandomName();

    const int passes = WipePasses(Method);
    if (passes == 0) return;
    bytesPerPercent = static_cast<double>(FFileSize * passes) / 100.0;
    try {
        std::int64_t covered = WipeRegion(file, 0, FFileSize, passes);
        // Another program may have appended to the file meanwhile: what it added gets the same passes,
        // and only a file that stopped growing is cut. The promise is about what the last look found.
        for (int round = 0;; ++round) {
            const std::int64_t size = file.Size();
            if (size <= covered) break;
            if (round == WipeGrowthRounds) throw WipeLeftFile(WipeLeftFile::Reason::KeptChanging, FFileName);
            covered = WipeRegion(file, covered, size, passes);
        }
    } catch (const WipeLeftFile&) {
        throw;
    } catch (const ZarkentError& e) {
        throw ZarkentError(std::string(e.what()) + "; the file was left under its name, partly overwritten.", e.Kind());
    }
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

void TDosyaSilici::CheckStop() const {
    if (hooks_.stop && hooks_.stop->load()) throw WipeLeftFile(WipeLeftFile::Reason::Stopped, FFileName);
}

std::int64_t TDosyaSilici::InPlaceEnd(const File& file, std::int64_t dataEnd) {
    // Up to the end of the last fragment the data touches, where the file owns it; never less than the
    // data itself, which the file owns wherever it is not sparse.
    const std::int64_t fragment = std::max<std::int64_t>(1, file.FragmentSize());
    const std::int64_t rounded = (dataEnd + fragment - 1) / fragment * fragment;
    return std::max(dataEnd, std::min(rounded, file.AllocatedSize()));
}

std::int64_t TDosyaSilici::WipeRegion(File& file, std::int64_t begin, std::int64_t dataEnd, int passes) {
    // Whole blocks, which may make the file longer (at least one block, also for an empty file); on a
    // full disk only the storage the file owns.
    std::int64_t end = FOverwroteInPlace ? InPlaceEnd(file, dataEnd)
                                         : begin + std::max<std::int64_t>(1, BlocksIn(dataEnd - begin)) * Block;
    for (int pass = 0; pass < passes; ++pass)
        WipePass(file, begin, dataEnd, end);
    return end;
}

void TDosyaSilici::WipePass(File& file, std::int64_t begin, std::int64_t dataEnd, std::int64_t& end) {
    const std::uint8_t* patterns[4] = {FZeroBlock, FOneBlock, FRandomBlock, FInverseBlock};
    const std::int64_t groupBlocks = WipeGroupBlocks(BlocksIn(end - begin));
    // The bytes of one pattern over a group: whole blocks, and a shorter last one within owned storage.
    auto write = [&](const std::uint8_t* pattern, std::int64_t offset, std::int64_t bytes) {
        const auto whole = static_cast<std::size_t>(bytes / Block);
        const auto rest = static_cast<std::size_t>(bytes % Block);
        if (whole > 0 && !file.WriteRepeatedAtUnlessFull(pattern, WipeBlockSize, whole, offset)) return false;
        return rest == 0 ||
               file.WriteRepeatedAtUnlessFull(pattern, rest, 1, offset + static_cast<std::int64_t>(whole) * Block);
    };
    for (std::int64_t offset = begin; offset < end; offset += groupBlocks * Block) {
        for (int pattern = 0; pattern < 4; ++pattern) {
            std::int64_t bytes = std::min(groupBlocks * Block, end - offset);
            while (bytes > 0 && !write(patterns[pattern], offset, bytes)) {
                // No room to make the file longer: overwrite what it owns instead. The blocks before the
                // data's end are owned, so this happens at most once.
                if (FOverwroteInPlace)
                    throw ZarkentError("Cannot write file \"" + FFileName + "\". " + SystemErrorText(ENOSPC),
                                       ErrorKind::FileSystem);
                FOverwroteInPlace = true;
                end = InPlaceEnd(file, dataEnd);
                bytes = std::min(groupBlocks * Block, end - offset);
            }
            if (bytes <= 0) break;
            if (hooks_.blockWritten)
                for (std::int64_t at = offset; at < offset + bytes; at += Block)
                    hooks_.blockWritten(pattern, at);
            file.DataSync();
            CheckStop();
        }
        for (std::int64_t k = BlocksIn(std::max<std::int64_t>(0, std::min(groupBlocks * Block, end - offset))); k > 0;
             --k)
            CountBlock(Block);
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
