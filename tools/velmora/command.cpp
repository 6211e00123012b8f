#include "command.h"

CLI::App* AddSubcommand(CLI::App& velmora, const std::string& name, const std::string& summary,
                        const std::string& help) {
    CLI::App* sub = velmora.add_subcommand(name, summary);
    sub->footer(help);
    return sub;
}
