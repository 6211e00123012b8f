#pragma once

#include <span>
#include <stdexcept>
#include <string>
#include <string_view>

// One subcommand of the velmora command line.
struct Command {
    std::string_view name;
    std::string_view synopsis;  // the arguments, as shown in the usage line
    std::string_view summary;   // one line for the command list
    std::string_view help;      // the text of `velmora NAME --help`
    int (*run)(std::span<const std::string_view> arguments);
};

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

// The commands, in the order `velmora --help` lists them.
std::span<const Command* const> Commands();

extern const Command WorldsCommand;
extern const Command SectorsCommand;
extern const Command HeightmapCommand;
extern const Command DemoCommand;
extern const Command RenderCommand;
