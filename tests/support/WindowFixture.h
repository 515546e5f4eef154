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

#include "card/CardSession.h"
#include "records/SurveyRecord.h"
#include "store/RecordAreaStore.h"
#include "tests/support/CardPrinters.h"
#include "tests/support/OtherWriter.h"
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
    session.close();
    image = scratch.folder("card") / "CARD.VEL";
    writeFormattedImage(image, kRX3_8);  // big-endian: every field goes through the byte order
    edit([this](RecordAreaStore& s) { order = s.byteOrder(); });
  }

  // Changes the image through a store of its own, as another program would,
  // then opens it anew in the session the windows read.
  template <class Change>
  void edit(Change&& change) {
    session.close();
    changeAsAnotherProgram(image, change);
    ASSERT_EQ(session.open(image.string()), OpenStatus::kLoaded);
  }

  JobSlot newJob(const std::string& name) {
    const Outcome outcome = session.run(CreateJob{name});
    EXPECT_TRUE(outcome.done());
    return outcome.created;
  }

  Record pointRecord(const std::string& name, const char* n = "1.000", const char* e = "2.000",
                     const char* z = "3.000") const {
    Record record{};
    buildPointRecord(order, name, parseFixed(n), parseFixed(e), parseFixed(z), record);
    return record;
  }

  // A CRD, STN or BS record with a code.
  Record surveyRecord(RecordKind kind, const std::string& name, const std::string& code,
                      FixedValue n, FixedValue e, FixedValue z) const {
    Record record{};
    record[0] = kind;
    std::copy(name.begin(), name.end(), record.begin() + record_layout::kName);
    std::copy(code.begin(), code.end(), record.begin() + record_layout::kCode);
    order.fixedToImage(n, record.data() + record_layout::kSurveyN);
    order.fixedToImage(e, record.data() + record_layout::kSurveyE);
    order.fixedToImage(z, record.data() + record_layout::kSurveyZ);
    return record;
  }

  // The record `times` times at the end of the job, in one change.
  void append(JobSlot job, const Record& record, int times = 1) {
    edit([&](RecordAreaStore& s) {
      for (int i = 0; i < times; ++i) {
        ASSERT_EQ(s.appendRecord(job.value, kRecordSize, record.data()), kDone);
      }
    });
  }

  // A record as the card holds it now, read beside the session.
  Record storedRecord(JobSlot job, int number) const {
    Record record{};
    RecordAreaStore other;
    EXPECT_TRUE(other.openImage(image.string()));
    EXPECT_EQ(other.detectModel(), kModelRecognised);
    other.loadTables();
    EXPECT_EQ(other.readRecord(job.value, number, kRecordSize, record.data()), kDone);
    return record;
  }

  // Every point name of a job, in record order, as the session reads them.
  QStringList pointNames(JobSlot job) {
    QStringList names;
    for (int i = 0; i < session.recordCount(job); ++i) {
      names << QString::fromStdString(session.pointName(job, i));
    }
    return names;
  }

  std::filesystem::path file(const std::string& name, const std::string& bytes = {}) {
    const auto path = scratch.folder("files") / name;
    if (!bytes.empty()) writeBytes(path, std::vector<uint8_t>(bytes.begin(), bytes.end()));
    return path;
  }

  ScopedScreenScale designScale{1.0};
  ScratchDir scratch;
  std::filesystem::path image;
  ImageByteOrder order;
  CardSession session;
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
