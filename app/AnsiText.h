// The one crossing between the card's GBK bytes and the widgets' text.
#pragma once

#include <QString>
#include <filesystem>
#include <string>
#include <string_view>

namespace vel {

QString ansiToQString(std::string_view gbk);
// Characters GBK cannot hold become '?'.
std::string qStringToAnsi(const QString& text);

// File names go through the file system's own encoding, not GBK.
QString pathToQString(const std::filesystem::path& path);
std::filesystem::path qStringToPath(const QString& path);

}  // namespace vel
