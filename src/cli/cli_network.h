#pragma once

#include "commands.h"

// Network re-addressing of one device or a batch (cli_network.cpp), on the
// program's own setters and batch worker.
extern const CliCommand setNetworkCommand;
