// The rows of the main window's lists and of velcard's listings, as bytes of
// the image: the job list, the known-point list and the job dates.
#pragma once

#include <string>
#include <string_view>

#include "store/DirectoryEntry.h"
#include "store/FixedValue.h"

namespace vel {

class RecordAreaStore;

// A known point's list row: the name in 8 columns, then N, E and Z each as the
// 11-character wide text padded to 12, two blanks between the fields.
std::string knownPointText(std::string_view name, FixedValue n, FixedValue e, FixedValue z);

// "yy-mm-dd hh:mm", the hour padded with a space.
std::string formatJobDate(const JobTime& time);

// The job list's row for the job at a list position: a '*' for the current
// job, the name, the record count and, on the RX9-32, the creation time.
// Empty for a position past the list.
std::string jobListLine(RecordAreaStore& store, int position);

// The known-point list's row for record `number` of the known-point file;
// empty when it cannot be read.
std::string knownPointLine(RecordAreaStore& store, int number);

}  // namespace vel
