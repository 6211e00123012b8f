// velmora: the viewer's command-line companion. It reads the same Wine prefix, registry and drives
// as the viewer and answers what the viewer would show.

#include <malloc.h>

#include <CLI/CLI.hpp>
#include <csignal>
#include <cstdio>
#include <exception>
#include <memory>
#include <string>

#include "command_list.h"
#include "headless_catalogue/catalogue_error.h"

namespace {

constexpr const char* Version = "velmora 0.1";

// CLI11's help layout with the usage line spelled as the rest of velmora's messages.
std::shared_ptr<CLI::Formatter> UsageFormatter() {
    auto formatter = std::make_shared<CLI::Formatter>();
    formatter->label("Usage", "usage");
    formatter->column_width(36);
    return formatter;
}

bool IsKnownCommand(const CLI::App& velmora, const std::string& word) {
    for (const CLI::App* sub : velmora.get_subcommands({})) {
        if (sub->get_name() == word) {
            return true;
        }
    }
    return false;
}

}  // namespace

int main(int argc, char** argv) {
    // Reading a big world makes and frees tens of megabytes at a time. Fresh pages cost a fault
    // each, so what is freed stays with the process for the next allocation to reuse, rather
    // than go back to the system and be faulted in again.
    mallopt(M_MMAP_THRESHOLD, 512 << 20);
    mallopt(M_TRIM_THRESHOLD, 512 << 20);
    mallopt(M_TOP_PAD, 64 << 20);
    // Past a file-size limit (ulimit -f) a write fails with EFBIG, which each writer reports,
    // rather than the process dying: the summary cache, written along the way, is only a cache.
    std::signal(SIGXFSZ, SIG_IGN);
    CLI::App velmora(
        "The command-line companion of VelmoraExplorer: what the viewer would show, "
        "and the world's terrain taken out as images and meshes.",
        "velmora");
    velmora.formatter(UsageFormatter());
    velmora.set_version_flag("--version", Version);
    velmora.require_subcommand(1);
    velmora.footer("`velmora COMMAND --help` describes one command.");

    ChosenCommand chosen;
    AddWorldsCommand(velmora, chosen);
    AddSectorsCommand(velmora, chosen);
    AddHeightmapCommand(velmora, chosen);
    AddRenderCommand(velmora, chosen);
    AddFlyoverCommand(velmora, chosen);
    AddMapCommand(velmora, chosen);
    AddExportCommand(velmora, chosen);
    AddWebCommand(velmora, chosen);
    AddServeCommand(velmora, chosen);
    AddDemoCommand(velmora, chosen);

    if (argc < 2) {
        std::fputs(velmora.help().c_str(), stderr);
        return ExitUsage;
    }
    const std::string first = argv[1];
    if (!first.starts_with("-") && !IsKnownCommand(velmora, first)) {
        std::fprintf(stderr,
                     "velmora: unknown command \"%s\"; `velmora --help` lists the commands\n",
                     first.c_str());
        return ExitUsage;
    }
    try {
        velmora.parse(argc, argv);
    } catch (const CLI::Success& request) {
        // --help of velmora or of a command, or --version: printed on stdout, exit 0.
        return velmora.exit(request);
    } catch (const CLI::ParseError& error) {
        std::fprintf(stderr, "velmora %s: %s; see --help\n",
                     chosen.name.empty() ? first.c_str() : chosen.name.c_str(), error.what());
        return ExitUsage;
    } catch (const CommandFailure& failure) {
        // A value check of an option (a malformed --size, say) reports through CommandFailure.
        std::fprintf(stderr, "velmora %s: %s\n", first.c_str(), failure.what());
        return failure.exitCode;
    }
    if (!chosen.run) {
        std::fputs(velmora.help().c_str(), stderr);
        return ExitUsage;
    }
    try {
        return chosen.run();
    } catch (const CommandFailure& failure) {
        if (*failure.what() != '\0') {
            std::fprintf(stderr, "velmora %s: %s\n", chosen.name.c_str(), failure.what());
        }
        return failure.exitCode;
    } catch (const headless_catalogue::CatalogueError& failure) {
        // Every command that names a world or sector says an unknown one alike.
        std::fprintf(stderr, "velmora %s: %s\n", chosen.name.c_str(), failure.what());
        return failure.reason == headless_catalogue::CatalogueError::Reason::UnknownName
                   ? ExitUnknownName
                   : ExitFailure;
    } catch (const std::exception& error) {
        std::fprintf(stderr, "velmora %s: %s\n", chosen.name.c_str(), error.what());
        return ExitFailure;
    }
}
