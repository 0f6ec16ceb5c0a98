#include "core/container/PasswordChange.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <optional>

#include "core/base/Secure.h"
#include "core/cipher/ZarkentLib.h"
#include "core/container/AsyncWriter.h"
#include "core/container/Naming.h"
#include "core/container/Random.h"
#include "core/platform/Signals.h"

namespace zarkent {

namespace {

// The payload is read, deciphered, enciphered and written in blocks of this many bytes, each worked
// through in pieces that stay in the processor's cache. Both are whole keystream words (4 bytes), so
// every piece but the file's last starts on a word.
constexpr std::size_t PieceSize = 65540;
constexpr std::size_t BlockSize = PieceSize * 16;
static_assert(PieceSize % 4 == 0 && BlockSize % 4 == 0);

constexpr std::size_t CheckBytes = CheckLength * 4;
constexpr std::size_t HeaderRest = 1 + NameSlots * 4 + 1; // the marks and the name slots

// A temporary name beside `path`, as the encryptor's temporary files are named: the file's name
// (shortened when needed), TempInfix and a random number below 999.
std::string TemporaryName(const std::string& path) {
    constexpr std::uint32_t bound = 999;
    const std::size_t digits = NumberToText(bound - 1).size();
    return DirectoryPart(path) + FitName(NamePart(path), TempInfix.size() + digits) + std::string(TempInfix) +
           NumberToText(RandomBelow(bound));
}

// A temporary name that nothing has yet.
std::string FreeTemporaryName(const std::string& path) {
    std::string name;
    for (int attempt = 0; attempt < 1000; ++attempt) {
        name = TemporaryName(path);
        if (!PathExists(name)) return name;
    }
    throw ZarkentError("Cannot create file \"" + name + "\". " + SystemErrorText(EEXIST), ErrorKind::FileSystem);
}

[[noreturn]] void LeftUnchanged(const std::string& path, const std::string& why,
                                ErrorKind kind = ErrorKind::FileSystem) {
    throw ZarkentError("The password of \"" + path + "\" was not changed: " + why, kind);
}

// The new file while it is made: without a name where the system can name it later (nothing of it then
// outlives the process however that ends), else under a temporary name registered for the signal
// cleanup. Before the exchange it holds the new contents, after it the old ones: whatever a signal
// removes under its name, `path` still names a whole file.
struct Replacement {
    File file;
    std::string name; // empty while the file has no name
    PartialFile registration;

    explicit Replacement(const std::string& path) {
        RandomizeFromClock();
        std::string candidate;
        for (int attempt = 0; attempt < 1000; ++attempt) {
            candidate = TemporaryName(path);
            // Without a name only where it can get one: the exchange needs two names.
            if (File::TemporariesCanBeNamed()) {
                file = File::CreateTemporary(candidate, Access::OwnerOnly);
                if (file.IsOpen()) return;
            }
            file = File::TryCreatePartial(candidate, Access::OwnerOnly, registration);
            if (file.IsOpen()) {
                name = candidate;
                return;
            }
        }
        throw ZarkentError("Cannot create file \"" + candidate + "\". " + SystemErrorText(EEXIST),
                           ErrorKind::FileSystem);
    }

    // Gives the complete file its temporary name.
    void Link(const std::string& path) {
        if (!name.empty()) return;
        std::string candidate;
        for (int attempt = 0; attempt < 1000; ++attempt) {
            candidate = TemporaryName(path);
            // Registered before it has the name, and unregistered again if the name is someone else's.
            const SignalHold hold;
            PartialFile entry = PartialFile::Required(candidate);
            std::string reason;
            const RenameResult result = file.LinkAs(candidate, &reason);
            if (result == RenameResult::Done) {
                name = candidate;
                registration = std::move(entry);
                return;
            }
            if (result == RenameResult::Failed)
                throw ZarkentError("Cannot create file \"" + candidate + "\". " + reason, ErrorKind::FileSystem);
        }
        throw ZarkentError("Cannot create file \"" + candidate + "\". " + SystemErrorText(EEXIST),
                           ErrorKind::FileSystem);
    }

    void Discard() {
        file = File();
        if (!name.empty()) RemoveFile(name);
        name.clear();
    }
};

bool Cancelled(const StreamContext& context) {
    return context.cancelRequested && context.cancelRequested->load(std::memory_order_relaxed);
}

// Reports the share of the payload done, as a position from 0 to 100, each position once.
struct Progress {
    ProgressSink* sink;
    std::uint64_t total;
    int posted = -1;

