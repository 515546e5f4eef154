// The velcard commands that turn records into text and points into records:
// the job viewer's list, a typed point, export and import.
#pragma once

#include "cli/CommandSupport.h"

namespace vel::cli {

int recordsCommand(CommandArgs args, Streams& io);
int addPointCommand(CommandArgs args, Streams& io);
int exportCommand(CommandArgs args, Streams& io);
int importCommand(CommandArgs args, Streams& io);

// A format index 1 to 7, or qpl, pts, scs2002, sv300, cass, csv, dxf in any
// letter case; import takes 1 to 6 only. Anything else is a usage error.
int parseFormat(const std::string& text, bool forImport);

}  // namespace vel::cli
