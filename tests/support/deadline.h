#pragma once
// Work that might block for good (an open that waits on a FIFO, a read that never ends), run in a
// child process so that a hang is a failure within a deadline rather than a stalled test. The
// child's own test assertions are lost: it is asked only whether the work returned.

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <exception>
#include <functional>
#include <thread>

// True when `work` returned (without throwing) within `deadline`; otherwise the child is killed.
inline bool FinishesWithin(std::chrono::milliseconds deadline, const std::function<void()>& work) {
    const pid_t child = fork();
    if (child < 0) {
        return false;
    }
    if (child == 0) {
        try {
            work();
        } catch (...) {
            _exit(2);
        }
        _exit(0);  // no exit handlers: they belong to the parent's test program
    }
    const auto end = std::chrono::steady_clock::now() + deadline;
    int status = 0;
    for (;;) {
        const pid_t ended = waitpid(child, &status, WNOHANG);
        if (ended == child) {
            return WIFEXITED(status) && WEXITSTATUS(status) == 0;
        }
        if ((ended < 0 && errno != EINTR) || std::chrono::steady_clock::now() >= end) {
            kill(child, SIGKILL);
            waitpid(child, &status, 0);
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}
