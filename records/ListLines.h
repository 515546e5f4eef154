// The rows of the main window's lists and of velcard's listings, as bytes of
// the image: the job list, the known-point list and the job dates.
#pragma once

#include <string>
#include <string_view>

#include "records/SurveyRecord.h"
#include "store/DirectoryEntry.h"
#include "store/FixedValue.h"
#include "store/ImageByteOrder.h"

namespace vel {

// A known point's list row: the name in 8 columns, then N, E and Z each as the
// 11-character wide text padded to 12, two blanks between the fields.
std::string knownPointText(std::string_view name, FixedValue n, FixedValue e, FixedValue z);

// "yy-mm-dd hh:mm", the hour padded with a space.
std::string formatJobDate(const JobTime& time);

// A job list's row: a '*' for the instrument's current job, the name, the
// record count and, with the creation time (the RX9-32's long entries), the
// date it was made.
std::string jobListLine(const DirectoryEntry& entry, bool withCreationTime, bool current);

// A row of the known-point list or the job list as tab-separated fields, for
// the clipboard: the blanks that line the columns up are left out, and so is
// the job list's mark of the current job.
std::string knownPointFields(std::string_view row);
std::string jobListFields(std::string_view row);

// The known-point list's row of a PT record.
std::string knownPointLine(const ImageByteOrder& order, RecordView record);

}  // namespace vel
