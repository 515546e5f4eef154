// The plan window through its widgets: where the markers land, what clicks
// select and report, and the files the save button writes.
#include <gtest/gtest.h>

#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <QTest>
#include <QWheelEvent>
#include <QXmlStreamReader>
#include <cmath>
#include <memory>

#include "tests/support/ScriptedPrompts.h"
#include "ui/PlanWindow.h"
#include "ui/UiLook.h"

namespace vel::test {
namespace {

PlanPoint planPoint(const char* name, double n, double e, double z, PlanPointKind kind,
                    const char* code = "") {
  return PlanPoint{name, code, n, e, z, kind};
}

// A small traverse: a station, its backsight, measured points well apart.
std::vector<PlanPoint> traverse() {
  return {planPoint("S1", 1000.0, 2000.0, 50.0, PlanPointKind::kStation),
          planPoint("B1", 1100.0, 2000.0, 52.0, PlanPointKind::kBacksight),
          planPoint("P1", 1030.0, 2040.0, 48.5, PlanPointKind::kMeasured, "TREE"),
          planPoint("P2", 960.0, 1930.0, 49.0, PlanPointKind::kMeasured),
          planPoint("P3", 1003.0, 1996.0, 51.234, PlanPointKind::kMeasured),
          planPoint("P4", 1060.0, 2080.0, 47.0, PlanPointKind::kMeasured)};
}

std::vector<PlanPoint> controlPoints() {
  return {planPoint("K1", 1080.0, 1950.0, 45.0, PlanPointKind::kKnown),
          planPoint("K2", 940.0, 2060.0, 46.0, PlanPointKind::kKnown)};
}

class PlanWindowTest : public ::testing::Test {
 protected:
  void open(std::vector<PlanPoint> points, std::vector<PlanPoint> known = {}) {
    window = std::make_unique<PlanWindow>(
        PlanContent{QStringLiteral("图形"), QStringLiteral("CARD.VEL"), QStringLiteral("JOB1"),
                    std::move(points), std::move(known)},
        prompts);
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
  }

  PlanView* view() const { return window->view; }

  QPointF pixelOf(int index) const {
    const PlanPoint& p = view()->point(index);
    const ViewPoint v = view()->transform().toView(p.n, p.e);
    return {v.x, v.y};
  }

  QColor colourAt(QPointF pixel) const {
    return view()->grab().toImage().pixelColor(
        QPoint(static_cast<int>(std::floor(pixel.x())), static_cast<int>(std::floor(pixel.y()))));
  }

  void click(QPointF pixel) {
    QTest::mouseClick(view(), Qt::LeftButton, Qt::NoModifier, pixel.toPoint());
  }

