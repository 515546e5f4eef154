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
#include <vector>

#include "messages/Messages.h"

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

// A text of messages/MessageTexts.h in the interface's language.
QString messageText(const char* text);
// A text messages/Messages.h made in the interface's language (UTF-8).
QString messageText(const std::string& text);
// The interface's language for messages/Messages.h.
Translate interfaceLanguage();

// One kind of file in a file dialog's filter: its description, marked for
// translation in the window's context, and its mask ("*.QPL").
struct FilterEntry {
  const char* description;
  const char* mask;
};
// "description(mask)|mask|..." with the descriptions translated; the masks
// stay as they are in every language.
QString translatedFilter(const char* context, std::initializer_list<FilterEntry> entries);

// The same for formats of the registry: each one's label (translated in
// the context "vel::Formats") and its masks, in the order given.
QString formatFilter(const std::vector<const ExchangeFormatEntry*>& formats);
// The format at a 1-based place of such a filter; nothing past its end.
const ExchangeFormatEntry* formatAt(const std::vector<const ExchangeFormatEntry*>& formats,
                                    int place);
// The 1-based place of a format's number in such a filter; 0 when it is not there.
int placeOf(const std::vector<const ExchangeFormatEntry*>& formats, int id);

}  // namespace vel
