// The velcard commands on the snapshots kept of an image: take one now, list
// them, put one back.
#pragma once

#include "cli/CommandSupport.h"

namespace vel::cli {

int backupCommand(CommandArgs args, Streams& io);
int backupsCommand(CommandArgs args, Streams& io);
int restoreCommand(CommandArgs args, Streams& io);

}  // namespace vel::cli
