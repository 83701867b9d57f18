#pragma once

#include "commands.h"

#include <span>

// tervix-cli templet apply FILE HOST... (cli_templetapply.cpp): the "Batch
// Set" page's run from the command line, on the same manager. The templet
// command hands its "apply" here with the arguments after "apply".
extern const CliOptionSpec templetApplyOptions[1]; // --reboot
int runTempletApply(const QStringList &args, const CliOptions &options);
