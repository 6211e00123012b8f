#pragma once
// Why the catalogue cannot answer, in one line.

#include <stdexcept>
#include <string>

namespace headless_catalogue {

class CatalogueError : public std::runtime_error {
public:
    enum class Reason {
        UnknownName,  // a world or sector the catalogue does not list
        Other,        // no game installed, no controls to list into
    };
    CatalogueError(Reason reason, const std::string& message)
        : std::runtime_error(message), reason(reason) {}
    Reason reason;
};

}  // namespace headless_catalogue
