// The point line: one point in transit between the record area and the
// exchange files, as a single text line with five fields in fixed columns.
// No other code knows these columns.
#pragma once

#include <string>
#include <string_view>

namespace vel {

// Columns written (1-based): name 1-9, code 10-18, N 19-30, E 31-42, Z 43-54.
// The last column of each field stays a space, so the fields read back one
// narrower than they are written.
constexpr int kPointNameWidth = 9;
constexpr int kPointCodeWidth = 9;
constexpr int kPointCoordinateWidth = 12;
constexpr int kPointLineLength = kPointNameWidth + kPointCodeWidth + 3 * kPointCoordinateWidth;

// How much of a field survives the trip through a point line.
constexpr std::size_t kPointTextLimit = 8;         // names and codes
constexpr std::size_t kPointCoordinateLimit = 11;  // N, E and Z texts

// Removes leading and trailing bytes with codes 0 to 32.
std::string_view trimText(std::string_view text);

// At most the first `limit` bytes.
std::string_view cutText(std::string_view text, std::size_t limit);

// Each text left-aligned and padded with spaces to its width; a longer text is
// kept whole and shifts the fields after it.
std::string buildPointLine(std::string_view name, std::string_view code, std::string_view n,
                           std::string_view e, std::string_view z);

// The field's reading columns, trimmed; empty when the line ends before them.
std::string pointLineName(std::string_view line);
std::string pointLineCode(std::string_view line);
std::string pointLineN(std::string_view line);
std::string pointLineE(std::string_view line);
std::string pointLineZ(std::string_view line);

}  // namespace vel
