// The interface's language: Chinese, in which the program is written, or
// English through the translation embedded in the program. Only what the
// windows show changes; the card and the exchange files never do.
#pragma once

#include <QString>
#include <QStringList>
#include <QTranslator>
#include <initializer_list>
#include <optional>
#include <string>

namespace vel {

enum class Language { kChinese, kEnglish };

// "zh" or "en", the values --lang takes; nothing for any other.
std::optional<Language> languageNamed(const QString& name);

// The language to speak. An explicit choice (--lang) wins; otherwise the
// first of the user's languages (QLocale::uiLanguages, e.g. "en-US",
// "zh-Hans-CN", "C") that the program speaks decides, and Chinese when none
// does. "C" and "POSIX" name no language: Chinese.
Language chooseLanguage(const QStringList& uiLanguages, std::optional<Language> chosen);

// The translators of a language, installed into the application while this
// lives: the program's own and Qt's (standard buttons, file dialog).
class InstalledLanguage {
 public:
  explicit InstalledLanguage(Language language);
  ~InstalledLanguage();
  InstalledLanguage(const InstalledLanguage&) = delete;
  InstalledLanguage& operator=(const InstalledLanguage&) = delete;

  // False when English was asked for and its translation could not be loaded.
  bool loaded() const { return loaded_; }

 private:
  QTranslator program_;
  QTranslator qt_;
  bool loaded_ = true;
  bool programInstalled_ = false;
  bool qtInstalled_ = false;
};

// A refusal or failure text of records/MessageTexts.h in the interface's
// language. The second form also takes the texts made from them (a line
// number, a file or a reason put in), as card/ and exchange/ hand them over.
QString messageText(const char* text);
QString messageText(const std::string& text);

// One kind of file in a file dialog's filter: its description, marked for
// translation in the window's context, and its mask ("*.QPL").
struct FilterEntry {
  const char* description;
  const char* mask;
};
// "description(mask)|mask|..." with the descriptions translated; the masks
// stay as they are in every language.
QString translatedFilter(const char* context, std::initializer_list<FilterEntry> entries);

}  // namespace vel
