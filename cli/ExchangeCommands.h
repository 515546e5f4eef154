// The velcard commands that turn records into text and points into records:
// the job viewer's list, a typed point, export and import.
#pragma once

#include "cli/CommandSupport.h"
#include "exchange/FormatRegistry.h"

namespace vel::cli {

int recordsCommand(CommandArgs args, Streams& io);
int addPointCommand(CommandArgs args, Streams& io);
int exportCommand(CommandArgs args, Streams& io);
int importCommand(CommandArgs args, Streams& io);

// A format of the registry by its number or name (any letter case), one
// that reads for an import and writes for an export; anything else is a
// usage error.
const ExchangeFormatEntry& parseFormat(const std::string& text, bool forImport);

}  // namespace vel::cli
