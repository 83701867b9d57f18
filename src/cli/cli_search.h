#pragma once

#include "commands.h"

// The IP-range search from the command line (cli_search.cpp).
extern const CliCommand searchCommand;
