// velmora: the viewer's command-line companion. It reads the same Wine prefix, registry and drives
// as the viewer and answers what the viewer would show.

#include <cstdio>
#include <exception>
#include <string>
#include <vector>

#include "command.h"

namespace {

void PrintUsage(std::FILE* stream) {
    std::fprintf(stream, "usage: velmora COMMAND [ARGUMENTS]\n\ncommands:\n");
    for (const Command* listed : Commands()) {
        const Command& command = *listed;
        const std::string usage = std::string(command.name) + " " + std::string(command.synopsis);
        std::fprintf(stream, "  %-40s %.*s\n", usage.c_str(),
                     static_cast<int>(command.summary.size()), command.summary.data());
    }
    std::fprintf(stream, "\n`velmora COMMAND --help` describes one command.\n");
}

bool IsHelp(std::string_view argument) {
    return argument == "--help" || argument == "-h";
}

}  // namespace

std::span<const Command* const> Commands() {
    static const Command* const commands[] = {&WorldsCommand, &SectorsCommand, &HeightmapCommand,
                                              &RenderCommand, &DemoCommand};
    return commands;
}

int main(int argc, char** argv) {
    const std::vector<std::string_view> words(argv + 1, argv + argc);
    if (words.empty()) {
        PrintUsage(stderr);
        return ExitUsage;
    }
    if (IsHelp(words[0])) {
        PrintUsage(stdout);
        return ExitSuccess;
    }
    for (const Command* listed : Commands()) {
        const Command& command = *listed;
        if (command.name != words[0]) {
            continue;
        }
        const std::span<const std::string_view> arguments(words.begin() + 1, words.end());
        for (std::string_view argument : arguments) {
            if (IsHelp(argument)) {
                std::printf("usage: velmora %.*s %.*s\n\n%.*s",
                            static_cast<int>(command.name.size()), command.name.data(),
                            static_cast<int>(command.synopsis.size()), command.synopsis.data(),
                            static_cast<int>(command.help.size()), command.help.data());
                return ExitSuccess;
            }
        }
        try {
            return command.run(arguments);
        } catch (const CommandFailure& failure) {
            if (*failure.what() != '\0') {
                std::fprintf(stderr, "velmora %.*s: %s\n", static_cast<int>(command.name.size()),
                             command.name.data(), failure.what());
            }
            return failure.exitCode;
        } catch (const std::exception& error) {
            std::fprintf(stderr, "velmora %.*s: %s\n", static_cast<int>(command.name.size()),
                         command.name.data(), error.what());
            return ExitFailure;
        }
    }
    std::fprintf(stderr, "velmora: unknown command \"%.*s\"; `velmora --help` lists the commands\n",
                 static_cast<int>(words[0].size()), words[0].data());
    return ExitUsage;
}
