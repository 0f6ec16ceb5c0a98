#include "core/container/ZarkentStream.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "core/base/Secure.h"
#include "core/cipher/Bytes.h"
#include "core/container/AsyncWriter.h"
#include "core/container/Naming.h"
#include "core/container/PieceEncipherer.h"
#include "core/container/Random.h"
#include "core/container/ZlibStreams.h"

namespace zarkent {

TZarkentStreamSifreleyici::TZarkentStreamSifreleyici(std::string_view APassword, std::uint8_t AMode,
                                                     const std::string& AEncryptedName, const std::string& APlainName,
                                                     bool AVerify, const StreamContext& context)
    : context_(context) {
    FPlainName = APlainName;
    Setup(APassword, AMode, AVerify);
    if (AMode == ModeDecrypt) {
        FEncryptedStream = File::OpenRead(AEncryptedName);
        FPlainStream = File::CreateNew(APlainName, Access::OwnerOnly);
    } else if (AMode == ModeEncrypt) {
        FEncryptedStream = File::CreateNew(AEncryptedName, Access::Shared);
        FPlainStream = File::OpenRead(APlainName);
    }
    Work();
    TakeResult().Close();
}

TZarkentStreamSifreleyici::TZarkentStreamSifreleyici(std::string_view APassword, std::uint8_t AMode, File encrypted,
                                                     File plain, bool AVerify, const StreamContext& context)
    : context_(context) {
    FPlainName = plain.Path();
    resultMayBeUnnamed_ = true;
    Setup(APassword, AMode, AVerify);
    FEncryptedStream = std::move(encrypted);
    FPlainStream = std::move(plain);
    Work();
}

TZarkentStreamSifreleyici::~TZarkentStreamSifreleyici() = default;

File TZarkentStreamSifreleyici::TakeResult() {
    if (FMode == ModeEncrypt) return std::move(FEncryptedStream);
    return std::move(FInflated.IsOpen() ? FInflated : FPlainStream);
}

void TZarkentStreamSifreleyici::Setup(std::string_view password, std::uint8_t mode, bool verify) {
    FCompressionFlag = 0;
    FMode = mode;
    FCancelled = false;
    FCipher = std::make_unique<TZarkenter>(password);
    if (verify) {
        FVerify = true;
        BuildCheckBlock();
    }
    FSucceeded = false;
}

void TZarkentStreamSifreleyici::Work() {
    if (FMode != ModeDecrypt && FMode != ModeEncrypt) return;
    FInBuffer = std::make_unique_for_overwrite<std::uint8_t[]>(BufferSize);
    try {
        if (FMode == ModeDecrypt)
            DecryptFile();
        else
            EncryptFile();
    } catch (...) {
        // The temporary file is ours alone; the caller owns the other two files.
        FEncryptedStream = File();
        FPlainStream = File();
        FInflated = File();
        if (!FTempName.empty()) RemoveFile(FTempName);
        FCipher.reset();
        throw;
    }
    FCipher.reset();
}

std::array<std::uint8_t, CheckLength * 4> MakeCheckBlock(TZarkenter& cipher) {
    std::array<std::uint8_t, CheckLength * 4> block{};
    for (std::size_t i = 0; i < CheckLength; ++i) {
        const auto word = static_cast<std::uint32_t>(cipher.EncipherValue(static_cast<std::uint8_t>(CheckText[i])));
        StoreLE32(block.data() + 4 * i, word);
    }
    return block;
}

void TZarkentStreamSifreleyici::BuildCheckBlock() {
    FCheckExpected = MakeCheckBlock(*FCipher);
}

bool TZarkentStreamSifreleyici::CheckBlockMatches() {
    for (std::size_t i = 0; i < CheckLength * 4; i += 4) {
        if (std::memcmp(FCheckRead.data() + i, FCheckExpected.data() + i, 4) != 0) {
            FSucceeded = false;
            return false;
        }
    }
    return true;
}

bool TZarkentStreamSifreleyici::CancelRequested() const {
    return context_.cancelRequested && context_.cancelRequested->load(std::memory_order_relaxed);
}

void TZarkentStreamSifreleyici::SetStatus(const std::string& text) {
    if (context_.progress) context_.progress->SetStatus(text);
    postedPosition_ = -1; // the next position replaces the text again
}

void TZarkentStreamSifreleyici::BeginPhase(int from, int to, std::uint64_t total, bool underStatus) {
    phaseFrom_ = from;
    phaseTo_ = to;
    phaseTotal_ = total;
    phaseDone_ = 0;
    if (underStatus_ && !underStatus) postedPosition_ = -1; // the percentage takes the status text's place
    underStatus_ = underStatus;
}

void TZarkentStreamSifreleyici::PhaseDone(std::uint64_t done) {
    // A file that grows meanwhile ends its phase early, and never moves the bar back.
    const int reached = done >= phaseTotal_ ? phaseTo_
                                            : phaseFrom_ + static_cast<int>(static_cast<double>(phaseTo_ - phaseFrom_) *
                                                                            static_cast<double>(done) /
                                                                            static_cast<double>(phaseTotal_));
    position_ = std::max(position_, reached);
    if (context_.progress && position_ != postedPosition_) {
        postedPosition_ = position_;
        if (underStatus_)
            context_.progress->MoveBar(position_);
        else
            context_.progress->SetPosition(position_);
    }
}

File TZarkentStreamSifreleyici::CreateTempFile() {
    // The temporary name ends in a random number below TempNumberBound, whose digits the name reserves.
    constexpr std::uint32_t TempNumberBound = 999;
    const std::size_t numberDigits = NumberToText(TempNumberBound - 1).size();
    // Without a name where the system allows it, so that nothing of it outlives the process: the
    // compressed copy of a source always, the inflated result where it can be named once complete.
    const bool unnamed = FMode == ModeEncrypt || (resultMayBeUnnamed_ && File::TemporariesCanBeNamed());
    RandomizeFromClock();
    std::string name;
    for (int attempt = 0; attempt < 1000; ++attempt) {
        name = DirectoryPart(FPlainName) + FitName(NamePart(FPlainName), TempInfix.size() + numberDigits) +
               std::string(TempInfix) + NumberToText(RandomBelow(TempNumberBound));
        if (unnamed) {
            if (File file = File::CreateTemporary(name, Access::OwnerOnly); file.IsOpen()) return file;
        }
        PartialFile registration;
        File file = File::TryCreatePartial(name, Access::OwnerOnly, registration);
        if (file.IsOpen()) {
            FTempName = name;
            tempPartial_.emplace(std::move(registration));
            return file;
        }
    }
    throw ZarkentError("Cannot create file \"" + name + "\". " + SystemErrorText(EEXIST), ErrorKind::FileSystem);
}

// The chunk loop. Data is read and written in blocks of several chunks, and a second thread writes
// while the next block is read and enciphered; cancel polls, progress and the final zero-length read
// still happen chunk by chunk, and a cancel writes nothing past the chunk it stopped before.
void TZarkentStreamSifreleyici::CipherLoop(File& input, File& output) {
    constexpr std::size_t chunksPerBlock = 16;
    AsyncWriter writer(output, BufferSize * chunksPerBlock);
    bool ended = false;
    while (!ended) {
        std::uint8_t* block = writer.Acquire();
        std::size_t available = 0, done = 0;
        for (std::size_t chunk = 0; chunk < chunksPerBlock; ++chunk) {
            if (CancelRequested()) {
                FCancelled = true;
                ended = true;
                break;
            }
            if (FMode == ModeDecrypt) FSucceeded = true;
            if (chunk == 0) available = input.Read(block, BufferSize * chunksPerBlock);
            const std::size_t n = std::min(BufferSize, available - done);
            if (n > 0) FCipher->ApplyKeystream(block + done, n);
            done += n;
            phaseDone_ += n;
            PhaseDone(phaseDone_);
            if (n == 0) {
                ended = true;
                break;
            }
        }
        if (done > 0) writer.Submit(done);
    }
    writer.Finish();
}

void EncipherName(TZarkenter& cipher, std::string_view name, std::uint8_t* slots) {
    if (name.empty() || name.size() > MaxStoredNameLength)
        throw ZarkentError("The file name \"" + std::string(name) +
                           "\" cannot be stored: it must have 1 to 512 characters");
    for (std::size_t i = 0; i < name.size(); ++i) {
        const auto word = static_cast<std::uint32_t>(cipher.EncipherValue(static_cast<std::uint8_t>(name[i])));
        // A zero slot ends the name for the reader, so such a file could never be read back.
        if (word == 0)
            throw ZarkentError("The file name \"" + std::string(name) +
                               "\" cannot be stored with this password; rename the file or choose another password");
        StoreLE32(slots + 4 * i, word);
    }
}

std::string DecipherName(TZarkenter& cipher, const std::uint8_t* slots) {
    std::string name;
    for (std::size_t slot = 0; slot < NameSlots; ++slot) {
        const std::uint32_t stored = LoadLE32(slots + 4 * slot);
        if (stored == 0) break;
        name += static_cast<char>(cipher.DecipherValue(static_cast<std::int32_t>(stored)) & 0xFF);
    }
    return name;
}

void TZarkentStreamSifreleyici::EncryptFile() {
    if (context_.progress) context_.progress->SetMaximum(100);

    if (FVerify) FEncryptedStream.Write(FCheckExpected.data(), FCheckExpected.size());

    std::uint8_t header[1 + NameSlots * 4 + 1] = {};
    EncipherName(*FCipher, NamePart(FPlainName), header + 1);
    FCompressionFlag = context_.compressOption && context_.compressOption->load() ? 0xFF : 0x00;
    header[0] = FCompressionFlag;
    header[sizeof header - 1] = FCompressionFlag;
    FEncryptedStream.Write(header, sizeof header);

    if (FCompressionFlag == 0xFF) {
        if (context_.beforeCompressing) context_.beforeCompressing();
        File temp = CreateTempFile();
        SetStatus(context_.compressingText);
        const auto plainSize = static_cast<std::uint64_t>(FPlainStream.Size());
        BeginPhase(0, 100, plainSize, true);
        // The compressed stream goes to the temporary file and, enciphered as each block comes, on to
        // the output: the cipher works while the compressors do, instead of after them. Buffers a whole
        // number of words long, no longer than a small file needs (more of them if it grows).
        const auto bufferSize =
            static_cast<std::size_t>(std::min<std::uint64_t>(BufferSize * 16, plainSize / 4 * 4 + 4096));
        PieceEncipherer encipherer(*FCipher, FEncryptedStream, bufferSize);
        FCancelled =
            CancelRequested() || !DeflateFile(
                                     FPlainStream, temp, context_.compressionThreads,
                                     [this](std::uint64_t done) {
                                         PhaseDone(done);
                                         return !CancelRequested();
                                     },
                                     [&](const std::uint8_t* data, std::size_t size) { encipherer.Add(data, size); });
        temp.Close();
        if (!FCancelled) {
            encipherer.Finish();
            BeginPhase(100, 100, 0, false); // the percentage takes the text's place
            PhaseDone(0);
        }
    } else {
        BeginPhase(0, 100, static_cast<std::uint64_t>(FPlainStream.Size()), false);
        CipherLoop(FPlainStream, FEncryptedStream);
    }

    if (context_.durable && !FCancelled) FEncryptedStream.Sync();
    FPlainStream.Close();
    if (!FTempName.empty()) RemoveFile(FTempName);
}

void TZarkentStreamSifreleyici::DecryptFile() {
    if (context_.progress) context_.progress->SetMaximum(100);

    if (FVerify) {
        // Too short for a check block: not a .zrk file, whatever the password.
        if (FEncryptedStream.Read(FCheckRead.data(), FCheckRead.size()) != FCheckRead.size())
            throw ZarkentError("Stream read error", ErrorKind::DamagedFile);
        if (!CheckBlockMatches()) {
            FEncryptedStream.Close();
            FPlainStream.Close();
            throw ZarkentError(WrongPasswordMarker, ErrorKind::WrongPassword);
        }
    }

    std::uint8_t header[1 + NameSlots * 4 + 1];
    if (FEncryptedStream.Read(header, sizeof header) != sizeof header)
        throw ZarkentError("Stream read error", ErrorKind::DamagedFile);
    FStoredName = DecipherName(*FCipher, header + 1);
    FCompressionFlag = header[sizeof header - 1];

    const bool compressed = FCompressionFlag == 0xFF;
    const auto payload =
        static_cast<std::uint64_t>(std::max<std::int64_t>(0, FEncryptedStream.Size() - FEncryptedStream.Position()));
    BeginPhase(0, compressed ? DecipherPhaseEnd : 100, payload, false);
    CipherLoop(FEncryptedStream, FPlainStream);

    // A cancelled decryption is discarded by the caller, so its partial stream is not inflated.
    if (compressed && !FCancelled) {
        File temp = CreateTempFile();
        SetStatus(context_.decompressingText);
        FPlainStream.Rewind();
        BeginPhase(DecipherPhaseEnd, 100, static_cast<std::uint64_t>(FPlainStream.Size()), true);
        FCancelled = !InflateFile(FPlainStream, temp, [this](std::uint64_t done) {
            PhaseDone(done);
            return !CancelRequested();
        });
        if (context_.durable && !FCancelled) temp.Sync();
        FInflated = std::move(temp);
        FPlainStream.Close();
    } else if (context_.durable && !FCancelled) {
        FPlainStream.Sync();
    }
    FEncryptedStream.Close();
}

namespace {

// Where the parts of a .zrk file with a check block lie.
constexpr std::size_t NameSlotsAt = CheckLength * 4 + 1;
constexpr std::size_t FirstFlagAt = CheckLength * 4;
constexpr std::size_t LastFlagAt = HeaderSize - 1;

} // namespace

std::string EncryptBytes(std::string_view password, std::string_view storedName, std::string_view plain,
                         bool compress) {
    TZarkenter cipher(password);
    const auto check = MakeCheckBlock(cipher);
    std::string deflated;
    if (compress) deflated = DeflateBytes(plain);
    const std::string_view payload = compress ? std::string_view(deflated) : plain;
    std::string image(HeaderSize + payload.size(), '\0');
    auto* bytes = reinterpret_cast<std::uint8_t*>(image.data());
    std::memcpy(bytes, check.data(), check.size());
    EncipherName(cipher, storedName, bytes + NameSlotsAt);
    bytes[FirstFlagAt] = bytes[LastFlagAt] = compress ? 0xFF : 0x00;
    cipher.ApplyKeystream(reinterpret_cast<const std::uint8_t*>(payload.data()), bytes + HeaderSize, payload.size());
    SecureClear(deflated);
    return image;
}

DecryptedBytes DecryptBytes(std::string_view password, std::string_view image, std::size_t limit) {
    if (image.size() < HeaderSize) throw ZarkentError("Stream read error", ErrorKind::DamagedFile);
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(image.data());
    const std::uint8_t flag = bytes[LastFlagAt];
    if (bytes[FirstFlagAt] != flag || (flag != 0x00 && flag != 0xFF))
        throw ZarkentError("Not a Zarkent encrypted file", ErrorKind::DamagedFile);
    TZarkenter cipher(password);
    // Another password matches no word of the check block but by a 2^-32 chance each; a block that
    // matches in most words and not in all was damaged on its way.
    const auto check = MakeCheckBlock(cipher);
    std::size_t matching = 0;
    for (std::size_t i = 0; i < CheckLength * 4; i += 4)
        matching += std::memcmp(check.data() + i, bytes + i, 4) == 0 ? 1 : 0;
    if (matching != CheckLength) {
        if (matching > CheckLength / 2) throw ZarkentError("The check block is damaged", ErrorKind::DamagedFile);
        throw ZarkentError(WrongPasswordMarker, ErrorKind::WrongPassword);
    }
    DecryptedBytes result;
    result.storedName = DecipherName(cipher, bytes + NameSlotsAt);
    result.compressed = flag == 0xFF;
    const std::size_t payloadSize = image.size() - HeaderSize;
    if (!result.compressed && payloadSize > limit) throw InflateLimitError(limit);
    std::string payload(payloadSize, '\0');
    cipher.ApplyKeystream(bytes + HeaderSize, reinterpret_cast<std::uint8_t*>(payload.data()), payloadSize);
    if (result.compressed) {
        try {
            result.contents = InflateBytes(payload, limit);
        } catch (...) {
            SecureClear(payload);
            throw;
        }
        SecureClear(payload);
    } else {
        result.contents = std::move(payload);
    }
    return result;
}

} // namespace zarkent
