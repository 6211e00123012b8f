#pragma once
// One updating line on stderr for long runs over many items (sectors, frames): done of total,
// time spent and time left. Shown only when stderr is a terminal, so logs and pipes never see it.

#include <chrono>
#include <cstddef>
#include <string>

class ProgressLine {
public:
    // Runs over this many items or fewer finish too soon to need a line.
    static constexpr std::size_t FewItems = 8;

    // `unit` names the items, in the plural.
    ProgressLine(std::string label, std::size_t total, std::string unit = "sectors");
    ~ProgressLine();  // clears the line
    ProgressLine(const ProgressLine&) = delete;
    ProgressLine& operator=(const ProgressLine&) = delete;

    // Records that `done` of the total are finished; redraws at most ten times a second.
    void Update(std::size_t done);

private:
    std::string label_;
    std::size_t total_;
    std::string unit_;
    bool shown_;
    std::chrono::steady_clock::time_point start_;
    std::chrono::steady_clock::time_point lastDrawn_;
};
