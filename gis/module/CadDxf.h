// The DXF for CAD: GDAL's DXF writer, with a header that says the file's
// texts are code page 936 (ANSI_936), and its texts then put in that code
// page, the card's own: every CAD reader shows the Chinese names as they are.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace vel {

// GDAL's header template with the code page 936, written to `file`. False
// when GDAL's template cannot be found.
bool writeCadDxfHeader(const std::filesystem::path& file);

// A text with "\\U+XXXX" escapes (as some writers put any character beyond
// ASCII, and GDAL's reader leaves them) in UTF-8; every other byte kept.
std::string decodeDxfUnicode(std::string_view text);

// A text value as GDAL's DXF writer escapes it (characters above U+00FF as
// "\U+XXXX", those from U+0080 to U+00FF as one byte), in UTF-8.
std::string dxfTextAsUtf8(std::string_view escaped);

// A DXF file's bytes with every value that GDAL wrote in UTF-8 or escaped
// (texts, layer names) in code page 936.
std::string cadDxfTextsAsGbk(std::string_view bytes);

}  // namespace vel
