#pragma once
// --shading height|hillshade|both, as map, render --all and flyover take it.

#include <CLI/App.hpp>
#include <string>

#include "world/relief_shading.h"

CLI::Option* AddShadingOption(CLI::App& command, world::Shading& shading, const std::string& help);
