// Whole exchange files: the text lines a file is read as, and the bytes a list
// of point lines is written as in each format.
#pragma once

#include <cerrno>
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

// Why a file was not read as text lines.
struct TextReadFailure {
  int error = 0;       // the system's error number, or one of the two below
  std::size_t line = 0;  // kNotText: the line (from 1) of the first NUL byte
};
// Not a regular file (a FIFO, a device, a socket): never read, so that no
// reading waits for ever.
constexpr int kNotRegularFile = ESPIPE;
// Bytes no text line of the exchange formats holds: a NUL byte, or the mark
// of UTF-16 at its start (kUtf16Text).
constexpr int kNotText = EILSEQ;
constexpr int kUtf16Text = EBADMSG;

// The lines of a regular file, or nothing when it cannot be read whole as
// text; `failure` then says why. A file larger than kMaxTextFileBytes is
// refused before it is read (EFBIG); a file with a NUL byte or in UTF-16 is
// refused whole rather than read in part.
std::optional<std::vector<std::string>> readTextLines(const std::string& path,
                                                      TextReadFailure* failure = nullptr);

// The bytes of a file holding the point lines in the format (1 to 7): DXF
// header and trailer, SCS2002 count and end line, SV300 sequence numbers, CR LF
// after each line. Throws std::invalid_argument for another format index.
std::string exchangeFileText(int format, const std::vector<std::string>& pointLines);

// Replaces whatever the path holds by that text, whole or not at all: the
// text goes to a new file beside it, forced to the disk, then renamed over
// it, so that a full disk or a failure leaves the old file as it was. False
// when the format index is not 1 to 7 or the file cannot be written.
bool writeExchangeFile(const std::string& path, int format,
                       const std::vector<std::string>& pointLines);
// The same for any bytes (drawings, other formats).
bool replaceFileWhole(const std::string& path, std::string_view bytes);

}  // namespace vel
