#include "ui/AnsiText.h"

#include <QFile>
#include <algorithm>
#include <cstring>

#include "store/Gbk.h"

namespace vel {

QString ansiToQString(std::string_view gbk) {
  return QString::fromStdString(gbkToUtf8(gbk));
}

std::string qStringToAnsi(const QString& text) {
  return utf8ToGbk(text.toStdString());
}

QString bufferText(std::span<const char> buffer) {
  const auto end = std::find(buffer.begin(), buffer.end(), '\0');
  return ansiToQString(std::string_view(buffer.data(), static_cast<size_t>(end - buffer.begin())));
}

void copyTrimmedText(const QString& text, std::span<char> buffer) {
  const std::string bytes = qStringToAnsi(text);
  // Blanks and control characters, as the name fields count them.
  const auto isSpace = [](char c) {
    const auto b = static_cast<unsigned char>(c);
    return b <= ' ' || b == 127;
  };
  size_t first = 0;
  size_t last = bytes.size();
  while (first < last && isSpace(bytes[first])) ++first;
  while (last > first && isSpace(bytes[last - 1])) --last;
  const size_t length = std::min(last - first, buffer.size());
  std::fill(buffer.begin(), buffer.end(), '\0');
  std::memcpy(buffer.data(), bytes.data() + first, length);
}

QString pathToQString(const std::filesystem::path& path) {
  return QFile::decodeName(QByteArray::fromStdString(path.native()));
}

std::filesystem::path qStringToPath(const QString& path) {
  return std::filesystem::path(QFile::encodeName(path).toStdString());
}

}  // namespace vel
