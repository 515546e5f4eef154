// The real boxes and file dialogs, set up as the windows ask for them.
#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QListView>
#include <QPushButton>
#include <QTest>

#include "tests/support/QtPrinters.h"
#include "tests/support/ScratchCard.h"
#include "ui/AnsiText.h"
#include "ui/DialogFolders.h"
#include "ui/Prompts.h"

namespace vel {
namespace {

TEST(MessageBoxes, YesNoDefaultsToNo) {
  const struct {
    PromptIcon icon;
    QMessageBox::Icon shown;
  } cases[] = {{PromptIcon::kQuestion, QMessageBox::Question},
               {PromptIcon::kExclamation, QMessageBox::Warning},
               {PromptIcon::kInformation, QMessageBox::Information}};
  for (const auto& c : cases) {
    const auto box = makeYesNoBox(nullptr, QStringLiteral("警告"),
                                  QStringLiteral("第一行\r\n\r\n第二行"), c.icon);
    EXPECT_EQ(box->windowTitle(), QStringLiteral("警告"));
    EXPECT_EQ(box->text(), QStringLiteral("第一行\n\n第二行"));
    EXPECT_EQ(box->icon(), c.shown);
    EXPECT_EQ(box->standardButtons(), QMessageBox::Yes | QMessageBox::No);
    EXPECT_EQ(static_cast<QAbstractButton*>(box->defaultButton()), box->button(QMessageBox::No));
    EXPECT_EQ(box->escapeButton(), box->button(QMessageBox::No));
  }
}

TEST(MessageBoxes, OkHasOneButton) {
  const auto box =
      makeOkBox(nullptr, QStringLiteral("提示"), QStringLiteral("完成"), PromptIcon::kInformation);
  EXPECT_EQ(box->standardButtons(), QMessageBox::Ok);
  EXPECT_EQ(box->icon(), QMessageBox::Information);
}

TEST(FileDialogs, FilterListsBecomeNameFilters) {
  EXPECT_EQ(nameFiltersOf(QStringLiteral("全站记录区文件(*.VEL)|*.VEL")),
            QStringList{QStringLiteral("全站记录区文件(*.VEL)")});
  EXPECT_EQ(nameFiltersOf(QStringLiteral("文本文件(逗号分隔)(*.CSV)|*.CSV|Data|*.dat;*.txt")),
            (QStringList{QStringLiteral("文本文件(逗号分隔)(*.CSV)"),
                         QStringLiteral("Data (*.dat *.txt)")}));
}

TEST(FileDialogs, TheOpenDialogShowsImagesInEitherLetterCase) {
  test::ScratchDir scratch;
  const auto folder = scratch.folder("VEL");
  for (const char* name : {"A.VEL", "b.vel", "c.txt", "d.VELX"}) {
    test::writeBytes(folder / name, {0});
  }
  FileDialogSettings settings;
  settings.title = QStringLiteral("打开全站记录区文件");
  settings.filter = QStringLiteral("全站记录区文件(*.VEL)|*.VEL");
  settings.defaultExt = QStringLiteral("vel");
  settings.initialDir = pathToQString(folder);
  settings.fileName = pathToQString(folder / "A.VEL");

  const auto dialog = makeFileDialog(nullptr, settings, QFileDialog::AcceptOpen);
  EXPECT_EQ(dialog->windowTitle(), settings.title);
  EXPECT_EQ(dialog->nameFilters(), QStringList{QStringLiteral("全站记录区文件(*.VEL)")});
  EXPECT_EQ(dialog->defaultSuffix(), QString()) << "the typed name is completed afterwards";
  EXPECT_EQ(dialog->fileMode(), QFileDialog::AnyFile);  // a missing name is not refused
  EXPECT_EQ(dialog->acceptMode(), QFileDialog::AcceptOpen);
  EXPECT_EQ(dialog->directory().absolutePath(), settings.initialDir);
  EXPECT_EQ(dialog->selectedFiles(), QStringList{settings.fileName});

  dialog->show();
  auto* view = dialog->findChild<QListView*>(QStringLiteral("listView"));
  ASSERT_NE(view, nullptr);
  const auto shownNames = [&] {
    QStringList names;
    const QModelIndex root = view->rootIndex();
    for (int row = 0; row < view->model()->rowCount(root); ++row) {
      names << view->model()->index(row, 0, root).data().toString();
    }
    names.sort();
    return names;
  };
  EXPECT_TRUE(QTest::qWaitFor([&] { return shownNames().size() >= 2; }, 5000));
  QTest::qWait(50);
  EXPECT_EQ(shownNames(), (QStringList{"A.VEL", "b.vel"}));
}

TEST(FileDialogs, TheChoiceIsReadBackWithItsFilterIndex) {
  test::ScratchDir scratch;
  FileDialogSettings settings;
  settings.filter = QStringLiteral("QPL(*.QPL)|*.QPL|CSV(*.CSV)|*.CSV|DXF(*.DXF)|*.DXF");
  settings.filterIndex = 2;
  settings.defaultExt = QStringLiteral("*.QPL");
  settings.initialDir = pathToQString(scratch.path());
  settings.overwritePrompt = true;

  const auto dialog = makeFileDialog(nullptr, settings, QFileDialog::AcceptSave);
  EXPECT_EQ(dialog->selectedNameFilter(), QStringLiteral("CSV(*.CSV)"));
  EXPECT_EQ(dialog->defaultSuffix(), QStringLiteral("CSV")) << "the chosen filter's";
  EXPECT_FALSE(dialog->testOption(QFileDialog::DontConfirmOverwrite));

  dialog->selectNameFilter(QStringLiteral("DXF(*.DXF)"));
  dialog->selectFile(pathToQString(scratch.path() / "out.DXF"));
  readBackFileDialog(*dialog, settings);
  EXPECT_EQ(settings.filterIndex, 3);
  EXPECT_EQ(settings.fileName, pathToQString(scratch.path() / "out.DXF"));
}

// Open dialogs start where the last file of their kind came from; save
// dialogs too, but never on the card of the open image.
TEST(DialogFolders, StartWhereTheUserWorksButNeverSaveOntoTheCard) {
  const QString card = QStringLiteral("/media/u/CARD/VEL/A.VEL");
  const struct {
    const char* what;
    StartFolderFacts facts;
    QString start;
  } cases[] = {
      {"open, nothing used yet", {false, "", card, "/home/u", "/home/u/Documents"}, "/home/u"},
      {"open, the last folder", {false, "/data/in", card, "/home/u", "/home/u/Documents"},
       "/data/in"},
      {"open, last folder on the card", {false, "/media/u/CARD/VEL", card, "/home/u", ""},
       "/media/u/CARD/VEL"},
      {"save, nothing used yet", {true, "", card, "/home/u", "/home/u/Documents"},
       "/home/u/Documents"},
      {"save, no Documents", {true, "", card, "/home/u", ""}, "/home/u"},
      {"save, the last folder", {true, "/data/out", card, "/home/u", ""}, "/data/out"},
      {"save, last folder is the card's VEL", {true, "/media/u/CARD/VEL", card, "/home/u", ""},
       "/home/u"},
      {"save, last folder under the card", {true, "/media/u/CARD/x/y", card, "/home/u", ""},
       "/home/u"},
      {"save, a folder whose name only begins like the card's",
       {true, "/media/u/CARD2", card, "/home/u", ""}, "/media/u/CARD2"},
      {"save, an image outside a VEL folder guards its own folder",
       {true, "/data/img", "/data/img/A.VEL", "/home/u", ""}, "/home/u"},
      {"save, no image open", {true, "/media/u/CARD/VEL", "", "/home/u", ""},
       "/media/u/CARD/VEL"},
  };
  for (const auto& c : cases) EXPECT_EQ(chooseStartFolder(c.facts), c.start) << c.what;
}

}  // namespace
}  // namespace vel
