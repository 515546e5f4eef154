// The velcard commands on the record-area store: one function per verb.
// Each takes the words after the verb (their count already checked) and
// returns the exit status, or ends with a CommandFailure.
#pragma once

#include "cli/CommandSupport.h"

namespace vel::cli {

int createCommand(CommandArgs args, Streams& io);
int formatCommand(CommandArgs args, Streams& io);
int infoCommand(CommandArgs args, Streams& io);
int jobsCommand(CommandArgs args, Streams& io);
int knownCommand(CommandArgs args, Streams& io);
int codesCommand(CommandArgs args, Streams& io);
int newJobCommand(CommandArgs args, Streams& io);
int renameJobCommand(CommandArgs args, Streams& io);
int deleteJobCommand(CommandArgs args, Streams& io);
int deleteRecordCommand(CommandArgs args, Streams& io);
int clearKnownCommand(CommandArgs args, Streams& io);
int addCodeCommand(CommandArgs args, Streams& io);
int deleteCodeCommand(CommandArgs args, Streams& io);
int clearCodesCommand(CommandArgs args, Streams& io);

}  // namespace vel::cli