    void Done(std::uint64_t done) {
        if (!sink) return;
        const int position =
            done >= total ? 100 : static_cast<int>(100.0 * static_cast<double>(done) / static_cast<double>(total));
        if (position == posted) return;
        posted = position;
        sink->SetPosition(position);
    }
};

// Checks the old password and the layout, and returns the new file's check block, marks and name slots.
std::array<std::uint8_t, CheckBytes + HeaderRest> NewHeader(File& old, const std::string& path, TZarkenter& oldCipher,
                                                            TZarkenter& newCipher) {
    std::array<std::uint8_t, CheckBytes + HeaderRest> header{};
    if (old.Read(header.data(), CheckBytes) != CheckBytes)
        throw ZarkentError("Stream read error", ErrorKind::DamagedFile);
    // Another password matches no word of the check block but by a 2^-32 chance each; a block that
    // matches in most words and not in all was damaged on its way.
    const auto expected = MakeCheckBlock(oldCipher);
    std::size_t matching = 0;
    for (std::size_t i = 0; i < CheckBytes; i += 4)
        matching += std::memcmp(expected.data() + i, header.data() + i, 4) == 0 ? 1 : 0;
    if (matching != CheckLength) {
        if (matching > CheckLength / 2) throw ZarkentError("The check block is damaged", ErrorKind::DamagedFile);
        throw ZarkentError(WrongPasswordMarker, ErrorKind::WrongPassword);
    }

    std::uint8_t* rest = header.data() + CheckBytes;
    if (old.Read(rest, HeaderRest) != HeaderRest) throw ZarkentError("Stream read error", ErrorKind::DamagedFile);
    const std::uint8_t mark = rest[HeaderRest - 1];
    if (rest[0] != mark || (mark != 0x00 && mark != 0xFF))
        throw ZarkentError("Not a Zarkent encrypted file", ErrorKind::DamagedFile);

    std::string name = DecipherName(oldCipher, rest + 1);
    const auto check = MakeCheckBlock(newCipher);
    std::memcpy(header.data(), check.data(), CheckBytes);
    std::memset(rest + 1, 0, NameSlots * 4);
    try {
        // A file whose name slots start with a zero stores no name; it keeps none.
        if (!name.empty()) EncipherName(newCipher, name, rest + 1);
    } catch (const ZarkentError&) {
        SecureClear(name);
        LeftUnchanged(path,
                      "the name stored in it cannot be enciphered with the new password; choose another "
                      "password",
                      ErrorKind::General);
    }
    SecureClear(name);
    return header;
}

// Deciphers the rest of `old` with `oldCipher` and enciphers it with `newCipher` into `output`. False
// when cancelled.
bool Reencipher(File& old, File& output, TZarkenter& oldCipher, TZarkenter& newCipher, const StreamContext& context) {
    const auto total = static_cast<std::uint64_t>(std::max<std::int64_t>(0, old.Size() - old.Position()));
    Progress progress{context.progress, total};
    if (context.progress) context.progress->SetMaximum(100);
    progress.Done(0);
    AsyncWriter writer(output, BlockSize);
    std::uint64_t done = 0;
    bool cancelled = false;
    for (;;) {
        if (Cancelled(context)) {
            cancelled = true;
            break;
        }
        std::uint8_t* block = writer.Acquire();
        const std::size_t count = old.Read(block, BlockSize);
        if (count == 0) break;
        // The plain bytes exist only between the two calls, one piece at a time.
        for (std::size_t at = 0; at < count; at += PieceSize) {
            const std::size_t n = std::min(PieceSize, count - at);
            oldCipher.ApplyKeystream(block + at, n);
            newCipher.ApplyKeystream(block + at, n);
        }
        writer.Submit(count);
        done += count;
        progress.Done(done);
        if (count < BlockSize) break;
    }
    writer.Finish();
    return !cancelled;
}

} // namespace

bool ChangePassword(const std::string& path, std::string_view oldPassword, std::string_view newPassword,
                    const StreamContext& context) {
    File old = File::OpenRead(path);
    const FileIdentity identity = old.Identity();
    // The other names would go on leading to the old file, under the old password.
    if (old.LinkCount() > 1)
        LeftUnchanged(path, "the file has other names (hard links), which would keep the old password");
    TZarkenter oldCipher(oldPassword);
    TZarkenter newCipher(newPassword);
    const auto header = NewHeader(old, path, oldCipher, newCipher);
    if (Cancelled(context)) return false;

    Replacement replacement(path);
    std::string oldFile; // where the old file is once the names are exchanged
    try {
        replacement.file.Write(header.data(), header.size());
        if (!Reencipher(old, replacement.file, oldCipher, newCipher, context)) {
            replacement.Discard();
            return false;
        }
        replacement.file.CopyPermissionsFrom(old);
        replacement.file.Sync();
        if (Cancelled(context)) {
            replacement.Discard();
            return false;
        }
        replacement.Link(path);
        replacement.file.Close();
        old.Close();

        // Another program may have replaced the file (an editor saving), written to it or appended to it
        // meanwhile: then the new file does not hold what the name leads to.
        if (IdentityOfPath(path) != identity)
            LeftUnchanged(path, "another program changed, replaced or removed it meanwhile");
        const std::string backup = FreeTemporaryName(path);
        std::string reason;
        switch (ExchangeFiles(path, replacement.name, backup, &oldFile, &reason)) {
        case ExchangeResult::Done:
            break;
        case ExchangeResult::Unsupported:
            LeftUnchanged(path, "its file system cannot replace a file in one step (" + reason + ")");
        case ExchangeResult::Failed:
            throw ZarkentError("Cannot replace file \"" + path + "\". " + reason, ErrorKind::FileSystem);
        }
    } catch (...) {
        replacement.Discard();
        throw;
    }

    // Puts back what the name held, and removes the new file.
    auto undo = [&] {
        std::string newFile;
        if (ExchangeFiles(path, oldFile, FreeTemporaryName(path), &newFile) == ExchangeResult::Done)
            RemoveFile(newFile);
    };
    // The file that went out is the one that was read: nothing came under the name between the check and
    // the exchange. (The exchange itself changed its change time.)
    const std::optional<FileIdentity> swapped = IdentityOfPath(oldFile);
    if (!swapped || swapped->device != identity.device || swapped->inode != identity.inode ||
        swapped->size != identity.size || swapped->modifiedSeconds != identity.modifiedSeconds ||
        swapped->modifiedNanoseconds != identity.modifiedNanoseconds) {
        undo();
        LeftUnchanged(path, "another program changed, replaced or removed it meanwhile");
    }
    try {
        SyncParentDirectory(path);
    } catch (...) {
        undo(); // not known to be on the disk
        throw;
    }
    if (std::string reason; !RemoveFile(oldFile, &reason))
        throw ZarkentError("The password of \"" + path +
                               "\" was changed, but its old version could not be removed: \"" + oldFile + "\". " +
                               reason,
                           ErrorKind::FileSystem);
    return true;
}

} // namespace zarkent
