#pragma once

// The secure wipe engine: overwrites a file with four patterns per pass, as many passes as the
// method asks for, then cuts it to zero length, renames it to a random number in its folder and
// deletes it. All the work happens in the constructor; the destructor puts the shared progress
// values back to zero. One wipe runs at a time (the progress values are process-wide).

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>

#include "core/base/Error.h"
#include "core/platform/FileSystem.h"

namespace zarkent {

inline constexpr std::size_t WipeBlockSize = 32768;
inline constexpr int WipeMethodCount = 7;

// Passes of method 0..6 (1, 3, 7, 35, 80, 100, 120); 0 for any other method.
int WipePasses(int method);

// Blocks written with one pattern before they are flushed and the next pattern follows, in a pass over
// `blocks` blocks: a sixteenth of the file (rounded down), at least one block, at most 2048 (64 MiB).
// Progress is counted after each group: a pass over 16 blocks or more counts it at least 16 times.
std::int64_t WipeGroupBlocks(std::int64_t blocks);

// Rounds of extra passes over what was appended to the file during the wipe; still growing after
// them, the file is left under its name.
inline constexpr int WipeGrowthRounds = 3;

// Seams for tests and progress displays: each 32 KiB block written (pattern 0 zeros, 1 ones, 2 random,
// 3 complement; the offset; the last block of a file overwritten only within its own storage may be
// shorter), each random name drawn, the moment before the file is cut to zero, and the moment after it
// took the random name, before that name is checked and removed. `stop`, when set, is read after each
// group of blocks of one pattern has been written and flushed: once true, the wipe ends there.
struct WipeHooks {
    std::function<void(int pattern, std::int64_t offset)> blockWritten;
    std::function<void(const std::string& name)> nameDrawn;
    std::function<void()> beforeCut;
    std::function<void(const std::string& newName)> afterRename;
    const std::atomic<bool>* stop = nullptr;
};

// A wipe that ended before the cut and left the file under its name, partly overwritten: stopped on
// request (kind Cancelled), or the file kept growing (kind FileSystem). `Path()` is the file.
class WipeLeftFile : public ZarkentError {
public:
    enum class Reason { Stopped, KeptChanging };
    WipeLeftFile(Reason reason, const std::string& path);
    Reason Why() const noexcept { return reason_; }
    const std::string& Path() const noexcept { return path_; }

private:
    Reason reason_;
    std::string path_;
};

class TDosyaSilici {
public:
    // Wipes and deletes `FileName`. Regular files only: a link, folder, device, FIFO or socket, a file
    // with other hard links, a read-only file and a file that cannot be opened are refused before
    // anything is written. Errors are ZarkentError naming the file.
    TDosyaSilici(const std::string& FileName, std::uint8_t Method, const WipeHooks& hooks = {});
    ~TDosyaSilici();
    TDosyaSilici(const TDosyaSilici&) = delete;
    TDosyaSilici& operator=(const TDosyaSilici&) = delete;

    std::string FFileName; // after the final rename, the random name
    std::string FNewName;
    std::int64_t FFileSize = 0;
    // Whether the overwrites reached the file's blocks on a device: not in memory (tmpfs, ramfs), and not
    // knowably where the file system writes new data elsewhere (copy-on-write, overlay, network, FUSE).
    OverwriteReach FReach = OverwriteReach::Device;
    bool FReachesDevice = true;
    // Whether the disk was full, so that the file was overwritten only within the storage it owned.
    bool FOverwroteInPlace = false;

    // The shared progress values other than WipePercent (which lives in the shared state).
    static double BytesPerPercent();
    static std::int32_t ByteAccumulator();

private:
    void Wipe(const std::string& FileName, std::uint8_t Method);
    static void ResetProgress();
    void MakeRandomName();
    // Overwrites [begin, dataEnd) of the file with `passes` passes; returns the end of what they wrote.
    std::int64_t WipeRegion(File& file, std::int64_t begin, std::int64_t dataEnd, int passes);
    void WipePass(File& file, std::int64_t begin, std::int64_t dataEnd, std::int64_t& end);
    // Where the passes end when they may use only the storage the file owns.
    static std::int64_t InPlaceEnd(const File& file, std::int64_t dataEnd);
    void FinishDeletion(File& file);
    void CountBlock(std::int64_t written);
    void CheckStop() const;

    // The four patterns as the file receives them: 8192 little-endian 32-bit words each.
    std::uint8_t FZeroBlock[WipeBlockSize];
    std::uint8_t FOneBlock[WipeBlockSize];
    std::uint8_t FRandomBlock[WipeBlockSize];
    std::uint8_t FInverseBlock[WipeBlockSize];
    WipeHooks hooks_;
};

} // namespace zarkent
