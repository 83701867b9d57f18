#pragma once

#include "commands.h"

// The parameter templet (cli_templet.cpp): save a device's parameters as the
// configuration frame does, or show what the reader takes from a file.
extern const CliCommand templetCommand;
