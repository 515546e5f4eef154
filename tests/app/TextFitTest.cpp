// Every label, button and check box of the windows holds its whole text, in
// both languages, at the screen sizes of common displays, with the one CJK
// font the run was given: each font the package may bring is a run of its own
// on a font configuration that holds only that font (see CMakeLists), and
// VEL_TEST_FONT names it.
#include <QCheckBox>
#include <QFontInfo>
#include <QLabel>
#include <QPushButton>

#include "tests/app/PagesFixture.h"
#include "tests/support/ModalDriver.h"
#include "ui/CoordinateDialog.h"
#include "ui/CrsDialog.h"
#include "ui/ImportWindow.h"
#include "ui/JobViewer.h"
#include "ui/Language.h"
#include "ui/NameDialog.h"
#include "ui/PlanWindow.h"
#include "ui/PointOutputWindow.h"
#include "ui/RestoreWindow.h"
#include "ui/UiLook.h"

namespace vel::test {
namespace {

// "window/widget: text needs N, has M" for each text wider than its widget.
QStringList clippedTexts(const QWidget* window) {
  QStringList clipped;
  for (const QWidget* widget : window->findChildren<QWidget*>()) {
    if (widget->isHidden()) continue;
    const int needed = textWidth(widget);
    if (needed > widget->width()) {
      const auto* button = qobject_cast<const QAbstractButton*>(widget);
      const auto* label = qobject_cast<const QLabel*>(widget);
      clipped << QStringLiteral("%1/%2 \"%3\": needs %4, has %5")
                     .arg(window->objectName(), widget->objectName(),
                          button ? button->text() : label->text())
                     .arg(needed)
                     .arg(widget->width());
    }
  }
  return clipped;
}

class TextFitTest : public PagesTest {
 protected:
  void SetUp() override {
    PagesTest::SetUp();
    font = qEnvironmentVariable("VEL_TEST_FONT");
    if (font.isEmpty()) GTEST_SKIP() << "run with VEL_TEST_FONT (ctest runs it per font)";
  }

  // At 1024, 800 and 768 pixels of screen height.
  QStringList everyWindowClipped() {
    QStringList clipped;
    for (double scale : {1.0, 800 / 1024.0, 768 / 1024.0}) {
      const ScopedScreenScale screen(scale);
      form.reset();
      for (const QString& text : clippedAtThisScale()) {
        clipped << QStringLiteral("%1: %2").arg(scale).arg(text);
      }
    }
    return clipped;
  }

  // The main window with its snapshot line, and each window it opens.
  QStringList clippedAtThisScale() {
    load([](RecordAreaStore& s) {
      const uint8_t job = s.createJob("JOB1");
      s.appendRecord(job, kRecordSize, pointRecord("P1").data());
      s.appendRecord(s.knownPointFile(), kRecordSize, pointRecord("K1").data());
    });
    EXPECT_EQ(QFontInfo(form->font()).family(), font) << "the run's font is the one used";
    form->setKeepSnapshots(false);
    form->show();
    QStringList clipped = clippedTexts(form.get());
    ModalDriver restore([&](QDialog& dialog) {
      clipped << clippedTexts(&dialog);
      dialog.reject();
    });
    form->restoreButton->click();
    form->setKeepSnapshots(true);

    const JobSlot job = session.jobAt(JobPosition{0});
    JobViewer viewer(session, prompts);
    viewer.job = job;
    PointOutputWindow output(session, prompts);
    output.job = job;
    PlanWindow plan(cardPlan(session, job, QStringLiteral("CARD.VEL")), prompts);
    const ImportHost host{session, prompts, {}, nullptr};
    ImportWindow import(QString(), 1, host);
    CoordinateDialog coordinates;
    NameDialog name;
    CrsDialog crs(std::string{});
    for (QWidget* window : std::initializer_list<QWidget*>{&viewer, &output, &plan, &import,
                                                           &coordinates, &name, &crs}) {
      window->show();
      clipped << clippedTexts(window);
      window->hide();
    }
    return clipped;
  }

  QString font;
};

TEST_F(TextFitTest, EveryTextFitsItsWidgetInChinese) {
  EXPECT_EQ(everyWindowClipped(), QStringList());
}

TEST_F(TextFitTest, EveryTextFitsItsWidgetInEnglish) {
  const InstalledLanguage english(Language::kEnglish);
  ASSERT_TRUE(english.loaded());
  EXPECT_EQ(everyWindowClipped(), QStringList());
}

}  // namespace
}  // namespace vel::test
