#pragma once
// A picture size as the commands take it: WIDTHxHEIGHT, each 1 to 8192.

#include <CLI/App.hpp>
#include <functional>
#include <optional>
#include <string>
#include <utility>

std::optional<std::pair<unsigned, unsigned>> ParseSize(const std::string& text);

// Adds --size WxH to a command; `take` receives the width and height of a valid size, and a
// malformed one is a usage error.
CLI::Option* AddSizeOption(CLI::App& command, std::function<void(unsigned, unsigned)> take,
                           const std::string& help);
