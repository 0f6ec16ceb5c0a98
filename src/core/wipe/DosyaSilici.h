#pragma once

// The secure wipe engine: overwrites a file with four patterns per pass, as many passes as the
// method asks for, then cuts it to zero length, renames it to a random number in its folder and
// deletes it. All the work happens in the constructor; the destructor puts the shared progress
// values back to zero. One wipe runs at a time (the progress values are process-wide).

#include <cstdint>
#include <functional>
#include <string>

namespace zarkent {

inline constexpr std::size_t WipeBlockSize = 32768;
inline constexpr int WipeMethodCount = 7;

// Passes of method 0..6 (1, 3, 7, 35, 80, 100, 120); 0 for any other method.
int WipePasses(int method);

// Blocks written with one pattern before they are flushed and the next pattern follows, in a pass over
// `blocks` blocks: a sixteenth of the file (rounded down), at least one block, at most 2048 (64 MiB).
// Progress is counted after each group: a pass over 16 blocks or more counts it at least 16 times.
std::int64_t WipeGroupBlocks(std::int64_t blocks);

// Seams for tests and progress displays: each 32 KiB block written (pattern 0 zeros, 1 ones, 2 random,
// 3 complement; the offset), each random name drawn, the moment before the file is cut to zero, and
// the moment after it took the random name, before that name is checked and removed.
struct WipeHooks {
    std::function<void(int pattern, std::int64_t offset)> blockWritten;
    std::function<void(const std::string& name)> nameDrawn;
    std::function<void()> beforeCut;
    std::function<void(const std::string& newName)> afterRename;
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
    // False when the file lives in memory (tmpfs, ramfs): the overwrites then never reach a device.
    bool FReachesDevice = true;

    // The shared progress values other than WipePercent (which lives in the shared state).
    static double BytesPerPercent();
    static std::int32_t ByteAccumulator();

private:
    void Wipe(const std::string& FileName, std::uint8_t Method);
    static void ResetProgress();
    void MakeRandomName();
    void WipePass(class File& file);
    void FinishDeletion(class File& file);
    void CountBlock(std::int64_t written);

    // The four patterns as the file receives them: 8192 little-endian 32-bit words each.
    std::uint8_t FZeroBlock[WipeBlockSize];
    std::uint8_t FOneBlock[WipeBlockSize];
    std::uint8_t FRandomBlock[WipeBlockSize];
    std::uint8_t FInverseBlock[WipeBlockSize];
    WipeHooks hooks_;
};

} // namespace zarkent