  void turnWheel(QPointF at, int notches) {
    QWheelEvent event(at, view()->mapToGlobal(at), QPoint(), QPoint(0, 120 * notches), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(view(), &event);
  }

  // Of the shown points inside the view; returns how many were looked at.
  int expectMarkersWhereTheTransformPutsThem() {
    int looked = 0;
    for (int i = 0; i < view()->pointCount(); ++i) {
      if (!view()->isShown(i) || !QRectF(view()->rect()).contains(pixelOf(i))) continue;
      EXPECT_EQ(colourAt(pixelOf(i)), PlanView::markerColour(view()->point(i).kind))
          << "point " << i;
      ++looked;
    }
    return looked;
  }

  ScopedScreenScale designSize{1.0};
  ScriptedPrompts prompts;
  std::unique_ptr<PlanWindow> window;
};

TEST_F(PlanWindowTest, EachMarkerIsDrawnAtThePixelTheTransformGives) {
  open(traverse());
  ASSERT_TRUE(view()->hasTransform());
  EXPECT_EQ(expectMarkersWhereTheTransformPutsThem(), 6);
  // East is right and north is up on the screen, too.
  EXPECT_GT(pixelOf(2).x(), pixelOf(0).x());
  EXPECT_LT(pixelOf(1).y(), pixelOf(0).y());
}

TEST_F(PlanWindowTest, WheelZoomsAboutTheMouseAndADragPans) {
  open(traverse());
  const QPointF station = pixelOf(0);
  const double scale = view()->transform().pixelsPerMetre();
  turnWheel(station, 2);
  EXPECT_DOUBLE_EQ(view()->transform().pixelsPerMetre(), scale * 1.25 * 1.25);
  EXPECT_NEAR(pixelOf(0).x(), station.x(), 1e-6);
  EXPECT_NEAR(pixelOf(0).y(), station.y(), 1e-6);

  const QPointF p1 = pixelOf(2);
  const QPoint from(300, 300);
  QTest::mousePress(view(), Qt::LeftButton, Qt::NoModifier, from);
  QTest::mouseMove(view(), from + QPoint(20, 10));
  QTest::mouseMove(view(), from + QPoint(45, -30));
  QTest::mouseRelease(view(), Qt::LeftButton, Qt::NoModifier, from + QPoint(45, -30));
  EXPECT_NEAR(pixelOf(2).x(), p1.x() + 45, 1e-6);
  EXPECT_NEAR(pixelOf(2).y(), p1.y() - 30, 1e-6);
  EXPECT_EQ(view()->firstSelected(), -1) << "a drag selects nothing";
  EXPECT_GE(expectMarkersWhereTheTransformPutsThem(), 2);

  QTest::mouseClick(window->fitButton, Qt::LeftButton);
  EXPECT_DOUBLE_EQ(view()->transform().pixelsPerMetre(), scale);
  EXPECT_NEAR(pixelOf(0).x(), station.x(), 1e-6);
}

TEST_F(PlanWindowTest, TheStatusLineShowsTheGroundUnderTheMouse) {
  open(traverse());
  QTest::mouseMove(view(), QPoint(200, 150));
  const GroundPoint g = view()->transform().toGround({200.0, 150.0});
  EXPECT_EQ(window->cursorLabel->text(),
            QStringLiteral("N %1   E %2")
                .arg(QString::number(g.n, 'f', 3), QString::number(g.e, 'f', 3)));
}

TEST_F(PlanWindowTest, AClickSelectsTheNearestPointWithinAFewPixels) {
  open(traverse());
  click(pixelOf(2) + QPointF(3, -2));
  EXPECT_EQ(view()->firstSelected(), 2);
  EXPECT_EQ(window->selectionLabel->text(),
            QStringLiteral("点 P1  N 1030.000  E 2040.000  Z 48.500  编码 TREE"));

  // Far from every point: the selection goes.
  click(QPointF(pixelOf(2).x(), pixelOf(1).y()) + QPointF(-150, 0));
  EXPECT_EQ(view()->firstSelected(), -1);
  EXPECT_TRUE(window->selectionLabel->text().isEmpty());

  // Between S1 and P3, nearer to P3.
  const QPointF between = pixelOf(0) * 0.3 + pixelOf(4) * 0.7;
  click(between);
  EXPECT_EQ(view()->firstSelected(), 4);
}

TEST_F(PlanWindowTest, TwoClicksShowTheDistanceBearingAndHeightDifference) {
  open(traverse());
  click(pixelOf(0));
  click(pixelOf(4));
  EXPECT_EQ(view()->firstSelected(), 0);
  EXPECT_EQ(view()->secondSelected(), 4);
  // 3 m north and 4 m west of S1: 5 m at 360° - atan(4/3).
  EXPECT_EQ(
      window->selectionLabel->text(),
      QStringLiteral("S1 → P3  平距 5.000 m  方位角 306°52′12″ (306.869898°)  高差 +1.234 m"));

  // The way back, from P3 to S1; a third click starts a new pair.
  click(pixelOf(4));
  click(pixelOf(0));
  EXPECT_EQ(
      window->selectionLabel->text(),
      QStringLiteral("P3 → S1  平距 5.000 m  方位角 126°52′12″ (126.869898°)  高差 -1.234 m"));
  click(pixelOf(1));
  EXPECT_EQ(view()->firstSelected(), 1);
  EXPECT_EQ(view()->secondSelected(), -1);
}

TEST_F(PlanWindowTest, TheKnownPointsAreLaidOverOnlyWhenTicked) {
  open(traverse());
  EXPECT_FALSE(window->knownCheckBox->isVisible()) << "no known points given";

  open(traverse(), controlPoints());
  ASSERT_TRUE(window->knownCheckBox->isVisible());
  const int k1 = 6;
  EXPECT_FALSE(view()->isShown(k1));
  EXPECT_EQ(colourAt(pixelOf(k1)), QColor(Qt::white));
  click(pixelOf(k1));
  EXPECT_EQ(view()->firstSelected(), -1) << "a hidden point cannot be picked";

  QTest::mouseClick(window->knownCheckBox, Qt::LeftButton);
  ASSERT_TRUE(view()->isShown(k1));
  EXPECT_EQ(colourAt(pixelOf(k1)), PlanView::markerColour(PlanPointKind::kKnown));
  click(pixelOf(0));
  click(pixelOf(k1));
  EXPECT_EQ(view()->secondSelected(), k1);

  QTest::mouseClick(window->knownCheckBox, Qt::LeftButton);
  EXPECT_EQ(view()->secondSelected(), -1);
  EXPECT_EQ(window->selectionLabel->text(),
            QStringLiteral("点 S1  N 1000.000  E 2000.000  Z 50.000"));
}

TEST_F(PlanWindowTest, CodesAppearBesideTheNamesWhenTicked) {
  open(traverse());
  const QImage without = view()->grab().toImage();
  QTest::mouseClick(window->codesCheckBox, Qt::LeftButton);
  EXPECT_TRUE(view()->codesVisible());
  // Only P1 has a code; it is drawn after its name, to the right.
  const QImage with = view()->grab().toImage();
  const QPointF p1 = pixelOf(2);
  int changed = 0;
  for (int y = static_cast<int>(p1.y()) - 8; y <= p1.y() + 8; ++y) {
    for (int x = static_cast<int>(p1.x()) + 20; x < p1.x() + 80; ++x) {
      changed += without.pixel(x, y) != with.pixel(x, y);
    }
  }
  EXPECT_GT(changed, 20);
}

TEST_F(PlanWindowTest, OnePointIsCentredAndNoPointsShowAMessage) {
  open({planPoint("P1", 3512345.678, 512345.678, 0.0, PlanPointKind::kMeasured)});
  const QPointF centre(view()->width() / 2.0, view()->height() / 2.0);
  EXPECT_NEAR(pixelOf(0).x(), centre.x(), 1e-6);
  EXPECT_NEAR(pixelOf(0).y(), centre.y(), 1e-6);
  EXPECT_EQ(colourAt(centre), PlanView::markerColour(PlanPointKind::kMeasured));

  open({});
  EXPECT_FALSE(view()->hasTransform());
  click(QPointF(100, 100));
  turnWheel(QPointF(100, 100), 1);
  QTest::mouseClick(window->fitButton, Qt::LeftButton);
  EXPECT_FALSE(view()->hasTransform());
  EXPECT_TRUE(window->cursorLabel->text().isEmpty());
  // The message is drawn: the view is not all white.
  const QImage image = view()->grab().toImage();
  bool drawn = false;
  for (int y = 0; y < image.height() && !drawn; ++y) {
    for (int x = 0; x < image.width() && !drawn; ++x)
      drawn = image.pixel(x, y) != qRgb(255, 255, 255);
  }
  EXPECT_TRUE(drawn);
}

int countElements(const QString& path, const QString& name) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return -1;
  QXmlStreamReader xml(&file);
  int count = 0;
  while (!xml.atEnd()) {
    if (xml.readNext() == QXmlStreamReader::StartElement && xml.name() == name) ++count;
  }
  return xml.hasError() ? -2 : count;
}

TEST_F(PlanWindowTest, SavesPngSvgAndPdfWithOneMarkPerPoint) {
  open(traverse(), controlPoints());
  window->setDrawingDate(QDate(2024, 5, 17));
  QTest::mouseClick(window->knownCheckBox, Qt::LeftButton);
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());

