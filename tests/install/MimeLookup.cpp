// Prints, one a line, the MIME type a Qt desktop gives each file name: the
// shared-mime-info database found under XDG_DATA_DIRS decides, by name alone.
#include <QCoreApplication>
#include <QMimeDatabase>
#include <cstdio>

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  const QMimeDatabase database;
  for (int i = 1; i < argc; ++i) {
    const QMimeType type =
        database.mimeTypeForFile(QString::fromLocal8Bit(argv[i]), QMimeDatabase::MatchExtension);
    std::printf("%s\n", qPrintable(type.name()));
  }
  return 0;
}
