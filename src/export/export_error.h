#pragma once
// What the export library throws when the mesh writers cannot be loaded or have no writer for a
// format. (The writers themselves throw std::exception when a file cannot be built.)

#include <stdexcept>

namespace mesh_export {

class ExportError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

}  // namespace mesh_export
