#include "cli/Progress.h"

#include <algorithm>
#include <cstdio>
#include <ostream>

namespace zarkent::cli {

std::int64_t SizeForProgress(const std::string& path) {
    try {
        return File::OpenRead(path).Size();
    } catch (const std::exception&) {
        return 0;
    }
}

TerminalProgress::TerminalProgress(std::ostream& err, std::string label, std::int64_t size)
    : err_(err), label_(std::move(label)), size_(size), start_(std::chrono::steady_clock::now()) {}

void TerminalProgress::SetMaximum(int maximum) {
    maximum_ = maximum > 0 ? maximum : 100;
}

void TerminalProgress::SetPosition(int position) {
    position_ = position;
    status_.clear();
    Draw();
}

void TerminalProgress::SetStatus(const std::string& text) {
    status_ = text;
    Draw();
}

void TerminalProgress::MoveBar(int position) {
    position_ = position;
    Draw();
}

void TerminalProgress::Finish() {
    if (drawn_) err_ << "\n" << std::flush;
}

void TerminalProgress::Draw() {
    constexpr int width = 30;
    const int filled = std::min(width, position_ * width / maximum_);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
    const double done = static_cast<double>(size_) * position_ / maximum_;
    char speed[32];
    std::snprintf(speed, sizeof speed, "%.1f MB/s", seconds > 0 ? done / seconds / 1e6 : 0.0);
    err_ << "\r" << label_ << " [" << std::string(filled, '#') << std::string(width - filled, '.') << "] ";
    if (status_.empty())
        err_ << position_ << "%  " << speed << "   ";
    else
        err_ << status_ << "   ";
    err_ << std::flush;
    drawn_ = true;
}

} // namespace zarkent::cli
