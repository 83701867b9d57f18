#pragma once

#include "commands.h"

// Commands that log in to one device (devicecommands.cpp).
extern const CliCommand infoCommand;
extern const CliCommand getCommand;
extern const CliCommand setCommand;
extern const CliCommand rebootCommand;
extern const CliCommand restoreCommand;
extern const CliCommand abilityCommand;
extern const CliCommand ptzProtocolsCommand;
