// Which of the six text formats a file can be, from its first lines, so that
// a file opened with the wrong type is caught before it is read (a CASS file
// read as QPL gives names like "C1,TREE," at 30.000, 0, 0).
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace vel {

// How many lines (not counting empty ones) the check looks at.
constexpr std::size_t kCheckedLines = 20;

struct FormatFit {
  bool fits = true;
  std::size_t line = 0;  // the first line (from 1) that does not fit
  std::string text;      // that line
};

// Whether the first lines fit the format (1 to 6): field counts, separators,
// numbers where the format has coordinates, fixed columns (QPL), the count
// line and five lines per point (SCS2002), the sequence numbers (SV300).
FormatFit checkTextFormat(int format, const std::vector<std::string>& lines);

// The formats (1 to 6) the first lines fit, in order.
std::vector<int> fittingTextFormats(const std::vector<std::string>& lines);

// The format to offer instead of `chosen`: the first that fits when
// `chosen` does not; 0 when `chosen` fits or none does.
int suggestedTextFormat(int chosen, const std::vector<std::string>& lines);

}  // namespace vel
