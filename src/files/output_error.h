#pragma once
// Why an output file could not be written, in one line that names the file.

#include <stdexcept>
#include <string>

namespace files {

class OutputError : public std::runtime_error {
public:
    enum class Reason {
        TargetExists,  // the target exists and was not to be replaced
        Other,         // anything else: a missing folder, a full disk, a directory in the way
    };
    OutputError(Reason reason, const std::string& message)
        : std::runtime_error(message), reason(reason) {}
    Reason reason;
};

}  // namespace files
