#pragma once

#include "commands.h"

// Batch firmware upgrade (cli_upgrade.cpp), on the upgrade page's manager.
extern const CliCommand upgradeCommand;
