#pragma once
// What the map library throws when a picture cannot be made or written: the world too large to
// draw, the PNG encoder's failures, or what the byte sink said when it could not take the bytes.

#include <stdexcept>

namespace map {

class MapError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

}  // namespace map
