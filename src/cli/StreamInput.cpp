#include "cli/StreamInput.h"

#include <cerrno>
#include <ostream>

#include "core/container/Armour.h"
#include "core/container/Naming.h"
#include "core/container/ZlibStreams.h"
#include "core/lang/Language.h"

namespace zarkent::cli {

File OpenInput(const std::string& path) {
    return path == "-" ? File::StandardInput() : File::OpenRead(path);
}

std::uint64_t SizeHint(const File& input) {
    try {
        return static_cast<std::uint64_t>(std::max<std::int64_t>(0, input.Size() - input.Position()));
    } catch (const std::exception&) {
        return 0; // a pipe on a system that has no size for it
    }
}

std::string ReadHead(File& input) {
    std::string head(ArmourSearchSpan + ArmourBeginLine.size() + 2, '\0');
    head.resize(input.Read(head.data(), head.size()));
    return head;
}

std::string ReadRest(File& input, std::string head, std::size_t limit) {
    constexpr std::size_t Piece = 1 << 20;
    std::string all = std::move(head);
    for (;;) {
        if (all.size() > limit)
            throw ZarkentError("The input is larger than " + std::to_string(limit) +
                               " bytes, the most that is encrypted or read as text at once");
        const std::size_t had = all.size();
        all.resize(had + Piece);
        const std::size_t n = input.Read(all.data() + had, Piece);
        all.resize(had + n);
        if (n < Piece) break;
    }
    if (all.size() > limit)
        throw ZarkentError("The input is larger than " + std::to_string(limit) +
                           " bytes, the most that is encrypted or read as text at once");
    return all;
}

DecryptedBytes DecryptArmoured(std::string_view text, std::string_view password) {
    const std::string zrk = DecodeArmour(text);
    try {
        return DecryptBytes(password, zrk, MaxArmouredTextSize);
    } catch (const InflateLimitError& e) {
        throw ArmourError(ArmourProblem::TooLarge, e.what());
    }
}

FileResult ReportFailure(Streams io, const std::string& path, const std::exception& error) {
    if (IsWrongPassword(error)) {
        io.err << Printable(path) << ": " << EnglishText(99) << "\n";
        return FileResult::WrongPassword;
    }
    io.err << Printable(path) << ": " << Printable(error.what()) << "\n";
    return FileResult::Failed;
}

namespace {
[[noreturn]] void Taken(const std::string& path) {
    throw ZarkentError("Cannot create file \"" + path + "\". " + SystemErrorText(EEXIST), ErrorKind::FileSystem);
}
} // namespace

NewFile::NewFile(const std::string& path, Access access) : name_(path) {
    Create(access);
}

NewFile::NewFile(const std::string& folder, const std::string& name, Access access)
    : folder_(folder), name_(name), numbered_(true) {
    Create(access);
}

void NewFile::Create(Access access) {
    const std::string first = numbered_ ? NumberedName(folder_, name_, -1) : name_;
    if (File::TemporariesCanBeNamed()) {
        file_ = File::CreateTemporary(first, access);
        if (file_.IsOpen()) return;
    }
    if (numbered_) {
        file_ = CreateUniqueFile(folder_, name_, access, registration_);
    } else {
        file_ = File::TryCreatePartial(first, access, registration_);
        if (!file_.IsOpen()) Taken(first);
    }
    path_ = file_.Path();
}

NewFile::~NewFile() {
    if (committed_ || path_.empty()) return; // one without a name goes with its handle
    file_.Close();
    RemoveFile(path_);
}

std::string NewFile::Commit() {
    file_.Sync();
    if (path_.empty()) {
        if (numbered_) {
            path_ = LinkToUnique(file_, folder_, name_);
        } else {
            std::string reason;
            switch (file_.LinkAs(name_, &reason)) {
            case RenameResult::Done:
                path_ = name_;
                break;
            case RenameResult::TargetExists:
                Taken(name_);
            case RenameResult::Failed:
                throw ZarkentError("Cannot create file \"" + name_ + "\". " + reason, ErrorKind::FileSystem);
            }
        }
    }
    committed_ = true; // from here on the file stays, whatever happens
    registration_ = PartialFile();
    file_.Close();
    SyncParentDirectory(path_);
    return path_;
}

} // namespace zarkent::cli
