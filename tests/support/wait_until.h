#pragma once
// Waiting in a test for something another thread or process brings about.

#include <chrono>
#include <functional>
#include <thread>

// Calls `done` until it is true or `seconds` have passed; returns its last answer.
inline bool WaitUntil(const std::function<bool()>& done, double seconds = 10.0) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    while (true) {
        if (done()) {
            return true;
        }
        if (std::chrono::steady_clock::now() > end) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
}
