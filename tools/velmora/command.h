#pragma once
// What every subcommand of the velmora command line shares: how it is added to the CLI11
// application, how it hands its run back, and how it fails.

#include <CLI/App.hpp>
#include <functional>
#include <string>

#include "command_failure.h"

// What the parsed command line chose: the subcommand's name and its run, filled in by the
// subcommand's parse callback.
struct ChosenCommand {
    std::string name;
    std::function<int()> run;
};

// A subcommand of `velmora` with its long help text under the option list.
CLI::App* AddSubcommand(CLI::App& velmora, const std::string& name, const std::string& summary,
                        const std::string& help);
