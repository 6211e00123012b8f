#pragma once
// An output file that cannot be written, as the commands that take --force say it.

#include "command_failure.h"
#include "files/output_error.h"

// Exit 1 with the file's reason; an existing target names --force, which replaces it.
CommandFailure OutputFailure(const files::OutputError& error);
