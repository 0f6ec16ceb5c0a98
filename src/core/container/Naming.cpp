#include "core/container/Naming.h"

#include "core/cipher/ZarkentLib.h"

namespace zarkent {

bool IsEncryptedFileName(std::string_view path) {
    const std::string name = NamePart(path);
    const std::size_t dot = name.rfind('.');
    return dot != std::string_view::npos && name.substr(dot) == EncryptedExtension;
}

std::string FitName(std::string_view name, std::size_t reserve) {
    if (name.size() + reserve <= MaxNameBytes) return std::string(name);
    const std::size_t dot = name.rfind('.');
    const std::string_view extension =
        dot != std::string_view::npos && dot > 0 && name.size() - dot <= MaxKeptExtensionBytes ? name.substr(dot)
                                                                                               : std::string_view();
    std::size_t keep = MaxNameBytes - std::min(MaxNameBytes, reserve + extension.size());
    // Never cut inside a UTF-8 character.
    while (keep > 0 && (static_cast<unsigned char>(name[keep]) & 0xC0) == 0x80)
        --keep;
    return std::string(name.substr(0, keep)) + std::string(extension);
}

std::string NumberedName(std::string_view folder, std::string_view name, std::int64_t n) {
    const std::string counter = n >= 0 ? "(" + NumberToText(n) + ")" : "";
    return std::string(folder) + counter + FitName(name, counter.size());
}

File CreateUniqueFile(std::string_view folder, std::string_view name, Access access, PartialFile& registration) {
    for (std::int64_t n = -1;; ++n) {
        File file = File::TryCreatePartial(NumberedName(folder, name, n), access, registration);
        if (file.IsOpen()) return file;
    }
}

std::string LinkToUnique(const File& file, std::string_view folder, std::string_view name) {
    for (std::int64_t n = -1;; ++n) {
        const std::string target = NumberedName(folder, name, n);
        std::string reason;
        switch (file.LinkAs(target, &reason)) {
        case File::LinkResult::Done:
            return target;
        case File::LinkResult::TargetExists:
            continue;
        case File::LinkResult::Failed:
            throw ZarkentError("Cannot create file \"" + target + "\". " + reason, ErrorKind::FileSystem);
        }
    }
}

std::string RenameToUnique(const std::string& from, std::string_view folder, std::string_view name) {
    for (std::int64_t n = -1;; ++n) {
        const std::string target = NumberedName(folder, name, n);
        std::string reason;
        switch (RenameNoReplace(from, target, &reason)) {
        case RenameResult::Done:
            return target;
        case RenameResult::TargetExists:
            continue;
        case RenameResult::Failed:
            throw ZarkentError("Cannot rename \"" + from + "\" to \"" + target + "\". " + reason,
                               ErrorKind::FileSystem);
        }
    }
}

std::string SafeStoredName(std::string_view stored, std::string_view encryptedPath) {
    const std::size_t slash = stored.find_last_of("/\\");
    std::string_view name = slash == std::string_view::npos ? stored : stored.substr(slash + 1);
    if (IsPlainFileName(name) && name.size() <= MaxNameBytes) return std::string(name);
    std::string own = NamePart(encryptedPath);
    if (own.size() > EncryptedExtension.size() && own.ends_with(EncryptedExtension))
        own.resize(own.size() - EncryptedExtension.size());
    return own;
}

} // namespace zarkent
