#include "container/FileJob.h"

#include <cerrno>
#include <cstdio>

#include "container/Naming.h"

namespace zarkent {

namespace {
bool CancelSeen(const TZarkentStreamSifreleyici& worker, const StreamContext& context) {
    return worker.FCancelled || (context.cancelRequested && context.cancelRequested->load());
}
} // namespace

EncryptOutcome EncryptOneFile(const std::string& source, std::string_view password, const StreamContext& context) {
    File plain = File::OpenRead(source);
    File output =
        CreateUniqueFile(DirectoryPart(source), NamePart(source) + std::string(EncryptedExtension), Access::Shared);
    const std::string outputPath = output.Path();
    EncryptOutcome outcome;
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
    File intermediate =
        CreateUniqueFile(folder, NamePart(encrypted) + std::string(IntermediateExtension), Access::OwnerOnly);
    const std::string intermediatePath = intermediate.Path();
    std::string tempPath;
    DecryptOutcome outcome;
    try {
        TZarkentStreamSifreleyici decryptor(password, ModeDecrypt, std::move(source), std::move(intermediate), true,
                                            context);
        tempPath = decryptor.FTempName;
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

void RemoveSource(const std::string& path, const FileOutcome&) {
    if (!RemoveFile(path))
        throw ZarkentError("Cannot delete file \"" + path + "\". " + SystemErrorText(errno), ErrorKind::FileSystem);
}

} // namespace zarkent
