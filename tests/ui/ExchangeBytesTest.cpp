// Names travel through the import and the output windows byte for byte: the
// card and the files get exactly what velcard import and export give them,
// whatever bytes GBK cannot read.
#include <QCoreApplication>
#include <sstream>

#include "cli/Velcard.h"
#include "exchange/ExchangeFormats.h"
#include "records/PointLine.h"
#include "tests/support/ModalDriver.h"
#include "tests/support/WindowFixture.h"
#include "ui/ImportWindow.h"
#include "ui/PointOutputWindow.h"

namespace vel::test {
namespace {

namespace fs = std::filesystem;

// Bytes GBK does not decode, or decodes only in part, and a name of more than
// 8 bytes whose 8th byte is the first half of a character.
const std::vector<std::string> kNames = {"Z\xFFXY", "Z\xA2\xE3\x44", "Z\xFE\x50\x45",
                                         "Z\xAA\xA1\x46", "A\xD6\xD0\xCE\xC4\xC3\xFB\xD7\xD6"};

std::string velcard(const std::vector<std::string>& args) {
  std::ostringstream out;
  std::ostringstream err;
  EXPECT_EQ(cli::runVelcard(args, out, err), 0) << err.str();
  return out.str();
}

std::string fileText(const fs::path& path) {
  const std::vector<uint8_t> bytes = readBytes(path);
  return std::string(bytes.begin(), bytes.end());
}

class ExchangeBytesTest : public WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    cardImage = scratch.folder("velcard") / "CARD.VEL";
    writeFormattedImage(cardImage, kRX3_8);
    // The same jobs in both images, made in the same order.
    for (const char* job : {"QPL", "CSV"}) {
      jobs.push_back(newJob(job));
      velcard({"new-job", cardImage.string(), job});
    }
  }

  // What the grid shows of a name, and what it stores, after the user walked
  // over the names and opened and closed an editor on one of them.
  void importThroughWindow(JobSlot slot, const fs::path& path, int format) {
    prompts.answerFile(pathToQString(path), format);
    int formatChoice = 1;
    const ImportHost host{session, prompts, [](const Outcome& outcome) { return outcome.done(); },
                          nullptr};
    ModalDriver driver([&](QDialog& dialog) {
      auto* form = qobject_cast<ImportWindow*>(&dialog);
      ASSERT_NE(form, nullptr);
      CoordinateGrid* grid = form->grid;
      EXPECT_EQ(cellOf(grid, 0, 0), QStringLiteral("Z\uFFFDXY")) << "a mark for the bad byte";
      selectCell(grid, 0, 0);
      for (size_t i = 0; i < kNames.size(); ++i) pressKey(grid, Qt::Key_Down);
      selectCell(grid, 1, 0);
      pressKey(grid, Qt::Key_F2);
      ASSERT_NE(grid->cellEditor(), nullptr);
      pressKey(grid, Qt::Key_Return);
      QCoreApplication::processEvents();
      QTest::mouseClick(form->confirmButton, Qt::LeftButton);
    });
    EXPECT_EQ(importCoordinates(slot, formatChoice, host), 1);
    EXPECT_TRUE(driver.acted());
  }

  fs::path cardImage;
  std::vector<JobSlot> jobs;
};

TEST_F(ExchangeBytesTest, TheWindowsStoreAndWriteTheBytesVelcardDoes) {
  std::string qpl;
  std::string csv;
  for (size_t i = 0; i < kNames.size(); ++i) {
    const std::string n = std::to_string(i + 1);
    qpl += buildPointLine(kNames[i], "", n, "2.5", "-1") + "\r\n";
    csv += kNames[i] + "," + n + ",2.5,-1\r\n";
  }
  const struct {
    const char* job;
    int format;
    fs::path file;
  } imports[] = {{"QPL", kQplFormat, file("names.QPL", qpl)},
                 {"CSV", kCsvFormat, file("names.CSV", csv)}};
  for (size_t j = 0; j < std::size(imports); ++j) {
    SCOPED_TRACE(imports[j].job);
    importThroughWindow(jobs[j], imports[j].file, imports[j].format);
    velcard({"import", cardImage.string(), imports[j].job, std::to_string(imports[j].format),
             imports[j].file.string()});
  }

  RecordAreaStore card;
  ASSERT_TRUE(card.openImage(cardImage.string()));
  ASSERT_EQ(card.detectModel(), kModelRecognised);
  card.loadTables();
  for (const JobSlot slot : jobs) {
    ASSERT_EQ(session.recordCount(slot), static_cast<int>(kNames.size()));
    ASSERT_EQ(card.recordCount(slot.value), session.recordCount(slot));
    for (int i = 0; i < session.recordCount(slot); ++i) {
      Record fromVelcard{};
      ASSERT_EQ(card.readRecord(slot.value, i, kRecordSize, fromVelcard.data()), kDone);
      EXPECT_EQ(storedRecord(slot, i), fromVelcard) << "record " << i;
    }
  }
  card.closeImage();
  const Record first = storedRecord(jobs[0], 1);
  EXPECT_EQ(std::string(first.begin() + 1, first.begin() + 6), std::string("Z\xA2\xE3\x44\0", 5));
  EXPECT_EQ(readBytes(image), readBytes(cardImage)) << "the whole image alike";

  // Each job written out in every format, from the window and by velcard.
  for (size_t j = 0; j < jobs.size(); ++j) {
    PointOutputWindow output(session, prompts);
    output.job = jobs[j];
    output.show();
    for (int format = 1; format <= 7; ++format) {
      SCOPED_TRACE(testing::Message() << imports[j].job << " as format " << format);
      const fs::path written = file("out" + std::to_string(format));
      prompts.answerFile(pathToQString(written), format);
      QTest::mouseClick(output.saveAsButton, Qt::LeftButton);
      EXPECT_EQ(fileText(written), velcard({"export", cardImage.string(), imports[j].job,
                                            std::to_string(format), "-"}));
    }
  }
}

}  // namespace
}  // namespace vel::test
