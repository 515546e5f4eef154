// A card image with jobs in a scratch folder, scripted prompts, and the keys
// and clicks the window tests send.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QTest>
#include <QTimer>
#include <array>
#include <filesystem>
#include <functional>
#include <string>

#include "records/SurveyRecord.h"
#include "card/CardSession.h"
#include "store/RecordAreaStore.h"
#include "tests/support/QtPrinters.h"
#include "tests/support/ScratchCard.h"
#include "tests/support/ScriptedPrompts.h"
#include "ui/AnsiText.h"
#include "ui/CoordinateGrid.h"
#include "ui/UiLook.h"

namespace vel::test {

using Kind = ShownPrompt::Kind;
using Record = std::array<uint8_t, kRecordSize>;

class WindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    image = scratch.folder("card") / "CARD.VEL";
    writeFormattedImage(image, kRX3_8);  // big-endian: every field goes through the byte order
    ASSERT_TRUE(store.openImage(image.string()));
    ASSERT_EQ(store.detectModel(), kModelRecognised);
    store.loadTables();
  }

  uint8_t newJob(const std::string& name) {
    const uint8_t slot = store.createJob(name);
    EXPECT_NE(slot, kRefused);
    return slot;
  }

  Record pointRecord(const std::string& name, const char* n = "1.000", const char* e = "2.000",
                     const char* z = "3.000") const {
    Record record{};
    buildPointRecord(store.byteOrder(), name, parseFixed(n), parseFixed(e), parseFixed(z), record);
    return record;
  }

  // A CRD, STN or BS record with a code.
  Record surveyRecord(RecordKind kind, const std::string& name, const std::string& code,
                      FixedValue n, FixedValue e, FixedValue z) const {
    Record record{};
    record[0] = kind;
    std::copy(name.begin(), name.end(), record.begin() + record_layout::kName);
    std::copy(code.begin(), code.end(), record.begin() + record_layout::kCode);
    store.byteOrder().fixedToImage(n, record.data() + record_layout::kSurveyN);
    store.byteOrder().fixedToImage(e, record.data() + record_layout::kSurveyE);
    store.byteOrder().fixedToImage(z, record.data() + record_layout::kSurveyZ);
    return record;
  }

  void append(uint8_t slot, const Record& record) {
    ASSERT_EQ(store.appendRecord(slot, kRecordSize, record.data()), kDone);
  }

  std::filesystem::path file(const std::string& name, const std::string& bytes = {}) {
    const auto path = scratch.folder("files") / name;
    if (!bytes.empty()) writeBytes(path, std::vector<uint8_t>(bytes.begin(), bytes.end()));
    return path;
  }

  ScopedScreenScale designScale{1.0};
  ScratchDir scratch;
  std::filesystem::path image;
  RecordAreaStore store;
  CardSession session{store};
  ScriptedPrompts prompts;
};

// Types into the grid's current cell as a user would: the first key opens
// the editor, the rest go to the editor.
inline void typeIntoGrid(CoordinateGrid* grid, const QString& text) {
  for (const QChar c : text) {
    QWidget* target = grid->cellEditor() ? grid->cellEditor() : static_cast<QWidget*>(grid);
    QTest::keyClick(target, c.toLatin1());
  }
}

// A key such as an arrow pressed where the keyboard is: in the editor while
// one is open.
inline void pressKey(CoordinateGrid* grid, Qt::Key key) {
  QWidget* target = grid->cellEditor() ? grid->cellEditor() : static_cast<QWidget*>(grid);
  QTest::keyClick(target, key);
}

inline void selectCell(CoordinateGrid* grid, int row, int column) {
  grid->setCurrentIndex(grid->cells()->index(row, column));
}

inline QString cellOf(CoordinateGrid* grid, int row, int column) {
  return grid->cells()->cell(row, column);
}

// Runs `act` on the modal window that is about to open, then closes it.
template <class Window>
void whenModalOpens(std::function<void(Window*)> act) {
  QTimer::singleShot(0, [act] {
    auto* window = qobject_cast<Window*>(QApplication::activeModalWidget());
    if (!window) {
      ADD_FAILURE() << "no modal window of the expected kind";
      if (QWidget* other = QApplication::activeModalWidget()) other->close();
      return;
    }
    act(window);
    if (window->isVisible()) window->close();
  });
}

}  // namespace vel::test
