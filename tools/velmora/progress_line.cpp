#include "progress_line.h"

#include <unistd.h>

#include <cstdio>

namespace {

using Clock = std::chrono::steady_clock;

std::string Duration(double seconds) {
    char text[32];
    const long whole = static_cast<long>(seconds);
    if (whole >= 60) {
        std::snprintf(text, sizeof text, "%ld:%02ld", whole / 60, whole % 60);
    } else {
        std::snprintf(text, sizeof text, "%.1f s", seconds);
    }
    return text;
}

}  // namespace

ProgressLine::ProgressLine(std::string label, std::size_t total, std::string unit)
    : label_(std::move(label)),
      total_(total),
      unit_(std::move(unit)),
      shown_(total > FewItems && isatty(STDERR_FILENO) == 1),
      start_(Clock::now()),
      lastDrawn_(start_) {}

ProgressLine::~ProgressLine() {
    if (shown_) {
        std::fputs("\r\033[K", stderr);
        std::fflush(stderr);
    }
}

void ProgressLine::Update(std::size_t done) {
    if (!shown_) {
        return;
    }
    const Clock::time_point now = Clock::now();
    if (done < total_ && now - lastDrawn_ < std::chrono::milliseconds(100)) {
        return;
    }
    lastDrawn_ = now;
    const double elapsed = std::chrono::duration<double>(now - start_).count();
    const std::string left =
        done == 0 ? "?" : Duration(elapsed * static_cast<double>(total_ - done) / done);
    std::fprintf(stderr, "\r\033[K%s %zu/%zu %s, %s elapsed, %s left", label_.c_str(), done, total_,
                 unit_.c_str(), Duration(elapsed).c_str(), left.c_str());
    std::fflush(stderr);
}
