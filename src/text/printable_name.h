#pragma once
// A name from disk (a sector's, a file's) fit to stand in a message or a text file: sector folders
// are named by whoever wrote the world, and a control byte in a terminal or a stray byte in a
// generated file would do harm there.

#include <string>
#include <string_view>

namespace text {

// The name with every byte outside printable ASCII replaced by '_'; as long as the name.
std::string PrintableName(std::string_view name);

}  // namespace text
