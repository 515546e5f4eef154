#include "ui/Language.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QRegularExpression>

namespace vel {

std::optional<Language> languageNamed(const QString& name) {
  if (name == QLatin1String("zh")) return Language::kChinese;
  if (name == QLatin1String("en")) return Language::kEnglish;
  return std::nullopt;
}

Language chooseLanguage(const QStringList& uiLanguages, std::optional<Language> chosen) {
  if (chosen) return *chosen;
  for (const QString& name : uiLanguages) {
    // "en-US", "en_GB.UTF-8", "zh-Hans-CN": the language comes before the first separator.
    const QString language = name.section(QRegularExpression(QStringLiteral("[-_.@]")), 0, 0);
    if (language.compare(QLatin1String("en"), Qt::CaseInsensitive) == 0) return Language::kEnglish;
    if (language.compare(QLatin1String("zh"), Qt::CaseInsensitive) == 0) return Language::kChinese;
    if (language == QLatin1String("C") || language == QLatin1String("POSIX")) break;
  }
  return Language::kChinese;
}

InstalledLanguage::InstalledLanguage(Language language) {
  if (language == Language::kEnglish) {
    loaded_ = program_.load(QStringLiteral(":/i18n/vel-reader_en.qm"));
    if (loaded_) programInstalled_ = QCoreApplication::installTranslator(&program_);
    // Qt's own texts are English already.
    return;
  }
  if (qt_.load(QLocale(QLocale::Chinese, QLocale::China), QStringLiteral("qtbase"),
               QStringLiteral("_"), QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
    qtInstalled_ = QCoreApplication::installTranslator(&qt_);
  }
}

InstalledLanguage::~InstalledLanguage() {
  if (programInstalled_) QCoreApplication::removeTranslator(&program_);
  if (qtInstalled_) QCoreApplication::removeTranslator(&qt_);
}

QString messageText(const char* text) {
  return QCoreApplication::translate("MessageTexts", text);
}

Translate interfaceLanguage() {
  return [](const char* source) {
    return QCoreApplication::translate("MessageTexts", source).toStdString();
  };
}

QString messageText(const std::string& text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QString translatedFilter(const char* context, std::initializer_list<FilterEntry> entries) {
  QStringList parts;
  for (const FilterEntry& entry : entries) {
    const QString mask = QString::fromLatin1(entry.mask);
    parts << QCoreApplication::translate(context, entry.description) + QLatin1Char('(') + mask +
                 QLatin1Char(')')
          << mask;
  }
  return parts.join(QLatin1Char('|'));
}

QString formatFilter(const std::vector<const ExchangeFormatEntry*>& formats) {
  QStringList parts;
  for (const ExchangeFormatEntry* format : formats) {
    QStringList masks;
    for (const std::string& mask : format->masks) masks << QString::fromStdString(mask);
    const QString joined = masks.join(QLatin1Char(' '));
    parts << QCoreApplication::translate("vel::Formats", format->label) + QLatin1Char('(') +
                 joined + QLatin1Char(')')
          << joined;
  }
  return parts.join(QLatin1Char('|'));
}

const ExchangeFormatEntry* formatAt(const std::vector<const ExchangeFormatEntry*>& formats,
                                    int place) {
  if (place < 1 || place > static_cast<int>(formats.size())) return nullptr;
  return formats[static_cast<size_t>(place - 1)];
}

int placeOf(const std::vector<const ExchangeFormatEntry*>& formats, int id) {
  for (size_t i = 0; i < formats.size(); ++i) {
    if (formats[i]->id == id) return static_cast<int>(i) + 1;
  }
  return 0;
}

}  // namespace vel
