#pragma once
// A picture size as the commands take it: WIDTHxHEIGHT, each 1 to 8192.

#include <optional>
#include <string>
#include <utility>

std::optional<std::pair<unsigned, unsigned>> ParseSize(const std::string& text);
