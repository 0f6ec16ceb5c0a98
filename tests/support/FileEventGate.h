#pragma once

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <thread>

#include "core/container/Naming.h"
#include "core/platform/FileSystem.h"

namespace zarkent::test {

// Holds the thread that meets the chosen file operation until the gate opens (at the latest when the
// gate goes): a test can then act while a job is known to be mid-way. The held thread may wake after
// the gate is gone, so the flags live as long as the hook that reads them.
class FileEventGate {
public:
    using PathMatch = std::function<bool(const std::string& path)>;

    FileEventGate(FileEvent event, PathMatch matches) {
        SetFileEventHook(
            [flags = flags_, event, matches = std::move(matches)](FileEvent seen, const std::string& path) {
                if (seen == event && matches(path)) {
                    flags->reached = true;
                    while (!flags->open)
                        std::this_thread::sleep_for(std::chrono::milliseconds(1));
                }
                return 0;
            });
    }
    ~FileEventGate() {
        flags_->open = true;
        SetFileEventHook({});
    }
    FileEventGate(const FileEventGate&) = delete;
    FileEventGate& operator=(const FileEventGate&) = delete;

    bool Reached() const { return flags_->reached; }
    void Open() { flags_->open = true; }

private:
    struct Flags {
        std::atomic<bool> reached{false}, open{false};
    };
    std::shared_ptr<Flags> flags_ = std::make_shared<Flags>();
};

// The event of a job's output (or inflated result) coming into being: without a name where the system
// can name it later, else under its name.
inline FileEvent OutputCreation() {
    return File::TemporariesCanBeNamed() ? FileEvent::CreateTemporary : FileEvent::Create;
}

// Matches a path whose last part is `name`.
inline FileEventGate::PathMatch NameIs(std::string name) {
    return [name = std::move(name)](const std::string& path) { return NamePart(path) == name; };
}

} // namespace zarkent::test
