#include "world_view/command_line.h"

#include <cmath>
#include <cstdlib>
#include <sstream>
#include <stdexcept>

namespace world_view {

namespace {

world::Camera ParseCamera(const std::string& text) {
    std::vector<double> values;
    std::stringstream parts(text);
    for (std::string part; std::getline(parts, part, ',');) {
        char* end = nullptr;
        const double value = std::strtod(part.c_str(), &end);
        if (part.empty() || *end != '\0' || !std::isfinite(value)) {
            throw std::invalid_argument("--camera takes five numbers X,Y,Z,YAW,PITCH, not '" +
                                        text + "'");
        }
        values.push_back(value);
    }
    if (values.size() != 5 || text.back() == ',') {
        throw std::invalid_argument("--camera takes five numbers X,Y,Z,YAW,PITCH, not '" + text +
                                    "'");
    }
    return {values[0], values[1], values[2], values[3], values[4]};
}

}  // namespace

CommandLine ParseCommandLine(const std::vector<std::string>& arguments) {
    CommandLine line;
    bool worldGiven = false;
    for (std::size_t k = 0; k < arguments.size(); ++k) {
        const std::string& argument = arguments[k];
        if (argument == "--help" || argument == "-h") {
            line.help = true;
        } else if (argument == "--version") {
            line.version = true;
        } else if (argument == "--camera") {
            if (k + 1 == arguments.size()) {
                throw std::invalid_argument("--camera needs X,Y,Z,YAW,PITCH");
            }
            line.camera = ParseCamera(arguments[++k]);
        } else if (argument.rfind("--camera=", 0) == 0) {
            line.camera = ParseCamera(argument.substr(9));
        } else if (argument.size() > 1 && argument[0] == '-') {
            throw std::invalid_argument("unknown option " + argument);
        } else if (worldGiven) {
            throw std::invalid_argument("one world at a time, not also " + argument);
        } else {
            line.world = argument;
            worldGiven = true;
        }
    }
    return line;
}

}  // namespace world_view
