// Whole exchange files: the text lines a file is read as, and the bytes a list
// of point lines is written as in each format.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vel {

// Lines end at CR LF, CR or LF, which are not part of them; a line end at the
// very end does not start a further line; a NUL byte ends the text.
std::vector<std::string> splitTextLines(std::string_view bytes);

// The most an import file may hold: a full job's lines are a few hundred KiB.
constexpr std::size_t kMaxTextFileBytes = std::size_t{64} << 20;

// The lines of a file, or nothing when it cannot be read; `error` then
// receives the system's error number. A file larger than kMaxTextFileBytes is
// refused before it is read, and a pipe or device that delivers more is
// refused once it does (EFBIG).
std::optional<std::vector<std::string>> readTextLines(const std::string& path,
                                                      int* error = nullptr);

// The bytes of a file holding the point lines in the format (1 to 7): DXF
// header and trailer, SCS2002 count and end line, SV300 sequence numbers, CR LF
// after each line. Throws std::invalid_argument for another format index.
std::string exchangeFileText(int format, const std::vector<std::string>& pointLines);

// Replaces whatever the path holds by that text. False when the format index
// is not 1 to 7 or the file cannot be created or written in full.
bool writeExchangeFile(const std::string& path, int format,
                       const std::vector<std::string>& pointLines);

}  // namespace vel
