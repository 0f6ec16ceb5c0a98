#include "core/platform/ShellWriter.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <pwd.h>
#include <set>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

#include "core/base/Error.h"
#include "core/platform/FileSystem.h"
#include "core/platform/SecureRandom.h"
#include "core/platform/Signals.h"
#include "core/shell/SharedFileEdits.h"

extern char** environ;

namespace zarkent {

namespace {

using shell::LinuxOperation;

// Far above any real mimeapps.list or uca.xml; a bigger file is not read into memory.
constexpr std::int64_t MaxFileSize = 16 * 1024 * 1024;

// A failure that concerns a whole folder (it cannot be created or written): reported once, and
// nothing below `blocked` is reported again. An empty `blocked` means it was reported already.
struct FolderProblem {
    std::string blocked; // the folder that cannot be used
    std::string folder;  // the folder that was wanted
    std::string reason;
};
// A failure that concerns one file; the message names it.
struct FileProblem {
    std::string message;
};

std::string Quoted(const std::string& path) {
    return "\"" + path + "\"";
}

std::string FolderOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos || slash == 0 ? "/" : path.substr(0, slash);
}

std::string WithoutTrailingSlashes(std::string path) {
    while (path.size() > 1 && path.back() == '/')
        path.pop_back();
    return path;
}

struct Existing {
    bool exists = false;
    bool regular = false;
    std::string content;
    FileIdentity identity;
    mode_t mode = 0;
};

// What `path` holds now; the content of a regular file only when `withContent`. A link is not followed.
Existing ReadExisting(const std::string& path, bool withContent) {
    Existing existing;
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0) {
        if (errno == ENOENT || errno == ENOTDIR) return existing;
        throw FileProblem{"Cannot read file " + Quoted(path) + ". " + SystemErrorText(errno)};
    }
    existing.exists = true;
    existing.regular = S_ISREG(info.st_mode);
    existing.mode = info.st_mode;
    if (!existing.regular || !withContent) return existing;
    if (info.st_size > MaxFileSize)
        throw FileProblem{Quoted(path) + " was left unchanged: it is larger than any such file should be."};
    try {
        File file = File::OpenRead(path);
        existing.identity = file.Identity();
        existing.content.resize(static_cast<std::size_t>(file.Size()));
        existing.content.resize(file.Read(existing.content.data(), existing.content.size()));
        char extra;
        if (file.Read(&extra, 1) != 0)
            throw FileProblem{Quoted(path) + " was left unchanged: it grew while being read."};
    } catch (const ZarkentError&) {
        if (!PathExists(path)) return Existing{}; // removed meanwhile: as good as missing
        throw;
    }
    return existing;
}

bool HasMarkerLine(const std::string& content, const std::string& marker) {
    for (std::size_t pos = 0; pos <= content.size();) {
        std::size_t end = content.find('\n', pos);
        if (end == std::string::npos) end = content.size();
        if (content.compare(pos, end - pos, marker) == 0 && end - pos == marker.size()) return true;
        pos = end + 1;
    }
    return false;
}

std::string RandomSuffix() {
    unsigned char bytes[4];
    SecureRandomBytes(bytes, sizeof bytes);
    char text[9];
    std::snprintf(text, sizeof text, "%02x%02x%02x%02x", bytes[0], bytes[1], bytes[2], bytes[3]);
    return text;
}

// The reason in a file-system error about `path`, without the path itself.
std::string ReasonAbout(const std::string& message, const std::string& path) {
    const std::string named = Quoted(path) + ". ";
    const std::size_t at = message.find(named);
    return at == std::string::npos ? message : message.substr(at + named.size());
}

std::string FindInPath(const std::string& tool) {
    const char* path = std::getenv("PATH");
    const std::string folders = path ? path : "/usr/local/bin:/usr/bin:/bin";
    for (std::size_t pos = 0; pos <= folders.size();) {
        std::size_t end = folders.find(':', pos);
        if (end == std::string::npos) end = folders.size();
        const std::string folder = folders.substr(pos, end - pos);
        pos = end + 1;
        if (folder.empty() || folder.front() != '/') continue; // never the current folder
        const std::string candidate = folder + "/" + tool;
        struct stat info {};
        if (::stat(candidate.c_str(), &info) == 0 && S_ISREG(info.st_mode) && ::access(candidate.c_str(), X_OK) == 0)
            return candidate;
    }
    return {};
}

