#include "records/ListLines.h"

#include <cstdio>
#include <initializer_list>

#include "records/PointLine.h"

namespace vel {
namespace {

// The fields of a row cut at byte columns, each trimmed, joined by tabs.
std::string cutAtColumns(std::string_view row, std::initializer_list<std::size_t> starts) {
  std::string fields;
  for (auto start = starts.begin(); start != starts.end(); ++start) {
    if (start != starts.begin()) fields += '\t';
    if (*start >= row.size()) continue;
    const auto next = std::next(start);
    const std::size_t end = next == starts.end() ? row.size() : std::min(*next, row.size());
    fields += trimText(row.substr(*start, end - *start));
  }
  return fields;
}

}  // namespace

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

// Name, N, E and Z start where knownPointText puts them.
std::string knownPointFields(std::string_view row) {
  return cutAtColumns(row, {0, 10, 24, 38});
}

// After the mark: the name in 8 columns, the count, and the date when there is one.
std::string jobListFields(std::string_view row) {
  const bool dated = row.size() > 23;
  return dated ? cutAtColumns(row, {1, 9, 17}) : cutAtColumns(row, {1, 9});
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
