#pragma once

#include <atomic>

#include "core/container/ZarkentStream.h"

namespace zarkent::test {

// The flags a job hands to the encryptor, and the context that points at them.
struct Job {
    std::atomic<bool> compress{false}, cancel{false};
    StreamContext context;
    Job() {
        context.compressOption = &compress;
        context.cancelRequested = &cancel;
    }
    Job(const Job&) = delete;
    Job& operator=(const Job&) = delete;
};

} // namespace zarkent::test