bool OlderThan(const struct timespec& a, const struct timespec& b) {
    return a.tv_sec < b.tv_sec || (a.tv_sec == b.tv_sec && a.tv_nsec < b.tv_nsec);
}

class Writer {
public:
    Writer(const ShellFolders& folders, const ShellWriteOptions& options) : folders_(folders), options_(options) {}

    void Apply(const LinuxOperation& operation) {
        const std::string path = Resolve(operation);
        try {
            switch (operation.kind) {
            case LinuxOperation::Kind::WriteFile:
                WriteOwn(path, operation);
                break;
            case LinuxOperation::Kind::RemoveFile:
                RemoveOwn(path, operation);
                break;
            case LinuxOperation::Kind::SetDefaultApp:
                EditShared(path, [&](const std::string& text) -> std::optional<std::string> {
                    return shell::SetDefaultApplication(text, operation.key, operation.content);
                });
                break;
            case LinuxOperation::Kind::PutThunarAction:
                EditShared(path, [&](const std::string& text) -> std::optional<std::string> {
                    shell::ThunarEdit edit = shell::PutThunarAction(text, operation.key, operation.content);
                    if (!edit.text)
                        throw FileProblem{Quoted(path) +
                                          " was left unchanged: it is not a well-formed list of Thunar "
                                          "actions (" +
                                          edit.problem + "), so the folder entry is missing from Thunar."};
                    return edit.text;
                });
                break;
            case LinuxOperation::Kind::RemoveDefaultApp:
                if (!ReadExisting(path, false).exists) break;
                EditShared(path, [&](const std::string& text) -> std::optional<std::string> {
                    return shell::RemoveDefaultApplication(text, operation.key, operation.content);
                });
                break;
            case LinuxOperation::Kind::RemoveThunarAction:
                if (!ReadExisting(path, false).exists) break;
                EditShared(path, [&](const std::string& text) -> std::optional<std::string> {
                    shell::ThunarEdit edit = shell::RemoveThunarAction(text, operation.key);
                    if (!edit.text)
                        throw FileProblem{Quoted(path) +
                                          " was left unchanged: it is not a well-formed list of Thunar "
                                          "actions (" +
                                          edit.problem + "), so Zarkent's folder entry may remain in Thunar."};
                    return edit.text;
                });
                break;
            case LinuxOperation::Kind::RunTool:
                RunTool(path, operation);
                break;
            }
        } catch (const FolderProblem& problem) {
            if (!problem.blocked.empty() && !Blocked(problem.blocked)) {
                failedFolders_.insert(problem.blocked);
                result.problems.push_back("Cannot write in folder " + Quoted(problem.folder) + ". " + problem.reason);
            }
        } catch (const FileProblem& problem) {
            result.problems.push_back(problem.message);
        } catch (const std::exception& e) {
            result.problems.push_back(e.what());
        }
    }

    ShellWriteResult result;

private:
    std::string Resolve(const LinuxOperation& operation) const {
        const std::string& base = operation.base == shell::Base::Data ? folders_.data : folders_.config;
        return base + "/" + operation.path;
    }

    // Whether `folder` is, or lies below, a folder that could not be used.
    bool Blocked(const std::string& folder) const {
        for (const std::string& failed : failedFolders_)
            if (folder == failed || folder.compare(0, failed.size() + 1, failed + "/") == 0) return true;
        return false;
    }

    // Creates the folder and those above it as needed (0700, as the XDG rules ask for the base folders).
    void PrepareFolder(const std::string& folder) {
        if (Blocked(folder)) throw FolderProblem{}; // reported already
        if (readyFolders_.count(folder)) return;
        for (std::size_t slash = folder.find('/', 1);; slash = folder.find('/', slash + 1)) {
            const std::string part = slash == std::string::npos ? folder : folder.substr(0, slash);
            if (::mkdir(part.c_str(), 0700) != 0) {
                const int error = errno;
                struct stat info {};
                if (error != EEXIST) throw FolderProblem{FolderOf(part), FolderOf(part), SystemErrorText(error)};
                if (::stat(part.c_str(), &info) != 0 || !S_ISDIR(info.st_mode))
                    throw FolderProblem{part, folder,
                                        part == folder ? "A file of that name is in the way."
                                                       : Quoted(part) + " is not a folder."};
            }
            if (slash == std::string::npos) break;
        }
        readyFolders_.insert(folder);
    }

    enum class Outcome { Replaced, ChangedMeanwhile };

