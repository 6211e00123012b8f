#include "shading_option.h"

#include <map>

CLI::Option* AddShadingOption(CLI::App& command, world::Shading& shading, const std::string& help) {
    std::map<std::string, world::Shading> names;
    for (const world::Shading kind :
         {world::Shading::Height, world::Shading::Hillshade, world::Shading::Both}) {
        names.emplace(world::ShadingName(kind), kind);
    }
    return command.add_option("--shading", shading, help)
        ->transform(CLI::CheckedTransformer(names))
        ->type_name("KIND");
}
