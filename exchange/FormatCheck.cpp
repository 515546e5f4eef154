#include "exchange/FormatCheck.h"

#include <string_view>

#include "exchange/ExchangeFormats.h"
#include "records/PointLine.h"

namespace vel {
namespace {

// A decimal number as the formats write coordinates: a sign, digits, a point.
bool isNumber(std::string_view text) {
  text = trimText(text);
  if (!text.empty() && (text.front() == '-' || text.front() == '+')) text.remove_prefix(1);
  bool digit = false;
  bool point = false;
  for (char c : text) {
    if (c >= '0' && c <= '9') {
      digit = true;
    } else if (c == '.' && !point) {
      point = true;
    } else {
      return false;
    }
  }
  return digit;
}

bool isNumberOrEmpty(std::string_view text) { return trimText(text).empty() || isNumber(text); }

bool isCount(std::string_view text) {
  text = trimText(text);
  return !text.empty() && text.find_first_not_of("0123456789") == std::string_view::npos;
}

std::vector<std::string> commaFields(std::string_view line) {
  std::vector<std::string> fields;
  std::size_t start = 0;
  while (true) {
    const std::size_t comma = line.find(',', start);
    fields.emplace_back(line.substr(start, comma - start));
    if (comma == std::string_view::npos) return fields;
    start = comma + 1;
  }
}

// One line of a format whose points are one line each; N and E must be
// numbers, Z a number or empty.
bool lineFits(int format, std::string_view line) {
  switch (format) {
    case kQplFormat:
      return line.find(',') == std::string_view::npos && isNumber(pointLineN(line)) &&
             isNumber(pointLineE(line)) && isNumberOrEmpty(pointLineZ(line));
    case kPtsFormat: {  // name, E, N, Z, code
      const auto f = commaFields(line);
      return f.size() >= 4 && f.size() <= 5 && !trimText(f[0]).empty() && isNumber(f[1]) &&
             isNumber(f[2]) && isNumberOrEmpty(f[3]);
    }
    case kSv300Format: {  // number, name, code, N, E, Z
      const auto f = commaFields(line);
      return f.size() == 6 && isCount(f[0]) && isNumber(f[3]) && isNumber(f[4]) &&
             isNumberOrEmpty(f[5]);
    }
    case kCassFormat: {  // name, code, E, N, Z
      const auto f = commaFields(line);
      return f.size() == 5 && !trimText(f[0]).empty() && isNumber(f[2]) && isNumber(f[3]) &&
             isNumberOrEmpty(f[4]);
    }
    case kCsvFormat: {  // "name","N","E","Z"[,"code"]
      const auto f = splitCommaText(line);
      return f.size() >= 4 && f.size() <= 5 && isNumber(f[1]) && isNumber(f[2]) &&
             isNumberOrEmpty(f[3]);
    }
    default:
      return false;
  }
}

// A count line, then name, code, N, E, Z per point, then "E".
FormatFit scs2002Fit(const std::vector<std::string>& lines) {
  FormatFit fit;
  const auto misfit = [&](std::size_t index) {
    fit = {false, index + 1, lines[index]};
    return fit;
  };
  if (lines.empty()) return fit;
  if (!isCount(lines[0])) return misfit(0);
  for (std::size_t i = 1; i < lines.size() && i <= kCheckedLines; ++i) {
    const std::size_t place = (i - 1) % 5;  // 0 name, 1 code, 2 N, 3 E, 4 Z
    if (trimText(lines[i]) == "E" && place == 0) return fit;
    const bool number = place == 2 || place == 3;
    if ((number && !isNumber(lines[i])) || (place == 4 && !isNumberOrEmpty(lines[i]))) {
      return misfit(i);
    }
  }
  return fit;
}

}  // namespace

FormatFit checkTextFormat(int format, const std::vector<std::string>& lines) {
  if (format == kScs2002Format) return scs2002Fit(lines);
  std::size_t checked = 0;
  for (std::size_t i = 0; i < lines.size() && checked < kCheckedLines; ++i) {
    if (trimText(lines[i]).empty()) continue;
    ++checked;
    if (!lineFits(format, lines[i])) return {false, i + 1, lines[i]};
  }
  return {};
}

std::vector<int> fittingTextFormats(const std::vector<std::string>& lines) {
  std::vector<int> fitting;
  for (int format = kQplFormat; format <= kCsvFormat; ++format) {
    if (checkTextFormat(format, lines).fits) fitting.push_back(format);
  }
  return fitting;
}

int suggestedTextFormat(int chosen, const std::vector<std::string>& lines) {
  if (checkTextFormat(chosen, lines).fits) return 0;
  const std::vector<int> fitting = fittingTextFormats(lines);
  return fitting.empty() ? 0 : fitting.front();
}

}  // namespace vel
