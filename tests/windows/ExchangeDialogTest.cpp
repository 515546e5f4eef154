// The real file dialogs of the import and the output, set up as the windows
// ask for them: a file shows whatever the letter case of its extension.
#include <QListView>

#include "exchange/Unit4.h"
#include "exchange/Unit6.h"
#include "tests/windows/WindowFixture.h"

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
    EXPECT_EQ(dialog->defaultSuffix(), QStringLiteral("QPL"));
    EXPECT_EQ(dialog->testOption(QFileDialog::DontConfirmOverwrite),
              c.mode == QFileDialog::AcceptOpen);

    dialog->show();
    EXPECT_TRUE(
        QTest::qWaitFor([&] { return shownNames(*dialog).size() >= c.names.size(); }, 5000));
    QTest::qWait(50);
    EXPECT_EQ(shownNames(*dialog), c.names);
  }
}

}  // namespace
}  // namespace vel::test
