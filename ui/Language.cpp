#include "ui/Language.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QRegularExpression>
#include <vector>

#include "exchange/GridCellCheck.h"
#include "records/MessageTexts.h"

namespace vel {
namespace {

// exchange/ may not know of Qt, so its one shown text is marked here; the
// language test sees that the two stay the same words.
[[maybe_unused]] constexpr const char* kCoordinateRangeMark = QT_TRANSLATE_NOOP(
    "MessageTexts", "输入的坐标数据超出最大范围:\r\n(-999999.999m~9999999.999m)\r\n请重新输入!");

QString translated(const QString& text) {
  return QCoreApplication::translate("MessageTexts", text.toUtf8().constData());
}

// The texts card/ and exchange/ put values into; the values are translated
// too, as a reason may itself be a message text.
struct Pattern {
  QString source;  // with %1 and %2
  QRegularExpression match;
};

const std::vector<Pattern>& patterns() {
  static const std::vector<Pattern> list = [] {
    std::vector<Pattern> made;
    const QString texts[] = {
        QString::fromUtf8(kImportUnreadableText), QString::fromUtf8(kImportNoCommaText),
        QString::fromUtf8(kImportNoSuchFormatText), QString::fromUtf8(kSystemErrorText),
        QString::fromUtf8(kImportNulText), QString::fromUtf8(kSnapshotIndexUnreadableText)};
    for (const QString& text : texts) {
      // The words as they are, each place of a value a group.
      QString expression;
      qsizetype from = 0;
      static const QRegularExpression place(QStringLiteral("%([12])"));
      for (auto it = place.globalMatch(text); it.hasNext();) {
        const QRegularExpressionMatch found = it.next();
        expression += QRegularExpression::escape(text.mid(from, found.capturedStart() - from));
        expression += found.captured(1) == QLatin1String("1") ? QStringLiteral("(.*?)")
                                                              : QStringLiteral("(.*)");
        from = found.capturedEnd();
      }
      expression += QRegularExpression::escape(text.mid(from));
      made.push_back({text, QRegularExpression(QRegularExpression::anchoredPattern(expression),
                                               QRegularExpression::DotMatchesEverythingOption)});
    }
    return made;
  }();
  return list;
}

}  // namespace

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

QString messageText(const std::string& text) {
  const QString source = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
  const QString whole = translated(source);
  if (whole != source) return whole;
  // The snapshot's failure: its words, the folder, and the reason on a line of its own.
  const QString snapshotFailed = QString::fromUtf8(kSnapshotFailedText);
  if (source.startsWith(snapshotFailed)) {
    const QString rest = source.mid(snapshotFailed.size());
    const qsizetype lineEnd = rest.lastIndexOf(QStringLiteral("\r\n"));
    if (lineEnd < 0) return translated(snapshotFailed) + rest;
    return translated(snapshotFailed) + rest.left(lineEnd + 2) +
           messageText(rest.mid(lineEnd + 2).toStdString());
  }
  for (const Pattern& pattern : patterns()) {
    const QRegularExpressionMatch found = pattern.match.match(source);
    if (!found.hasMatch()) continue;
    const QString form = translated(pattern.source);
    if (form == pattern.source) return source;
    const QString first = messageText(found.captured(1).toStdString());
    if (found.lastCapturedIndex() < 2) return form.arg(first);
    return form.arg(first, messageText(found.captured(2).toStdString()));
  }
  return source;
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

}  // namespace vel
