#pragma once

#include "commands.h"

// The live stream of a device: what arrives in some seconds (cli_stream.cpp).
extern const CliCommand streamCommand;
