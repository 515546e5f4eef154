// The one crossing between the card's GBK bytes and the widgets' text.
#pragma once

#include <QString>
#include <filesystem>
#include <span>
#include <string>
#include <string_view>

namespace vel {

QString ansiToQString(std::string_view gbk);
// Characters GBK cannot hold become '?'.
std::string qStringToAnsi(const QString& text);

// The text of a fixed name buffer: its bytes up to the first NUL, or all of
// them when it holds none.
QString bufferText(std::span<const char> buffer);
// An entry field's text into a fixed name buffer: blanks and control
// characters cut from both ends, the first buffer.size() bytes copied, the
// rest filled with NUL. Nothing is written past the buffer's end.
void copyTrimmedText(const QString& text, std::span<char> buffer);

// File names go through the file system's own encoding, not GBK.
QString pathToQString(const std::filesystem::path& path);
std::filesystem::path qStringToPath(const QString& path);

}  // namespace vel
