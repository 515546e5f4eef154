// VEL_Reader: finds the instrument's card, opens its record area and shows
// the main window until it is closed.
#include <QApplication>
#include <QElapsedTimer>
#include <QLibraryInfo>
#include <QTranslator>
#include <cstdlib>

#include "app/CardDiscovery.h"
#include "app/MainWindow.h"
#include "app/StartupProbe.h"
#include "store/RecordAreaStore.h"
#include "store/StandardDescriptors.h"
#include "ui/AnsiText.h"
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

// The image named on the command line (a double-clicked file), made absolute;
// empty when none is named.
std::filesystem::path imageArgument(const QStringList& arguments) {
  for (const QString& argument : arguments.mid(1)) {
    if (!argument.startsWith(QLatin1Char('-'))) {
      std::error_code ignored;
      return std::filesystem::absolute(vel::qStringToPath(argument), ignored);
    }
  }
  return {};
}

}  // namespace

int main(int argc, char** argv) {
  QElapsedTimer started;
  started.start();
  // Before anything is opened: a closed descriptor would go to the card image,
  // and Qt's messages into it.
  vel::openClosedStandardDescriptors();

  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("VEL_Reader"));
  // The standard buttons and the file dialog speak the interface's language.
  QTranslator qtTexts;
  if (qtTexts.load(QLocale(QLocale::Chinese, QLocale::China), QStringLiteral("qtbase"),
                   QStringLiteral("_"), QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
    QApplication::installTranslator(&qtTexts);
  }

  const vel::ListedMedia media(cardFolders());
  vel::RecordAreaStore store;
  vel::QtPrompts prompts;

  const bool probe = vel::startupProbeWanted();
  if (probe) vel::armStartupDialogAnswer();
  vel::MainWindow form(store, prompts, media, imageArgument(QApplication::arguments()));
  if (probe) vel::reportWhenShown(&form, started);
  form.show();
  return QApplication::exec();
}
