#include "core/platform/Process.h"

#ifdef __GLIBC__
#include <malloc.h>
#endif

namespace zarkent {

std::vector<std::string> CommandLineArguments(int argc, char** argv) {
    return std::vector<std::string>(argv + (argc > 0 ? 1 : 0), argv + argc);
}

void PrepareStandardStreams() {}

void KeepLargeBuffersForReuse() {
#ifdef __GLIBC__
    // Below these sizes blocks come from the heap rather than their own mappings, and the heap's top is
    // not given back: a job's few MiB of buffers then serve the next one. Both are far above what the
    // jobs hold at once, so the peak memory stays what the jobs need.
    constexpr int Threshold = 64 * 1024 * 1024;
    ::mallopt(M_MMAP_THRESHOLD, Threshold);
    ::mallopt(M_TRIM_THRESHOLD, 2 * Threshold);
#endif
}

} // namespace zarkent
