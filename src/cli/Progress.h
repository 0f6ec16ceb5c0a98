#pragma once

#include <chrono>
#include <cstdint>
#include <iosfwd>
#include <string>

#include "core/container/ZarkentStream.h"

namespace zarkent::cli {

// The size of the file at `path` for a bar's figures; 0 when it cannot be read (its job then reports why).
std::int64_t SizeForProgress(const std::string& path);

// A bar with percentage and speed on a terminal (standard error), redrawn in place.
class TerminalProgress : public ProgressSink {
public:
    TerminalProgress(std::ostream& err, std::string label, std::int64_t size);
    void SetMaximum(int maximum) override;
    void SetPosition(int position) override;
    void SetStatus(const std::string& text) override;
    void MoveBar(int position) override;
    // Ends the bar's line, if one was drawn.
    void Finish();

private:
    void Draw();

    std::ostream& err_;
    std::string label_;
    std::int64_t size_;
    std::chrono::steady_clock::time_point start_;
    int maximum_ = 100;
    int position_ = 0;
    std::string status_;
    bool drawn_ = false;
};

} // namespace zarkent::cli
