#include "exchange/ExchangeFormats.h"

#include <array>
#include <optional>
#include <string>

#include "records/NumberText.h"
#include "records/PointLine.h"

namespace vel {

namespace {

// Comma field reader ------------------------------------------------------------

enum class Field { kName, kCode, kN, kE, kZ };

struct CommaLayout {
  std::array<std::size_t, 5> widths;
  std::array<Field, 5> fields;  // what each field of the line holds, in file order
};

constexpr CommaLayout kPtsLayout{{8, 11, 11, 11, 8},
                                 {Field::kName, Field::kE, Field::kN, Field::kZ, Field::kCode}};
constexpr CommaLayout kSv300Layout{{8, 8, 11, 11, 11},
                                   {Field::kName, Field::kCode, Field::kN, Field::kE, Field::kZ}};
constexpr CommaLayout kCassLayout{{8, 8, 11, 11, 11},
                                  {Field::kName, Field::kCode, Field::kE, Field::kN, Field::kZ}};

bool isCoordinate(Field f) {
  return f != Field::kName && f != Field::kCode;
}

std::string readCommaFields(std::string_view s, const CommaLayout& layout) {
  constexpr std::string_view kZero = "0";
  std::array<std::string, 5> copies;                     // comma-terminated fields, spaces dropped
  std::array<std::optional<std::string_view>, 5> texts;  // by Field; nothing when missing
  std::size_t i = 0;

  for (; i < 5; ++i) {
    const std::size_t comma = s.find(',');
    if (comma == std::string_view::npos) break;
    std::string& copy = copies[i];
    for (char c : s.substr(0, comma)) {
      if (copy.size() == layout.widths[i]) break;
      if (c != ' ') copy += c;
    }
    const Field field = layout.fields[i];
    std::string_view text = copy;
    if (isCoordinate(field) && !inInclusiveRange(leadingNumberValue(text))) text = kZero;
    texts[static_cast<int>(field)] = text;
    s.remove_prefix(comma + 1);
  }

  // The rest of the line is the last field, kept with its spaces, unless it is
  // too long, when it is lost.
  if (i < 5 && s.size() <= layout.widths[i]) {
    const Field field = layout.fields[i];
    std::string_view text = s;
    if (isCoordinate(field) && !inStrictRange(leadingNumberValue(text))) text = kZero;
    texts[static_cast<int>(field)] = text;
  }

  auto text = [&texts, kZero](Field f) {
    const std::optional<std::string_view>& t = texts[static_cast<int>(f)];
    if (!t) return isCoordinate(f) ? kZero : std::string_view();
    return trimText(*t);
  };
  return buildPointLine(text(Field::kName), text(Field::kCode), text(Field::kN), text(Field::kE),
                        text(Field::kZ));
}

bool isSkippedBlank(char c) {
  const auto code = static_cast<unsigned char>(c);
  return code >= 1 && code <= 32;
}

// Number texts a reader cannot bound are cut so that the point line keeps its
// columns; a cut coordinate of 12 characters still has its value.
std::string_view fitText(std::string_view text) {
  return cutText(text, kPointTextLimit);
}
std::string_view fitCoordinate(std::string_view text) {
  return cutText(text, kPointCoordinateLimit);
}

constexpr std::string_view kCrLf = "\r\n";

}  // namespace

// Readers --------------------------------------------------------------------------

std::string parsePtsLine(std::string_view line) {
  return readCommaFields(line, kPtsLayout);
}

std::optional<std::string> parseSv300Line(std::string_view line) {
  const std::size_t comma = line.find(',');
  if (comma == std::string_view::npos) return std::nullopt;
  return readCommaFields(line.substr(comma + 1), kSv300Layout);
}

std::string parseCassLine(std::string_view line) {
  return readCommaFields(line, kCassLayout);
}

std::vector<std::string> splitCommaText(std::string_view line) {
  line = line.substr(0, line.find('\0'));
  std::vector<std::string> items;
  std::size_t p = 0;
  auto skipBlanks = [&] {
    while (p < line.size() && isSkippedBlank(line[p])) ++p;
  };

  skipBlanks();
  while (p < line.size()) {
    std::string item;
    if (line[p] == '"') {
      ++p;
      while (p < line.size()) {
        if (line[p] == '"') {
          if (p + 1 < line.size() && line[p + 1] == '"') {
            item += '"';
            p += 2;
            continue;
          }
          ++p;  // the closing quote
          break;
        }
        item += line[p++];
      }
    } else {
      const std::size_t start = p;
      while (p < line.size() && line[p] != ',' && static_cast<unsigned char>(line[p]) > 32) ++p;
      item.assign(line.substr(start, p - start));
    }
    items.push_back(std::move(item));
    skipBlanks();
    if (p < line.size() && line[p] == ',') {
      ++p;
      skipBlanks();
    }
  }
  return items;
}

std::string parseCsvLine(std::string_view line) {
  const std::vector<std::string> items = splitCommaText(line);
  auto item = [&items](std::size_t i) {
    return i < items.size() ? trimText(items[i]) : std::string_view();
  };
  auto coordinate = [&item](std::size_t i) {
    const std::string_view text = item(i);
    return text.empty() ? std::string_view("0.000") : fitCoordinate(text);
  };
  return buildPointLine(fitText(item(0)), fitText(item(4)), coordinate(1), coordinate(2),
                        coordinate(3));
}

unsigned csvCutCoordinates(std::string_view line) {
  const std::vector<std::string> items = splitCommaText(line);
  unsigned cut = 0;
  for (std::size_t i = 1; i <= 3 && i < items.size(); ++i) {
    if (trimText(items[i]).size() > kPointCoordinateLimit) cut |= 1u << (i - 1);
  }
  return cut;
}

std::optional<std::vector<std::string>> convertScs2002Lines(const std::vector<std::string>& lines) {
  const std::size_t count = lines.size();
  if (count < 6 || count % 5 != 2) return std::nullopt;
  if (trimText(lines.back()) != "E") return std::nullopt;
  if (trimText(lines.front()) != std::to_string((count - 2) / 5)) return std::nullopt;

  auto coordinate = [](const std::string& line) {
    double value = leadingNumberValue(line);
    if (!inInclusiveRange(value)) value = 0;
    return formatThreeDecimals(value);
  };

  std::vector<std::string> pointLines;
  pointLines.reserve((count - 2) / 5);
  for (std::size_t first = 1; first + 5 < count; first += 5) {
    pointLines.push_back(buildPointLine(fitText(trimText(lines[first])), fitText(lines[first + 1]),
                                        fitCoordinate(coordinate(lines[first + 2])),
                                        fitCoordinate(coordinate(lines[first + 3])),
                                        fitCoordinate(coordinate(lines[first + 4]))));
  }
  return pointLines;
}

// Writers --------------------------------------------------------------------------

std::string formatPtsLine(std::string_view pointLine) {
  return pointLineName(pointLine) + ',' + pointLineE(pointLine) + ',' + pointLineN(pointLine) +
         ',' + pointLineZ(pointLine) + ',' + pointLineCode(pointLine);
}

std::string formatScs2002Point(std::string_view pointLine) {
  std::string text;
  for (const std::string& field :
       {pointLineName(pointLine), pointLineCode(pointLine), pointLineN(pointLine),
        pointLineE(pointLine), pointLineZ(pointLine)}) {
    text += field;
    text += kCrLf;
  }
  return text;
}

std::string formatSv300Line(std::string_view pointLine) {
  return pointLineName(pointLine) + ',' + pointLineCode(pointLine) + ',' + pointLineN(pointLine) +
         ',' + pointLineE(pointLine) + ',' + pointLineZ(pointLine);
}

std::string formatCassLine(std::string_view pointLine) {
  return pointLineName(pointLine) + ',' + pointLineCode(pointLine) + ',' + pointLineE(pointLine) +
         ',' + pointLineN(pointLine) + ',' + pointLineZ(pointLine);
}

std::string formatCsvLine(std::string_view pointLine) {
  auto quoted = [](const std::string& text) { return '"' + text + '"'; };
  std::string text = quoted(pointLineName(pointLine)) + ',' + quoted(pointLineN(pointLine)) + ',' +
                     quoted(pointLineE(pointLine)) + ',' + quoted(pointLineZ(pointLine));
  const std::string code = pointLineCode(pointLine);
  if (!code.empty()) text += ',' + quoted(code);
  return text;
}

std::string formatDxfPoint(std::string_view pointLine) {
  const std::string n = pointLineN(pointLine);
  const std::string e = pointLineE(pointLine);
  const std::string z = pointLineZ(pointLine);
  // The text entity stands at the point itself, 0.2 high, on its own layer.
  return "0\r\nPOINT\r\n8\r\npoint\r\n10\r\n" + e + "\r\n20\r\n" + n + "\r\n30\r\n" + z +
         "\r\n0\r\nTEXT\r\n8\r\nPT#\r\n10\r\n" + e + "\r\n20\r\n" + n + "\r\n30\r\n" + z +
         "\r\n40\r\n0.2\r\n1\r\n" + pointLineName(pointLine);
}

}  // namespace vel