  prompts.answerFile(dir.filePath("plan.png"));
  QTest::mouseClick(window->saveButton, Qt::LeftButton);
  prompts.answerFile(dir.filePath("plan.SVG"));
  QTest::mouseClick(window->saveButton, Qt::LeftButton);
  // No extension typed: the chosen filter gives it.
  prompts.answerFile(dir.filePath("plan"), 3);
  QTest::mouseClick(window->saveButton, Qt::LeftButton);

  const auto dialogs = prompts.shownOf(ShownPrompt::Kind::kSaveFile);
  ASSERT_EQ(dialogs.size(), 3u);
  EXPECT_EQ(dialogs[0].dialog.filter,
            QStringLiteral("PNG 图像|*.png|SVG 图形|*.svg|PDF 文档|*.pdf|GeoPackage（点）|*.gpkg"));
  EXPECT_EQ(dialogs[0].dialog.fileName, QStringLiteral("JOB1"));
  EXPECT_TRUE(dialogs[0].dialog.overwritePrompt);
  EXPECT_TRUE(prompts.shownOf(ShownPrompt::Kind::kOk).empty());

  const QImage png(dir.filePath("plan.png"));
  ASSERT_FALSE(png.isNull());
  EXPECT_EQ(png.width(), view()->width());
  EXPECT_GT(png.height(), view()->height()) << "the title line sits above the view";

  // Every point is one path of its own, and nothing else is a path.
  EXPECT_EQ(countElements(dir.filePath("plan.SVG"), QStringLiteral("path")), 8);
  EXPECT_EQ(countElements(dir.filePath("plan.SVG"), QStringLiteral("title")), 1);
  QFile svg(dir.filePath("plan.SVG"));
  ASSERT_TRUE(svg.open(QIODevice::ReadOnly));
  const QString svgText = QString::fromUtf8(svg.readAll());
  EXPECT_TRUE(svgText.contains(
      QStringLiteral("图像 CARD.VEL    工作文件 JOB1    点数 6    已知点 2    日期 2024-05-17")));

  QFile pdf(dir.filePath("plan.pdf"));
  ASSERT_TRUE(pdf.open(QIODevice::ReadOnly));
  EXPECT_TRUE(pdf.read(5) == "%PDF-");
}

TEST_F(PlanWindowTest, AFileThatCannotBeWrittenIsReported) {
  open(traverse());
  QTemporaryDir dir;
  for (const char* name : {"missing/plan.png", "missing/plan.svg", "missing/plan.pdf"}) {
    prompts.answerFile(dir.filePath(QString::fromLatin1(name)));
    QTest::mouseClick(window->saveButton, Qt::LeftButton);
  }
  const auto notices = prompts.shownOf(ShownPrompt::Kind::kOk);
  ASSERT_EQ(notices.size(), 3u);
  EXPECT_EQ(notices[0].caption, QStringLiteral("警告"));
  EXPECT_TRUE(notices[2].text.endsWith(QStringLiteral("plan.pdf")));
}

}  // namespace
}  // namespace vel::test
