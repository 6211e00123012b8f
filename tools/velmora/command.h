#pragma once
// The subcommands of the velmora command line, each registered on the CLI11 application.

#include <CLI/App.hpp>
#include <functional>
#include <stdexcept>
#include <string>
#include <string_view>

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

// What the parsed command line chose: the subcommand's name and its run, filled in by the
// subcommand's parse callback.
struct ChosenCommand {
    std::string name;
    std::function<int()> run;
};

// Each adds one subcommand to `velmora`; parsing it fills `chosen`.
void AddWorldsCommand(CLI::App& velmora, ChosenCommand& chosen);
void AddSectorsCommand(CLI::App& velmora, ChosenCommand& chosen);
void AddHeightmapCommand(CLI::App& velmora, ChosenCommand& chosen);
void AddRenderCommand(CLI::App& velmora, ChosenCommand& chosen);
void AddFlyoverCommand(CLI::App& velmora, ChosenCommand& chosen);
void AddMapCommand(CLI::App& velmora, ChosenCommand& chosen);
void AddExportCommand(CLI::App& velmora, ChosenCommand& chosen);
void AddWebCommand(CLI::App& velmora, ChosenCommand& chosen);
void AddServeCommand(CLI::App& velmora, ChosenCommand& chosen);
void AddDemoCommand(CLI::App& velmora, ChosenCommand& chosen);

// A subcommand of `velmora` with its long help text under the option list.
CLI::App* AddSubcommand(CLI::App& velmora, const std::string& name, const std::string& summary,
                        const std::string& help);
