// The real file dialogs of the import and the output, set up as the windows
// ask for them: a file shows whatever the letter case of its extension.
#include <QListView>

#include "tests/support/ModalDriver.h"
#include "tests/support/WindowFixture.h"
#include "ui/ImportWindow.h"
#include "ui/PointOutputWindow.h"

namespace vel::test {
namespace {

QStringList shownNames(QFileDialog& dialog) {
  auto* view = dialog.findChild<QListView*>(QStringLiteral("listView"));
  if (!view) return {};
  QStringList names;
  const QModelIndex root = view->rootIndex();
  for (int row = 0; row < view->model()->rowCount(root); ++row) {
    names << view->model()->index(row, 0, root).data().toString();
  }
  names.sort();
  return names;
}

TEST(ExchangeDialogs, ShowFilesInEitherLetterCaseOfTheChosenFormat) {
  ScratchDir scratch;
  const auto folder = scratch.folder("files");
  for (const char* name : {"a.qpl", "B.QPL", "c.Qpl", "d.csv", "e.dat", "f.DXF"}) {
    writeBytes(folder / name, {'1'});
  }
  const struct {
    FileDialogSettings settings;
    QFileDialog::AcceptMode mode;
    int format;
    QString filter;
    QStringList names;
  } cases[] = {
      {importDialogSettings(1),
       QFileDialog::AcceptOpen,
       1,
       "全站坐标记录文件(*.QPL)",
       {"B.QPL", "a.qpl", "c.Qpl"}},
      {importDialogSettings(4), QFileDialog::AcceptOpen, 4, "SV300坐标文件(*.dat)", {"e.dat"}},
      {importDialogSettings(6), QFileDialog::AcceptOpen, 6, "文本文件(逗号分隔)(*.CSV)", {"d.csv"}},
      {pointOutputDialogSettings(),
       QFileDialog::AcceptSave,
       1,
       "全站坐标记录文件(*.QPL)",
       {"B.QPL", "a.qpl", "c.Qpl"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.filter.toStdString());
    FileDialogSettings settings = c.settings;
    settings.initialDir = pathToQString(folder);
    const auto dialog = makeFileDialog(nullptr, settings, c.mode);
    EXPECT_EQ(dialog->nameFilters().size(), c.mode == QFileDialog::AcceptOpen ? 6 : 7);
    EXPECT_EQ(dialog->selectedNameFilter(), c.filter);
    EXPECT_EQ(dialog->testOption(QFileDialog::DontConfirmOverwrite),
              c.mode == QFileDialog::AcceptOpen);

    dialog->show();
    EXPECT_TRUE(
        QTest::qWaitFor([&] { return shownNames(*dialog).size() >= c.names.size(); }, 5000));
    QTest::qWait(50);
    EXPECT_EQ(shownNames(*dialog), c.names);
  }
}

TEST(ExchangeDialogs, TheImportOpensANameTypedWithoutExtensionInTheChosenFormat) {
  ScopedScreenScale designScale{1.0};
  ScratchDir scratch;
  const auto folder = scratch.folder("files");
  const std::string cass = "C1,,2,1,3\r\n";  // name, code, E, N, Z
  writeBytes(folder / "c.dat", std::vector<uint8_t>(cass.begin(), cass.end()));
  writeBytes(folder / "c.QPL", {'X'});
  QtPrompts real;
  CardSession session;  // no image: the window is cancelled before anything is stored
  const ImportHost host{session, real, {}, nullptr};

  QStringList shownRow;
  std::unique_ptr<ModalDriver> readWindow;
  ModalDriver typeName([&](QDialog& dialog) {
    answerFileDialog(dialog, 5, pathToQString(folder / "c"));  // CASS5.X
    // The next window to open is the import window on the file found.
    readWindow = std::make_unique<ModalDriver>([&](QDialog& next) {
      if (auto* form = qobject_cast<ImportWindow*>(&next)) {
        for (int c = 0; c < 4; ++c) shownRow << cellOf(form->grid, 0, c);
      }
      next.reject();
    });
  });
  int format = 1;
  EXPECT_EQ(importCoordinates(JobSlot{}, format, host), 0);
  EXPECT_EQ(format, 5);
  ASSERT_TRUE(readWindow && readWindow->acted());
  EXPECT_EQ(shownRow, (QStringList{"C1", "1", "2", "3"}));
}

}  // namespace
}  // namespace vel::test
