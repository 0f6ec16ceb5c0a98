#include "core/container/FileJob.h"

#include <cstdio>
#include <optional>

#include "core/container/Naming.h"

namespace zarkent {

namespace {
bool CancelSeen(const TZarkentStreamSifreleyici& worker, const StreamContext& context) {
    return worker.FCancelled || (context.cancelRequested && context.cancelRequested->load());
}

// An output or intermediate of a job. Without a name where the system can name it later: nothing of it
// outlives the process, however that ends, and an output appears under its name only when complete.
// Elsewhere the first free candidate name, registered for the signal cleanup.
struct JobFile {
    File file;
    std::string path; // empty while the file has no name
    PartialFile registration;

    JobFile(std::string_view folder, std::string_view name, Access access) {
        if (File::TemporariesCanBeNamed()) {
            file = File::CreateTemporary(NumberedName(folder, name, -1), access);
            if (file.IsOpen()) return;
        }
        file = CreateUniqueFile(folder, name, access, registration);
        path = file.Path();
    }

    // Removes a named partial file; one without a name goes with its last handle.
    void Discard() const {
        if (!path.empty()) RemoveFile(path);
    }
};
} // namespace

EncryptOutcome EncryptOneFile(const std::string& source, std::string_view password, const StreamContext& context) {
    File plain = File::OpenRead(source);
    const FileIdentity identity = plain.Identity();
    const std::string folder = DirectoryPart(source);
    const std::string name = NamePart(source) + std::string(EncryptedExtension);
    JobFile output(folder, name, Access::Shared);
    EncryptOutcome outcome;
    outcome.encrypted = true;
    outcome.sourceIdentity = identity;
    try {
        TZarkentStreamSifreleyici encryptor(password, ModeEncrypt, std::move(output.file), std::move(plain), true,
                                            context);
        if (CancelSeen(encryptor, context)) {
            output.Discard();
            outcome.cancelled = true;
            return outcome;
        }
        File result = encryptor.TakeResult();
        // Complete (and flushed where the source is then removed): now it gets its name.
        if (output.path.empty()) output.path = LinkToUnique(result, folder, name);
        result.Close();
        if (context.durable) SyncParentDirectory(output.path);
    } catch (...) {
        output.Discard();
        throw;
    }
    outcome.output = output.path;
    return outcome;
}

DecryptOutcome DecryptOneFile(const std::string& encrypted, std::string_view password, const StreamContext& context) {
    const std::string folder = DirectoryPart(encrypted);
    File source = File::OpenRead(encrypted);
    const FileIdentity identity = source.Identity();
    JobFile intermediate(folder, NamePart(encrypted) + std::string(IntermediateExtension), Access::OwnerOnly);
    std::optional<PartialFile> partialTemp;
    std::string tempPath;
    File result;
    DecryptOutcome outcome;
    outcome.sourceIdentity = identity;
    try {
        TZarkentStreamSifreleyici decryptor(password, ModeDecrypt, std::move(source), std::move(intermediate.file),
                                            true, context);
        tempPath = decryptor.FTempName;
        if (!tempPath.empty()) partialTemp.emplace(tempPath);
        if (CancelSeen(decryptor, context)) {
            intermediate.Discard();
            if (!tempPath.empty()) RemoveFile(tempPath);
            outcome.cancelled = true;
            return outcome;
        }
        outcome.storedName = SafeStoredName(decryptor.FStoredName, encrypted);
        outcome.compressed = decryptor.FCompressionFlag == 0xFF;
        result = decryptor.TakeResult();
    } catch (...) {
        intermediate.Discard();
        if (!tempPath.empty()) RemoveFile(tempPath);
        throw;
    }

    // The restored contents are complete and on the disk; from here on they are never deleted.
    if (outcome.compressed) intermediate.Discard(); // only the compressed stream: the result is the inflated file
    const std::string& contents = outcome.compressed ? tempPath : intermediate.path;
    if (contents.empty()) {
        outcome.output = LinkToUnique(result, folder, outcome.storedName);
        result.Close();
    } else {
        result.Close();
        outcome.output = RenameToUnique(contents, folder, outcome.storedName);
    }
    if (context.durable) SyncParentDirectory(outcome.output);
    return outcome;
}

void RemoveSource(const std::string& path, const FileOutcome& outcome) {
    // Another program may have replaced the file (an editor saving), written to it or appended to
    // it meanwhile: then the output does not hold what the name now leads to.
    const std::optional<FileIdentity> now = IdentityOfPath(path);
    if (!now)
        throw ZarkentError("The file \"" + path + "\" was removed by another program while it was " +
                               (outcome.encrypted ? "encrypted" : "decrypted") + "; the output \"" + outcome.output +
                               "\" was kept",
                           ErrorKind::FileSystem);
    if (*now != outcome.sourceIdentity)
        throw ZarkentError("The file \"" + path + "\" changed while it was " +
                               (outcome.encrypted ? "encrypted" : "decrypted") + ", so it was kept",
                           ErrorKind::FileSystem);
    if (std::string reason; !RemoveFile(path, &reason))
        throw ZarkentError("Cannot delete file \"" + path + "\". " + reason, ErrorKind::FileSystem);
}

} // namespace zarkent
