#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "core/cipher/ZarkentLib.h"
#include "core/platform/FileSystem.h"

namespace zarkent {

// Where the encryptor reports progress: bar maximum, bar position (shown as "N%"), and the status
// text while a whole-file compression or decompression runs, during which the bar moves under the
// text. Positions run from 0 to 100 over the whole operation, never back, and are posted only when
// they change.
class ProgressSink {
public:
    virtual ~ProgressSink() = default;
    virtual void SetMaximum(int maximum) = 0;
    // The bar and the percentage text.
    virtual void SetPosition(int position) = 0;
    virtual void SetStatus(const std::string& text) = 0;
    // The bar alone: the status text stays.
    virtual void MoveBar(int position) = 0;
};

// What the encryptor reads from, and reports to, the rest of the program.
struct StreamContext {
    ProgressSink* progress = nullptr;
    const std::atomic<bool>* cancelRequested = nullptr; // polled once per chunk or compression block
    const std::atomic<bool>* compressOption = nullptr;  // read when encrypting
    std::string compressingText = "Compressing ...";
    std::string decompressingText = "Decompressing ...";
    std::function<void()> beforeCompressing; // runs once when a compression starts
    bool durable = true;                     // flush the finished output to the disk before closing it
    unsigned compressionThreads = 0;         // 0: one per core
};

// Where the bar stands between the phases of a compressed decryption, after their usual share of the
// time: inflating takes about four times as long as deciphering its input (more for text, less for
// data that does not compress). A compressed encryption is one phase: each block is enciphered as soon
// as it is compressed.
inline constexpr int DecipherPhaseEnd = 20; // deciphering up to here, then inflating

inline constexpr std::uint8_t ModeDecrypt = 1;
inline constexpr std::uint8_t ModeEncrypt = 2;
inline constexpr char CheckText[] = "a0b1c2d3e4f5g6h8i8j9klmnoprstuvyzqxw_";
inline constexpr std::size_t CheckLength = 37;
inline constexpr std::size_t NameSlots = 512;
inline constexpr std::size_t HeaderSize = CheckLength * 4 + 1 + NameSlots * 4 + 1; // 2198
inline constexpr std::string_view TempInfix = "_____.tmp.tzl.";

// Writes the enciphered bytes of `name` into the first name.size() slots (little-endian words) at
// `slots`, one keystream step each. Throws when the name cannot be stored: empty, longer than 512
// bytes, or a character that enciphers to 0 (the reader would take it for the end of the name).
void EncipherName(TZarkenter& cipher, std::string_view name, std::uint8_t* slots);
// Reads a name back from the NameSlots slots at `slots`: up to the first zero slot, one keystream step
// per character.
std::string DecipherName(TZarkenter& cipher, const std::uint8_t* slots);
// The check block of a cipher fresh from its password: CheckText enciphered, one little-endian word per
// character.
std::array<std::uint8_t, CheckLength * 4> MakeCheckBlock(TZarkenter& cipher);

// A whole .zrk file held in memory, for small contents such as a typed text: the layout of a file with
// its check block, `storedName` as the stored name, the contents deflated when `compress` is set.
std::string EncryptBytes(std::string_view password, std::string_view storedName, std::string_view plain, bool compress);

struct DecryptedBytes {
    std::string storedName;
    std::string contents;
    bool compressed = false;
};

// Reads a .zrk file held in memory. Throws ZarkentError: DamagedFile when the bytes are too short for the
// layout or their two compression marks are not a matching pair of 0x00 or 0xFF (not a .zrk file), when
// the check block matches the password in most words but not in all, or when compressed contents are
// broken; WrongPassword when the check block does not match; and
// InflateLimitError (or, for stored contents, the same text) when the contents exceed `limit` bytes.
DecryptedBytes DecryptBytes(std::string_view password, std::string_view image, std::size_t limit);

// One complete file operation, done inside the constructor: encrypts a plain file into the .zrk
// layout or decrypts a .zrk file into its plain contents (the intermediate file), with optional zlib
// compression through a temporary file beside the plain-side file.
//
// Failures are thrown as ZarkentError; a wrong password is the message WrongPasswordMarker. The
// output files are created exclusively; a temporary file that the object made is removed on failure.
class TZarkentStreamSifreleyici {
public:
    // Opens the files by name: the output is created exclusively and must not exist.
    TZarkentStreamSifreleyici(std::string_view APassword, std::uint8_t AMode, const std::string& AEncryptedName,
                              const std::string& APlainName, bool AVerify, const StreamContext& context = {});
    // Works on files the caller has opened: in encrypt mode `encrypted` is a new file and `plain` is
    // open for reading; in decrypt mode the other way round.
    TZarkentStreamSifreleyici(std::string_view APassword, std::uint8_t AMode, File encrypted, File plain, bool AVerify,
                              const StreamContext& context = {});
    ~TZarkentStreamSifreleyici();

    // The file that holds the result, still open (flushed when the context asks for it): the .zrk
    // file, or the restored contents (the intermediate, or the inflated file when compressed). The
    // caller names it (a file without a name) or closes it.
    File TakeResult();

    bool FCancelled = false;
    std::string FPlainName;
    std::string FStoredName;
    std::string FTempName;
    bool FSucceeded = false;
    std::uint8_t FCompressionFlag = 0;

private:
    void Setup(std::string_view password, std::uint8_t mode, bool verify);
    void Work();
    void BuildCheckBlock();
    bool CheckBlockMatches();
    void EncryptFile();
    void DecryptFile();
    File CreateTempFile();
    void CipherLoop(File& input, File& output);
    // Progress: a phase covers positions `from` to `to` while `total` bytes are worked through; under
    // a status text only the bar moves.
    void BeginPhase(int from, int to, std::uint64_t total, bool underStatus);
    void PhaseDone(std::uint64_t done);
    void SetStatus(const std::string& text);
    bool CancelRequested() const;

    std::unique_ptr<TZarkenter> FCipher;
    static constexpr std::size_t BufferSize = 65540;
    std::unique_ptr<std::uint8_t[]> FInBuffer;
    std::optional<PartialFile> tempPartial_; // the temporary file, while it is written
    File FEncryptedStream;
    File FPlainStream;
    File FInflated;                   // a compressed decryption's result
    bool resultMayBeUnnamed_ = false; // the caller takes the result with TakeResult and names it
    std::uint8_t FMode = 0;
    std::array<std::uint8_t, CheckLength * 4> FCheckExpected{};
    std::array<std::uint8_t, CheckLength * 4> FCheckRead{};
    bool FVerify = false;

    StreamContext context_;
    int phaseFrom_ = 0, phaseTo_ = 100;
    std::uint64_t phaseTotal_ = 0, phaseDone_ = 0;
    bool underStatus_ = false;
    int position_ = 0;
    int postedPosition_ = -1;
};

} // namespace zarkent
