#pragma once
// The subcommands of `velmora`, in the order its help lists them. Each adds itself to the
// application; parsing it fills `chosen`.

#include <CLI/App.hpp>

#include "command.h"

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
