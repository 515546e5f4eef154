#include "records/ListLines.h"

#include <cstdio>

#include "store/RecordAreaStore.h"

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

std::string jobListLine(RecordAreaStore& store, int position) {
  const uint8_t slot = store.jobSlotAt(position);
  if (slot >= store.jobLimit()) return {};
  const DirectoryEntry entry = store.jobEntry(slot);
  const std::string name = entry.nameBytes();
  const unsigned count = entry.recordCount;

  char line[128];
  if (store.entrySize() == DirectoryEntry::kLongBytes) {
    std::snprintf(line, sizeof line, " %-8s   %5u      %12s", name.c_str(), count,
                  formatJobDate(entry.created).c_str());
  } else {
    std::snprintf(line, sizeof line, " %-8s         %5u", name.c_str(), count);
  }
  std::string text = line;
  if (slot == store.currentJob()) text[0] = '*';
  return text;
}

std::string knownPointLine(RecordAreaStore& store, int number) {
  uint8_t record[kRecordSize];
  if (store.readRecord(store.knownPointFile(), number, kRecordSize, record) != kDone) return {};
  std::string name;
  for (int i = 1; i <= kNameLength && record[i] != 0; ++i) name.push_back(static_cast<char>(record[i]));
  const ImageByteOrder& order = store.byteOrder();
  return knownPointText(name, order.fixedFromImage(record + 19), order.fixedFromImage(record + 25),
                        order.fixedFromImage(record + 31));
}

}  // namespace vel
