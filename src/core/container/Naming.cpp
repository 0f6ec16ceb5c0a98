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

namespace {
// The first free candidate of folder + name that `give` (a rename or a link, never replacing) takes.
template <typename Give, typename Failure>
std::string GiveFirstFreeName(std::string_view folder, std::string_view name, Give give, Failure failure) {
    for (std::int64_t n = -1;; ++n) {
        const std::string target = NumberedName(folder, name, n);
        std::string reason;
        switch (give(target, reason)) {
        case RenameResult::Done:
            return target;
        case RenameResult::TargetExists:
            continue;
        case RenameResult::Failed:
            throw ZarkentError(failure(target) + reason, ErrorKind::FileSystem);
        }
    }
}
} // namespace

std::string LinkToUnique(const File& file, std::string_view folder, std::string_view name) {
    return GiveFirstFreeName(
        folder, name, [&](const std::string& target, std::string& reason) { return file.LinkAs(target, &reason); },
        [](const std::string& target) { return "Cannot create file \"" + target + "\". "; });
}

std::string RenameToUnique(const std::string& from, std::string_view folder, std::string_view name) {
    return GiveFirstFreeName(
        folder, name,
        [&](const std::string& target, std::string& reason) { return RenameNoReplace(from, target, &reason); },
        [&](const std::string& target) { return "Cannot rename \"" + from + "\" to \"" + target + "\". "; });
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
