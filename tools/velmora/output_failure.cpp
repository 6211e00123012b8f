#include "output_failure.h"

#include <string>

CommandFailure OutputFailure(const files::OutputError& error) {
    std::string message = error.what();
    if (error.reason == files::OutputError::Reason::TargetExists) {
        message += "; --force replaces it";
    }
    return CommandFailure(ExitFailure, message);
}
