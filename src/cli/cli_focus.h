#pragma once

#include "commands.h"

// The focus value (cli_focus.cpp): of a camera's live stream five times a
// second, as the "Auxiliary Zoom" page samples it, or of one picture file.
extern const CliCommand focusCommand;
