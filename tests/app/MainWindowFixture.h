// A main window over scratch images, answered by scripted prompts.
#pragma once

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>

#include <array>
#include <memory>

#include "app/CardDiscovery.h"
#include "app/MainWindow.h"
#include "store/RecordAreaStore.h"
#include "tests/support/CardPrinters.h"
#include "tests/support/OtherWriter.h"
#include "tests/support/QtPrinters.h"
#include "tests/support/ScratchCard.h"
#include "tests/support/ScriptedEntryDialogs.h"
#include "tests/support/ScriptedPrompts.h"
#include "ui/AnsiText.h"

namespace vel::test {

using Kind = ShownPrompt::Kind;

// A 42-byte PT record with the given name and no coordinates.
inline std::array<uint8_t, kRecordSize> pointRecord(const std::string& name) {
  std::array<uint8_t, kRecordSize> record{};
  record[0] = 4;
  std::copy(name.begin(), name.begin() + std::min<size_t>(name.size(), 8), record.begin() + 1);
  return record;
}

inline QStringList rowsOf(const QListWidget* list) {
  QStringList rows;
  for (int i = 0; i < list->count(); ++i) rows << list->item(i)->text();
  return rows;
}

// Writes beyond the limit fail with EFBIG, as on a card that takes no more.
class FileSizeLimit {
 public:
  explicit FileSizeLimit(rlim_t bytes) {
    previousHandler_ = signal(SIGXFSZ, SIG_IGN);
    getrlimit(RLIMIT_FSIZE, &previous_);
    rlimit limit = previous_;
    limit.rlim_cur = bytes;
    setrlimit(RLIMIT_FSIZE, &limit);
  }
  ~FileSizeLimit() {
    setrlimit(RLIMIT_FSIZE, &previous_);
    signal(SIGXFSZ, previousHandler_);
  }
  FileSizeLimit(const FileSizeLimit&) = delete;
  FileSizeLimit& operator=(const FileSizeLimit&) = delete;

 private:
  rlimit previous_{};
  sighandler_t previousHandler_;
};

class MainWindowTest : public ::testing::Test {
 protected:
  // A formatted image in the scratch folder.
  std::filesystem::path makeImage(const std::string& name, int model = kRX3_8) {
    const auto path = scratch.folder("images") / name;
    writeFormattedImage(path, model);
    return path;
  }

  // A window that has the image open does not see this change until it
  // opens the image again.
  template <class Edit>
  void edit(const std::filesystem::path& image, Edit&& change) {
    changeAsAnotherProgram(image, change);
  }

  void start() {
    media = std::make_unique<ListedMedia>(mediaFolders);
    form = std::make_unique<MainWindow>(session, prompts, *media);
    form->setEntryDialogs(entries);
    // Each test starts with snapshots kept, whatever one before chose.
    form->setKeepSnapshots(true);
  }
  void startWith(const std::filesystem::path& image) {
    prompts.answerFile(pathToQString(image));
    start();
  }
  void select(const std::filesystem::path& image) {
    prompts.answerFile(pathToQString(image));
    form->selectImageButton->click();
  }

  bool pagesShown() const { return !form->pagesPanel->isHidden(); }
  bool pagesEnabled() const { return form->pagesPanel->isEnabled(); }

  ScopedScreenScale designScale{1.0};
  ScratchDir scratch;
  ScriptedPrompts prompts;
  ScriptedEntryDialogs entries;
  CardSession session;
  std::vector<std::filesystem::path> mediaFolders;
  std::unique_ptr<ListedMedia> media;
  std::unique_ptr<MainWindow> form;
};

}  // namespace vel::test
