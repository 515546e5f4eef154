// The exchange formats, one point at a time: readers turn a line of a file
// into a point line, writers turn a point line into the text of a file. They
// work on bytes only (code page 936, no conversion) and never touch the record
// area. The whole-file framing is in ExchangeFile.h.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vel {

// Format index: the 1-based place of the format in the file dialogs' filters.
enum ExchangeFormat : int {
  kQplFormat = 1,
  kPtsFormat = 2,
  kScs2002Format = 3,
  kSv300Format = 4,
  kCassFormat = 5,
  kCsvFormat = 6,
  kDxfFormat = 7,  // written only
};
constexpr bool isExchangeFormat(int index) {
  return index >= kQplFormat && index <= kDxfFormat;
}
constexpr bool isImportFormat(int index) {
  return index >= kQplFormat && index <= kCsvFormat;
}

// Coordinates a file may carry; a reader replaces a value outside by 0.
constexpr double kLowestCoordinate = -1000000.0;
constexpr double kHighestCoordinate = 10000000.0;
constexpr bool inInclusiveRange(double v) {
  return v >= kLowestCoordinate && v <= kHighestCoordinate;
}
constexpr bool inStrictRange(double v) {
  return v > kLowestCoordinate && v < kHighestCoordinate;
}

// --- Readers ------------------------------------------------------------------
// PTS, SV300 and CASS5.X lines go through the comma field reader: spaces are
// dropped from comma-terminated fields, which are cut to their widths; a last
// field longer than its width is lost; coordinates outside the range become
// "0" (inclusive test for comma-terminated fields, strict for the last one);
// missing coordinates are "0", missing texts empty.

// name, E, N, Z, code
std::string parsePtsLine(std::string_view line);
// sequence number (not read), name, code, N, E, Z. Nothing for a line without
// any comma: such a file cannot be imported at all.
std::optional<std::string> parseSv300Line(std::string_view line);
// name, code, E, N, Z
std::string parseCassLine(std::string_view line);

// Items of a line as a comma-text: quoted items may hold commas and blanks
// (a doubled quote stands for one); outside quotes, blanks separate items as
// commas do; two commas in a row give an empty item; a comma at the end adds
// none.
std::vector<std::string> splitCommaText(std::string_view line);
// name, N, E, Z, code, each trimmed; an empty N, E or Z is "0.000". Neither
// width limit nor range test, but a name or code is cut to 8 bytes and a
// coordinate text to 11, so the point line keeps its columns.
std::string parseCsvLine(std::string_view line);
// Which of the line's N, E and Z parseCsvLine cuts to 11 characters: bit 0
// for N, 1 for E, 2 for Z; 0 for none.
unsigned csvCutCoordinates(std::string_view line);

// A whole SCS2002 file: a count line, five lines per point (name, code, N, E,
// Z) and an end line "E". Nothing when the count or the end line does not fit
// (a format error). N, E and Z are rewritten with three decimals, 0.000 when
// outside the range; name and code are cut to 8 bytes.
std::optional<std::vector<std::string>> convertScs2002Lines(const std::vector<std::string>& lines);

// --- Writers ------------------------------------------------------------------
// Each field is taken from the point line trimmed; numbers are written as the
// point line holds them, never reformatted. No line end unless stated.

// name,E,N,Z,code (an empty code leaves the line ending in ",")
std::string formatPtsLine(std::string_view pointLine);
// five lines, each ending with CR LF: name, code, N, E, Z
std::string formatScs2002Point(std::string_view pointLine);
// name,code,N,E,Z; the file puts the sequence number and "," before it
std::string formatSv300Line(std::string_view pointLine);
// name,code,E,N,Z
std::string formatCassLine(std::string_view pointLine);
// "name","N","E","Z" and ,"code" when there is a code; nothing is escaped
std::string formatCsvLine(std::string_view pointLine);
// a POINT and a TEXT entity, 24 lines, no line end after the name
std::string formatDxfPoint(std::string_view pointLine);

}  // namespace vel
