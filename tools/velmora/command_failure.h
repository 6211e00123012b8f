#pragma once
// How a command ends when it cannot do what was asked: one line on stderr and an exit code.

#include <stdexcept>
#include <string>

// Exit codes.
inline constexpr int ExitSuccess = 0;
inline constexpr int ExitFailure = 1;
inline constexpr int ExitUnknownName = 2;  // an unknown world or sector
inline constexpr int ExitUsage = 64;       // a malformed command line

// Thrown by a command to end with one line on stderr and the given exit code.
class CommandFailure : public std::runtime_error {
public:
    CommandFailure(int exitCode, const std::string& message)
        : std::runtime_error(message), exitCode(exitCode) {}
    int exitCode;
};
