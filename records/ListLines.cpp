#include "records/ListLines.h"

#include <cstdio>

namespace vel {

std::string knownPointText(std::string_view name, FixedValue n, FixedValue e, FixedValue z) {
  char line[128];
  std::snprintf(line, sizeof line, "%-8.*s  %-12s  %-12s  %-12s", static_cast<int>(name.size()),
                name.data(), formatFixedWide(n).c_str(), formatFixedWide(e).c_str(),
                formatFixedWide(z).c_str());
  return line;
}

std::string formatJobDate(const JobTime& time) {
  char text[64];
  std::snprintf(text, sizeof text, "%02d-%02d-%02d %2d:%02d", time.year % 100, time.month, time.day,
                time.hour, time.minute);
  return text;
}

std::string jobListLine(const DirectoryEntry& entry, bool withCreationTime, bool current) {
  const std::string name = entry.nameBytes();
  const unsigned count = entry.recordCount;
  char line[128];
  if (withCreationTime) {
    std::snprintf(line, sizeof line, " %-8s   %5u      %12s", name.c_str(), count,
                  formatJobDate(entry.created).c_str());
  } else {
    std::snprintf(line, sizeof line, " %-8s         %5u", name.c_str(), count);
  }
  std::string text = line;
  if (current) text[0] = '*';
  return text;
}

std::string knownPointLine(const ImageByteOrder& order, RecordView record) {
  namespace layout = record_layout;
  std::string name;
  for (int i = layout::kName; i < layout::kName + kNameLength && record[i] != 0; ++i) {
    name.push_back(static_cast<char>(record[i]));
  }
  return knownPointText(name, order.fixedFromImage(record.data() + layout::kPointN),
                        order.fixedFromImage(record.data() + layout::kPointE),
                        order.fixedFromImage(record.data() + layout::kPointZ));
}

}  // namespace vel