    // Writes `content` under a temporary name beside `path`, flushes it and renames it over `path`.
    // With `expected`, only when `path` is still what was read (a missing file: still missing).
    Outcome Replace(const std::string& path, const std::string& content, mode_t mode, bool checkIdentity,
                    const std::optional<FileIdentity>& expected) {
        const std::string folder = FolderOf(path);
        PrepareFolder(folder);
        File file;
        std::string temporary;
        for (int attempt = 0; attempt < 100 && !file.IsOpen(); ++attempt) {
            temporary = folder + "/.zarkent-" + RandomSuffix() + ".tmp";
            try {
                file = File::TryCreateNew(temporary, Access::Shared);
            } catch (const ZarkentError& e) {
                throw FolderProblem{folder, folder, ReasonAbout(e.what(), temporary)};
            }
        }
        if (!file.IsOpen()) throw FolderProblem{folder, folder, SystemErrorText(EEXIST)};
        PartialFile partial(temporary);
        try {
            file.Write(content.data(), content.size());
            if (::chmod(temporary.c_str(), mode & 07777) != 0)
                throw FolderProblem{folder, folder, SystemErrorText(errno)};
            file.Sync();
            file.Close();
        } catch (const ZarkentError& e) {
            RemoveFile(temporary);
            throw FolderProblem{folder, folder, ReasonAbout(e.what(), temporary)};
        } catch (...) {
            RemoveFile(temporary);
            throw;
        }
        if (checkIdentity && IdentityOfPath(path) != expected) {
            RemoveFile(temporary);
            return Outcome::ChangedMeanwhile;
        }
        if (::rename(temporary.c_str(), path.c_str()) != 0) {
            const int error = errno;
            RemoveFile(temporary);
            if (error == EISDIR || error == ENOTEMPTY || error == EEXIST)
                throw FileProblem{"Cannot replace " + Quoted(path) + ". It is a folder."};
            throw FolderProblem{folder, folder, SystemErrorText(error)};
        }
        try {
            SyncParentDirectory(path);
        } catch (const ZarkentError& e) {
            throw FolderProblem{folder, folder, ReasonAbout(e.what(), folder + "/")};
        }
        Changed(path);
        return Outcome::Replaced;
    }

    void WriteOwn(const std::string& path, const LinuxOperation& operation) {
        PrepareFolder(FolderOf(path));
        const Existing existing = ReadExisting(path, true);
        if (!operation.marker.empty() && existing.exists &&
            !(existing.regular && HasMarkerLine(existing.content, operation.marker)))
            throw FileProblem{Quoted(path) + " was left unchanged: it was not written by Zarkent."};
        const bool modeRight = !operation.executable || (existing.mode & S_IXUSR) != 0;
        if (existing.regular && existing.content == operation.content && modeRight) {
            Touched(path);
            return;
        }
        Replace(path, operation.content, operation.executable ? 0755 : 0644, false, std::nullopt);
    }

    void RemoveOwn(const std::string& path, const LinuxOperation& operation) {
        const Existing existing = ReadExisting(path, !operation.marker.empty());
        if (!existing.exists) return;
        // Only a file that carries our marker is ours; anything else of that name stays.
        if (!operation.marker.empty() && !(existing.regular && HasMarkerLine(existing.content, operation.marker)))
            return;
        if (!RemoveFile(path)) throw FileProblem{"Cannot remove " + Quoted(path) + ". " + SystemErrorText(errno)};
        Changed(path);
    }

    template <typename Edit> void EditShared(const std::string& path, Edit edit) {
        PrepareFolder(FolderOf(path));
        // Another program may rewrite the file between our read and our rename: then read it again.
        for (int attempt = 0; attempt < 3; ++attempt) {
            const Existing existing = ReadExisting(path, true);
            if (existing.exists && !existing.regular)
                throw FileProblem{Quoted(path) + " was left unchanged: it is not a regular file."};
            const std::optional<std::string> text = edit(existing.content);
            if (existing.exists && *text == existing.content) return;
            if (!existing.exists && text->empty()) return; // a removal from a file that is gone meanwhile
            const mode_t mode = existing.exists ? existing.mode : 0644;
            const std::optional<FileIdentity> expected =
                existing.exists ? std::optional<FileIdentity>(existing.identity) : std::nullopt;
            if (Replace(path, *text, mode, true, expected) == Outcome::Replaced) return;
        }
        throw FileProblem{Quoted(path) + " was left unchanged: another program kept changing it."};
    }

