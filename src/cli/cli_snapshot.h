#pragma once

#include "commands.h"

// One picture of a device's live stream as a PNG file (cli_snapshot.cpp).
extern const CliCommand snapshotCommand;
