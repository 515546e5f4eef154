// VEL_Reader: finds the instrument's card, opens its record area and shows
// the main window until it is closed.
#include <QApplication>
#include <QElapsedTimer>
#include <QLocale>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "app/CardDiscovery.h"
#include "app/MainWindow.h"
#include "app/StartupProbe.h"
#include "card/CardSession.h"
#include "exchange/FormatRegistry.h"
#include "gis/GisFormats.h"
#include "store/StandardDescriptors.h"
#include "ui/AnsiText.h"
#include "ui/Language.h"
#include "ui/Prompts.h"

namespace {

// VEL_READER_MEDIA: folders examined before the removable media, separated
// by ':' (a card kept in a folder, for trying the program without a card).
std::vector<std::filesystem::path> cardFolders() {
  std::vector<std::filesystem::path> folders;
  const QString extra = qEnvironmentVariable("VEL_READER_MEDIA");
  for (const QString& folder : extra.split(QLatin1Char(':'), Qt::SkipEmptyParts)) {
    folders.push_back(vel::qStringToPath(folder));
  }
  for (const auto& folder : vel::RemovableMedia().folders()) folders.push_back(folder);
  return folders;
}

// The value of --lang (--lang en, --lang=en); empty when it is not given.
QString languageArgument(const QStringList& arguments) {
  QString value;
  for (qsizetype i = 1; i < arguments.size(); ++i) {
    if (arguments[i] == QLatin1String("--lang") && i + 1 < arguments.size()) {
      value = arguments[++i];
    } else if (arguments[i].startsWith(QLatin1String("--lang="))) {
      value = arguments[i].mid(7);
    }
  }
  return value;
}

// The image named on the command line (a double-clicked file), made absolute;
// empty when none is named.
std::filesystem::path imageArgument(const QStringList& arguments) {
  for (qsizetype i = 1; i < arguments.size(); ++i) {
    const QString& argument = arguments[i];
    if (argument == QLatin1String("--lang")) {
      ++i;  // its value is no image
      continue;
    }
    if (!argument.startsWith(QLatin1Char('-'))) {
      std::error_code ignored;
      return std::filesystem::absolute(vel::qStringToPath(argument), ignored);
    }
  }
  return {};
}

constexpr const char* kHelp =
    "Usage: vel-reader [IMAGE]\n"
    "Show and change the record area of a total station's SD card: jobs and their\n"
    "survey records, known points, feature codes, points imported from text files\n"
    "and written out to exchange formats.\n"
    "\n"
    "With IMAGE (a record-area image, VEL/*.VEL on the card) the program opens it\n"
    "at once. Without, it looks for the card among the removable media (the first\n"
    "one with a VEL folder) and asks for the image there.\n"
    "\n"
    "Options:\n"
    "  -h, --help       show this help and exit\n"
    "      --version    show the version and exit\n"
    "      --lang LANG  the interface's language: zh (Chinese) or en (English);\n"
    "                   by default the system's language, Chinese unless it is\n"
    "                   English\n"
    "\n"
    "Environment:\n"
    "  VEL_READER_MEDIA  folders examined as media before the removable ones,\n"
    "                    separated by ':'; a folder with a VEL folder inside is\n"
    "                    taken for a card\n"
    "  VEL_BACKUP_DIR    the backups folder\n"
    "                    (default ~/.local/share/vel-reader/backups)\n";

// --help and --version answer before QApplication exists, so that they work
// without a display (the install tests hold the manual page to them).
bool answeredInformationOption(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
      std::fputs(kHelp, stdout);
      return true;
    }
    if (std::strcmp(argv[i], "--version") == 0) {
      std::puts("vel-reader " VEL_VERSION);
      return true;
    }
  }
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  QElapsedTimer started;
  started.start();
  // Before anything is opened: a closed descriptor would go to the card image,
  // and Qt's messages into it.
  vel::openClosedStandardDescriptors();
  if (answeredInformationOption(argc, argv)) return std::fflush(stdout) == 0 ? 0 : 1;

  QApplication app(argc, argv);
  // The product's name as the desktop shows it: the X11 window class and the
  // caption of a box without one. No display name is set, as Qt would add it
  // to every caption, the main window's "Veldra V2.1" included. The desktop
  // file name ties the windows to the menu entry (Wayland's app id).
  QApplication::setApplicationName(QStringLiteral("VEL_Reader"));
  QGuiApplication::setDesktopFileName(QStringLiteral("vel-reader"));
  // The interface's language, and with it that of the standard buttons and
  // the file dialog.
  const QString languageOption = languageArgument(QApplication::arguments());
  const std::optional<vel::Language> namedLanguage = vel::languageNamed(languageOption);
  if (!languageOption.isEmpty() && !namedLanguage) {
    std::fprintf(stderr, "vel-reader: unknown language '%s' (zh or en); the system's is used\n",
                 languageOption.toLocal8Bit().constData());
  }
  const vel::InstalledLanguage language(
      vel::chooseLanguage(QLocale::system().uiLanguages(), namedLanguage));

  vel::registerGisFormats(vel::FormatRegistry::instance());
  const vel::ListedMedia media(cardFolders());
  vel::CardSession session;
  vel::QtPrompts prompts;

  const bool probe = vel::startupProbeWanted();
  if (probe) vel::armStartupDialogAnswer();
  vel::MainWindow form(session, prompts, media, imageArgument(QApplication::arguments()));
  if (probe) vel::reportWhenShown(&form, started);
  form.show();
  return QApplication::exec();
}