    void RunTool(const std::string& folder, const LinuxOperation& operation) {
        if (!IsDirectory(folder)) return;
        if (!CacheOutdated(folder, folder + "/" + operation.content)) return;
        const std::string tool = FindInPath(operation.key);
        if (tool.empty()) return; // a desktop without the tool has no cache to refresh
        std::string program = tool, argument = folder;
        char* argv[] = {program.data(), argument.data(), nullptr};
        posix_spawn_file_actions_t files;
        posix_spawnattr_t attributes;
        posix_spawn_file_actions_init(&files);
        posix_spawn_file_actions_addopen(&files, 0, "/dev/null", O_RDONLY, 0);
        posix_spawn_file_actions_addopen(&files, 1, "/dev/null", O_WRONLY, 0);
        posix_spawn_file_actions_adddup2(&files, 1, 2);
        posix_spawnattr_init(&attributes);
        // The program ignores SIGXFSZ and may block signals on this thread; the tool starts clean.
        sigset_t none, defaults;
        sigemptyset(&none);
        sigemptyset(&defaults);
        sigaddset(&defaults, SIGXFSZ);
        sigaddset(&defaults, SIGPIPE);
        posix_spawnattr_setsigmask(&attributes, &none);
        posix_spawnattr_setsigdefault(&attributes, &defaults);
        posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
        pid_t pid = 0;
        const int started = posix_spawn(&pid, program.c_str(), &files, &attributes, argv, environ);
        posix_spawn_file_actions_destroy(&files);
        posix_spawnattr_destroy(&attributes);
        if (started != 0) return; // as if it were not installed
        result.toolsRun.push_back(operation.key + " " + folder);
        const auto deadline = std::chrono::steady_clock::now() + options_.toolWait;
        for (;;) {
            int status = 0;
            const pid_t done = ::waitpid(pid, &status, WNOHANG);
            if (done == pid || (done < 0 && errno != EINTR)) return;
            if (std::chrono::steady_clock::now() >= deadline) break;
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        // Still running: it finishes on its own; a small thread collects it so no zombie stays.
        StartWorkerThread([pid] {
            int status = 0;
            while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
            }
        }).detach();
    }

    // Whether the cache in `folder` must be rebuilt: something in the folder changed now, the cache is
    // missing, or it is older than one of our files there (a tool that was stopped before it finished).
    bool CacheOutdated(const std::string& folder, const std::string& cache) const {
        const std::string prefix = folder + "/";
        for (const std::string& path : changed_)
            if (path.compare(0, prefix.size(), prefix) == 0) return true;
        struct stat cacheInfo {};
        if (::stat(cache.c_str(), &cacheInfo) != 0) return true;
        for (const std::string& path : touched_) {
            struct stat info {};
            if (path.compare(0, prefix.size(), prefix) == 0 && ::stat(path.c_str(), &info) == 0 &&
                OlderThan(cacheInfo.st_mtim, info.st_mtim))
                return true;
        }
        return false;
    }

    void Changed(const std::string& path) {
        changed_.insert(path);
        touched_.insert(path);
    }
    void Touched(const std::string& path) { touched_.insert(path); }

    ShellFolders folders_;
    ShellWriteOptions options_;
    std::set<std::string> readyFolders_, failedFolders_;
    std::set<std::string> changed_, touched_;
};

} // namespace

std::optional<ShellFolders> UserShellFolders() {
    auto absolute = [](const char* value) -> std::optional<std::string> {
        if (value && value[0] == '/') return WithoutTrailingSlashes(value);
        return std::nullopt;
    };
    std::optional<std::string> home = absolute(std::getenv("HOME"));
    if (!home) {
        struct passwd entry {};
        struct passwd* found = nullptr;
        std::vector<char> buffer(16384);
        if (::getpwuid_r(::getuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found)
            home = absolute(found->pw_dir);
    }
    std::optional<std::string> data = absolute(std::getenv("XDG_DATA_HOME"));
    std::optional<std::string> config = absolute(std::getenv("XDG_CONFIG_HOME"));
    if (!data && home) data = *home + "/.local/share";
    if (!config && home) config = *home + "/.config";
    if (!data || !config) return std::nullopt;
    return ShellFolders{*data, *config};
}

ShellWriteResult ApplyLinuxPlan(const shell::LinuxPlan& plan, const ShellFolders& folders,
                                const ShellWriteOptions& options) {
    Writer writer({WithoutTrailingSlashes(folders.data), WithoutTrailingSlashes(folders.config)}, options);
    for (const LinuxOperation& operation : plan)
        writer.Apply(operation);
    return writer.result;
}

} // namespace zarkent
