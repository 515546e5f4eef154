#include "app/AnsiText.h"

#include <QFile>

#include "store/Gbk.h"

namespace vel {

QString ansiToQString(std::string_view gbk) {
  return QString::fromStdString(gbkToUtf8(gbk));
}

std::string qStringToAnsi(const QString& text) {
  return utf8ToGbk(text.toStdString());
}

QString pathToQString(const std::filesystem::path& path) {
  return QFile::decodeName(QByteArray::fromStdString(path.native()));
}

std::filesystem::path qStringToPath(const QString& path) {
  return std::filesystem::path(QFile::encodeName(path).toStdString());
}

}  // namespace vel
