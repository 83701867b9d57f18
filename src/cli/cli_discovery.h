#pragma once

#include "commands.h"

// Commands of the discovery protocol (cli_discovery.cpp), through libquarry.so.
extern const CliCommand discoverCommand;
extern const CliCommand readdressCommand;
