// The parts of the file operations that are the same on every system: the test hook and the
// registry of partial files.

#include <atomic>
#include <cstring>
#include <memory>
#include <mutex>
#include <utility>

#include "core/base/Error.h"
#include "core/platform/FileSystemDetail.h"
#include "core/platform/Signals.h"

namespace zarkent {

OverwriteReach OverwriteReachOfType(std::uint64_t type) {
    // The numbers are 32-bit; a 32-bit system's signed f_type sign-extends the high ones.
    switch (static_cast<std::uint32_t>(type)) {
    case 0x01021994: // tmpfs
    case 0x858458f6: // ramfs
        return OverwriteReach::Memory;
    case 0x9123683e: // btrfs
    case 0x2fc12fc1: // ZFS
    case 0xca451a4e: // bcachefs
    case 0x794c7630: // overlay
    case 0x6969:     // NFS
    case 0x517b:     // SMB
    case 0xff534d42: // CIFS
    case 0xfe534d42: // SMB2
    case 0x65735546: // FUSE
    case 0x00c36400: // Ceph
    case 0x01021997: // 9p
    case 0x5346414f: // AFS
        return OverwriteReach::Elsewhere;
    default:
        return OverwriteReach::Device;
    }
}

namespace {
std::mutex hookMutex;
std::shared_ptr<const FileEventHook> currentHook;
} // namespace

int detail::Announce(FileEvent event, const std::string& path) {
    std::shared_ptr<const FileEventHook> hook;
    {
        std::lock_guard lock(hookMutex);
        hook = currentHook;
    }
    return hook ? (*hook)(event, path) : 0;
}

void SetFileEventHook(FileEventHook hook) {
    std::lock_guard lock(hookMutex);
    currentHook = hook ? std::make_shared<const FileEventHook>(std::move(hook)) : nullptr;
}

namespace {
// Fixed storage, so that a signal handler can read it: a slot's path is complete before the slot is
// marked used, and marked unused before it is written again.
constexpr int PartialSlots = 16;
constexpr std::size_t PartialPathMax = 4096;
char partialPaths[PartialSlots][PartialPathMax];
std::atomic<bool> partialUsed[PartialSlots];
std::mutex partialMutex; // between registering threads only; the handler takes no lock
static_assert(std::atomic<bool>::is_always_lock_free);
} // namespace

PartialFile::PartialFile(const std::string& path) {
    if (path.size() >= PartialPathMax) return;
    std::lock_guard lock(partialMutex);
    for (int i = 0; i < PartialSlots; ++i) {
        if (partialUsed[i].load()) continue;
        std::memcpy(partialPaths[i], path.c_str(), path.size() + 1);
        partialUsed[i].store(true);
        slot_ = i;
        return;
    }
}

PartialFile PartialFile::Required(const std::string& path) {
    PartialFile registration(path);
    if (!registration.Registered())
        throw ZarkentError("Cannot create file \"" + path + "\". " +
                               (path.size() >= PartialPathMax
                                    ? std::string("Its path is too long to be removed safely after an interruption")
                                    : std::string("Too many files are being written at once")),
                           ErrorKind::FileSystem);
    return registration;
}

File File::TryCreatePartial(const std::string& path, Access access, PartialFile& registration) {
    // Signals wait while the file exists unregistered; the jobs' other threads never take them.
    const SignalHold hold;
    File file = TryCreateNew(path, access);
    if (!file.IsOpen()) return file;
    try {
        registration = PartialFile::Required(path);
    } catch (...) {
        file = File();
        RemoveFile(path);
        throw;
    }
    return file;
}

PartialFile::PartialFile(PartialFile&& other) noexcept : slot_(std::exchange(other.slot_, -1)) {}

PartialFile& PartialFile::operator=(PartialFile&& other) noexcept {
    if (this != &other) {
        if (slot_ >= 0) partialUsed[slot_].store(false);
        slot_ = std::exchange(other.slot_, -1);
    }
    return *this;
}

PartialFile::~PartialFile() {
    if (slot_ >= 0) partialUsed[slot_].store(false);
}

void RemovePartialFiles() noexcept {
    for (int i = 0; i < PartialSlots; ++i)
        if (partialUsed[i].load()) detail::RemovePartialPath(partialPaths[i]);
}

} // namespace zarkent
