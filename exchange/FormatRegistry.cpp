#include "exchange/FormatRegistry.h"

#include <strings.h>

#include <algorithm>

#include "exchange/TextFormats.h"

namespace vel {

FormatRegistry& FormatRegistry::instance() {
  static FormatRegistry registry = [] {
    FormatRegistry made;
    registerTextFormats(made);
    return made;
  }();
  return registry;
}

void FormatRegistry::add(ExchangeFormatEntry entry) {
  const auto taken = std::find_if(entries_.begin(), entries_.end(),
                                  [&](const ExchangeFormatEntry& e) { return e.id == entry.id; });
  if (taken != entries_.end()) {
    *taken = std::move(entry);
    return;
  }
  entries_.push_back(std::move(entry));
  std::sort(entries_.begin(), entries_.end(),
            [](const ExchangeFormatEntry& a, const ExchangeFormatEntry& b) { return a.id < b.id; });
}

const ExchangeFormatEntry* FormatRegistry::byId(int id) const {
  for (const ExchangeFormatEntry& entry : entries_) {
    if (entry.id == id) return &entry;
  }
  return nullptr;
}

const ExchangeFormatEntry* FormatRegistry::byName(std::string_view name) const {
  const std::string text(name);
  for (const ExchangeFormatEntry& entry : entries_) {
    if (strcasecmp(text.c_str(), entry.name.c_str()) == 0 || text == std::to_string(entry.id)) {
      return &entry;
    }
  }
  return nullptr;
}

std::vector<const ExchangeFormatEntry*> FormatRegistry::readers() const {
  std::vector<const ExchangeFormatEntry*> found;
  for (const ExchangeFormatEntry& entry : entries_) {
    if (entry.reads()) found.push_back(&entry);
  }
  return found;
}

std::vector<const ExchangeFormatEntry*> FormatRegistry::writers() const {
  std::vector<const ExchangeFormatEntry*> found;
  for (const ExchangeFormatEntry& entry : entries_) {
    if (entry.writes()) found.push_back(&entry);
  }
  return found;
}

}  // namespace vel
