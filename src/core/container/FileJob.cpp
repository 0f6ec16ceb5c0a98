#include "core/container/FileJob.h"

#include <cstdio>
#include <optional>

#include "core/container/Naming.h"

namespace zarkent {

namespace {
bool CancelSeen(const TZarkentStreamSifreleyici& worker, const StreamContext& context) {
    return worker.FCancelled || (context.cancelRequested && context.cancelRequested->load());
}
} // namespace

EncryptOutcome EncryptOneFile(const std::string& source, std::string_view password, const StreamContext& context) {
    File plain = File::OpenRead(source);
    const FileIdentity identity = plain.Identity();
    File output =
        CreateUniqueFile(DirectoryPart(source), NamePart(source) + std::string(EncryptedExtension), Access::Shared);
    const std::string outputPath = output.Path();
    const PartialFile partial(outputPath); // until it is complete and on the disk
    EncryptOutcome outcome;
    outcome.encrypted = true;
    outcome.sourceIdentity = identity;
    try {
        TZarkentStreamSifreleyici encryptor(password, ModeEncrypt, std::move(output), std::move(plain), true, context);
        if (CancelSeen(encryptor, context)) {
            RemoveFile(outputPath);
            outcome.cancelled = true;
            return outcome;
        }
        if (context.durable) SyncParentDirectory(outputPath);
    } catch (...) {
        RemoveFile(outputPath);
        throw;
    }
    outcome.output = outputPath;
    return outcome;
}

DecryptOutcome DecryptOneFile(const std::string& encrypted, std::string_view password, const StreamContext& context) {
    const std::string folder = DirectoryPart(encrypted);
    File source = File::OpenRead(encrypted);
    const FileIdentity identity = source.Identity();
    File intermediate =
        CreateUniqueFile(folder, NamePart(encrypted) + std::string(IntermediateExtension), Access::OwnerOnly);
    const std::string intermediatePath = intermediate.Path();
    const PartialFile partial(intermediatePath);
    std::optional<PartialFile> partialTemp;
    std::string tempPath;
    DecryptOutcome outcome;
    outcome.sourceIdentity = identity;
    try {
        TZarkentStreamSifreleyici decryptor(password, ModeDecrypt, std::move(source), std::move(intermediate), true,
                                            context);
        tempPath = decryptor.FTempName;
        if (!tempPath.empty()) partialTemp.emplace(tempPath);
        if (CancelSeen(decryptor, context)) {
            RemoveFile(intermediatePath);
            if (!tempPath.empty()) RemoveFile(tempPath);
            outcome.cancelled = true;
            return outcome;
        }
        outcome.storedName = SafeStoredName(decryptor.FStoredName, encrypted);
        outcome.compressed = decryptor.FCompressionFlag == 0xFF;
    } catch (...) {
        RemoveFile(intermediatePath);
        if (!tempPath.empty()) RemoveFile(tempPath);
        throw;
    }

    // The restored contents are complete and on the disk; from here on they are never deleted.
    const std::string& contents = outcome.compressed ? tempPath : intermediatePath;
    if (outcome.compressed) RemoveFile(intermediatePath); // only the compressed stream: the result is in tempPath
    outcome.output = RenameToUnique(contents, folder, outcome.storedName);
    if (context.durable) SyncParentDirectory(outcome.output);
    return outcome;
}

void RemoveSource(const std::string& path, const FileOutcome& outcome) {
    // Another program may have replaced the file (an editor saving), written to it or appended to
    // it meanwhile: then the output does not hold what the name now leads to.
    const std::optional<FileIdentity> now = IdentityOfPath(path);
    if (!now || *now != outcome.sourceIdentity)
        throw ZarkentError("The file \"" + path + "\" changed while it was " +
                               (outcome.encrypted ? "encrypted" : "decrypted") + ", so it was kept",
                           ErrorKind::FileSystem);
    if (std::string reason; !RemoveFile(path, &reason))
        throw ZarkentError("Cannot delete file \"" + path + "\". " + reason, ErrorKind::FileSystem);
}

} // namespace zarkent
