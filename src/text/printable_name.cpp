#include "text/printable_name.h"

namespace text {

std::string PrintableName(std::string_view name) {
    std::string printable(name);
    for (char& c : printable) {
        if (c < 0x20 || c > 0x7e) {
            c = '_';
        }
    }
    return printable;
}

}  // namespace text
