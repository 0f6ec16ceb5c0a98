#pragma once

// The process-wide state that windows and jobs share. Flags and small numbers that job threads read
// or write are atomics; the path lists are touched on the user-interface thread only.

#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

namespace zarkent {

inline constexpr std::size_t MaxListedPaths = 10000;

struct SharedState {
    std::atomic<bool> JobsActive{false};
    std::atomic<bool> CloseWhenJobsFinish{false};
    std::atomic<bool> CancelRequested{false};
    std::atomic<bool> EncryptFailed{false};
    std::atomic<bool> DecryptFailed{false};
    std::atomic<bool> BatchStopRequested{false};
    std::atomic<bool> CompressOption{false};
    std::atomic<std::uint8_t> PriorityIndex{3}; // 0 idle .. 6 time critical
    std::atomic<bool> PriorityChosenByUser{false};
    std::atomic<std::uint8_t> ResultTicks{0};

    // What the command line, a drop or the main window handed on (user-interface thread only).
    std::atomic<std::uint8_t> StartMode{0};
    std::vector<std::string> CmdLineFiles;
    std::int32_t CmdLineFileCount = 0; // the count handed to a batch job
    std::atomic<bool> PasswordDialogFillsMain{false};

    // The folder window's hand-over values (user-interface thread, then read by the batch job it starts).
    std::atomic<std::uint8_t> BatchDirection{0};
    std::string BatchFolder;
    std::string BatchPassword;
    std::vector<std::string> BatchFileList;
    std::atomic<bool> BatchFromMain{false};
    std::atomic<std::int32_t> ScanCount{0};

    std::atomic<std::uint8_t> SelectedLanguage{0};

    std::string ProgramFile;
    std::string ProgramFolder; // with a trailing separator

    std::atomic<std::int32_t> WipePercent{0};
    std::atomic<bool> WipeFinished{false};
    // Set while a secure deletion runs; a stop request makes it end after the group being written.
    std::atomic<bool> WipeRunning{false};
    std::atomic<bool> WipeStopRequested{false};
    std::atomic<std::uint8_t> SelectedWipeMethod{2}; // the method the next secure deletion uses, 0..6
};

// The state of this process.
SharedState& State();

} // namespace zarkent
