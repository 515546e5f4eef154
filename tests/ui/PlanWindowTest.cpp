// The plan window through its widgets: where the markers land, what clicks
// select and report, and the files the save button writes.
#include <gtest/gtest.h>

#include <QFile>
#include <QFileInfo>
#include <QFontMetrics>
#include <QImage>
#include <QListWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QWheelEvent>
#include <QXmlStreamReader>
#include <cmath>
#include <memory>

#include "tests/support/ModalDriver.h"
#include "tests/support/ScriptedPrompts.h"
#include "ui/DialogFolders.h"
#include "ui/NameDialog.h"
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

  // For the window's own keys: a shortcut goes to the active window only.
  void activate() {
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
  }

  // Ctrl+F, with `name` typed into the dialog it opens.
  void findByKeys(const QString& name) {
    ModalDriver driver([&](QDialog& dialog) {
      auto& form = static_cast<NameDialog&>(dialog);
      QTest::keyClicks(form.nameEdit, name);
      QTest::keyClick(form.nameEdit, Qt::Key_Return);
    });
    activate();
    QTest::keyClick(window.get(), Qt::Key_F, Qt::ControlModifier);
    EXPECT_TRUE(driver.acted());
  }

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
  programSettings().remove("folders");
  const QString documentsOrHome = startFolder(FileKind::kDrawing, true);
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
  EXPECT_EQ(dialogs[0].dialog.initialDir, documentsOrHome);
  EXPECT_EQ(dialogs[1].dialog.initialDir, QDir::toNativeSeparators(dir.path()))
      << "the next drawing starts where the last one went";
  EXPECT_EQ(dialogs[1].dialog.fileName, QStringLiteral("plan.png"));
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

// The texts of the SVG's text elements, each as one string.
QStringList svgTexts(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return {};
  QXmlStreamReader xml(&file);
  QStringList texts;
  while (!xml.atEnd()) {
    if (xml.readNext() == QXmlStreamReader::StartElement && xml.name() == QStringLiteral("text")) {
      texts << xml.readElementText();
    }
  }
  return texts;
}

TEST_F(PlanWindowTest, ADrawingOfTwoPickedPointsHasTheInverseLineUnderTheTitle) {
  open(traverse());
  window->setDrawingDate(QDate(2024, 5, 17));
  activate();
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  prompts.answerFile(dir.filePath("single.png"));
  QTest::keyClick(window.get(), Qt::Key_S, Qt::ControlModifier);
  click(pixelOf(0));
  click(pixelOf(4));
  for (const char* name : {"pair.png", "pair.svg", "pair.pdf"}) {
    prompts.answerFile(dir.filePath(QString::fromLatin1(name)));
    QTest::keyClick(window.get(), Qt::Key_S, Qt::ControlModifier);
  }
  EXPECT_EQ(prompts.shownOf(ShownPrompt::Kind::kSaveFile).size(), 4u) << "Ctrl+S saves";
  EXPECT_TRUE(prompts.shownOf(ShownPrompt::Kind::kOk).empty());

  const QString title = QStringLiteral("图像 CARD.VEL    工作文件 JOB1    点数 6    日期 2024-05-17");
  const QString inverse =
      QStringLiteral("S1 → P3  平距 5.000 m  方位角 306°52′12″ (306.869898°)  高差 +1.234 m");
  EXPECT_EQ(window->inverseLine(), inverse);
  // Each line one text element, with no piece of it in another.
  const QStringList texts = svgTexts(dir.filePath("pair.svg"));
  EXPECT_EQ(texts.count(title), 1) << texts.join(QLatin1Char('|')).toStdString();
  EXPECT_EQ(texts.count(inverse), 1);
  for (const QString& text : texts) {
    if (text == title || text == inverse) continue;
    for (const QString& piece : {QStringLiteral("图像"), QStringLiteral("日期"), QStringLiteral("平距"),
                                 QStringLiteral("高差")}) {
      EXPECT_FALSE(text.contains(piece)) << text.toStdString();
    }
  }

  // The second line makes the drawing taller by a line and is drawn there.
  const QImage single(dir.filePath("single.png"));
  const QImage pair(dir.filePath("pair.png"));
  ASSERT_EQ(pair.height(), single.height() + 20);
  int inked = 0;
  for (int y = 32; y < 48; ++y) {
    for (int x = 0; x < pair.width() / 2; ++x) inked += qGray(pair.pixel(x, y)) < 128;
  }
  EXPECT_GT(inked, 50);
  EXPECT_TRUE(QFileInfo(dir.filePath("pair.pdf")).size() > 0);
}

TEST_F(PlanWindowTest, LabelsKeepClearOfTheScaleBarAndTheNorthArrow) {
  // A grid that fills the view: its corner points sit where the scale bar and
  // the north arrow are drawn.
  open(traverse());
  const double aspect = (view()->width() - 80.0) / (view()->height() - 80.0);
  std::vector<std::string> names;
  std::vector<PlanPoint> grid;
  for (int i = 0; i < 25; ++i) names.push_back("B" + std::to_string(i + 1));
  for (int i = 0; i < 25; ++i) {
    grid.push_back(planPoint(names[i].c_str(), 1000.0 + 100.0 * (i / 5),
                             2000.0 + 100.0 * aspect * (i % 5), 0.0, PlanPointKind::kMeasured));
  }
  open(grid);
  for (const int zoom : {0, 3}) {
    if (zoom != 0) turnWheel(QPointF(view()->width() / 2.0, view()->height() / 2.0), zoom);
    const std::vector<QRectF> overlays = view()->overlayRects();
    ASSERT_EQ(overlays.size(), 2u);
    const std::vector<PlanView::PlacedLabel> labels = view()->placedLabels();
    EXPECT_GE(labels.size(), zoom == 3 ? 3u : 25u);
    for (const PlanView::PlacedLabel& label : labels) {
      for (const QRectF& overlay : overlays) {
        EXPECT_FALSE(label.rect.intersects(overlay))
            << label.text.toStdString() << " at zoom " << zoom;
      }
    }
  }
  // The corners' points keep their names, on another side.
  QTest::mouseClick(window->fitButton, Qt::LeftButton);
  int corners = 0;
  for (const PlanView::PlacedLabel& label : view()->placedLabels()) {
    corners += label.text == QStringLiteral("B1") || label.text == QStringLiteral("B25");
  }
  EXPECT_EQ(corners, 2);
}

TEST_F(PlanWindowTest, TheStatusLineWrapsInANarrowWindow) {
  open({planPoint("STATION1", 3512345.678, 512345.678, 1234.5, PlanPointKind::kStation),
        planPoint("PT000001", 3512045.678, 512645.678, 1200.0, PlanPointKind::kMeasured,
                  "ABCDEFGH")});
  window->resize(window->minimumSize());
  QApplication::processEvents();
  ASSERT_EQ(window->width(), window->minimumWidth());
  click(pixelOf(0));
  click(pixelOf(1));
  QLabel* label = window->selectionLabel;
  for (int round = 0; round < 2; ++round) {
    QApplication::processEvents();
    const QRect room = label->contentsRect();
    const QRect needed = QFontMetrics(label->font())
                             .boundingRect(room, (label->wordWrap() ? Qt::TextWordWrap : 0) |
                                                     Qt::AlignLeft | Qt::AlignTop,
                                           label->text());
    EXPECT_TRUE(room.contains(needed)) << label->text().toStdString() << ": " << needed.width()
                                       << "x" << needed.height() << " in " << room.width() << "x"
                                       << room.height();
    EXPECT_TRUE(window->rect().contains(QRect(label->mapTo(window.get(), QPoint()), label->size())));
    click(pixelOf(1));  // one point: its coordinates and code
  }
}

TEST_F(PlanWindowTest, StackedPointsShowOneLabelWithTheCountAndAClickListsThem) {
  std::vector<PlanPoint> points{planPoint("S1", 1000.0, 2000.0, 50.0, PlanPointKind::kStation),
                                planPoint("B1", 1100.0, 2000.0, 52.0, PlanPointKind::kBacksight)};
  std::vector<std::string> names;
  for (int i = 1; i <= 50; ++i) names.push_back((i < 10 ? "P0" : "P") + std::to_string(i));
  for (int i = 0; i < 50; ++i) {
    // Within a millimetre of one another: one place at any zoom that shows them.
    points.push_back(planPoint(names[i].c_str(), 1050.0 + i * 1e-5, 2060.0, 40.0 + i,
                               PlanPointKind::kMeasured));
  }
  // The backsight again as a later station: one name and place, no count.
  points.push_back(planPoint("B1", 1100.0, 2000.0, 52.0, PlanPointKind::kStation));
  open(points);

  int stackLabels = 0;
  for (const PlanView::PlacedLabel& label : view()->placedLabels()) {
    if (label.point >= 2 && label.point < 52) {
      ++stackLabels;
      EXPECT_EQ(label.text, QStringLiteral("P01(50)"));
    }
    if (label.point == 1 || label.point == 52) {
      EXPECT_EQ(label.text, QStringLiteral("B1"));
    }
  }
  EXPECT_EQ(stackLabels, 1);
  EXPECT_EQ(view()->stackOf(52), (std::vector<int>{52})) << "a point and its twin";

  click(pixelOf(2));
  EXPECT_EQ(view()->firstSelected(), -1) << "nothing picked before the list is answered";
  QListWidget* list = view()->stackList();
  ASSERT_NE(list, nullptr);
  ASSERT_TRUE(list->isVisible());
  ASSERT_EQ(list->count(), 50);
  EXPECT_EQ(list->item(0)->text(), QStringLiteral("P01"));
  EXPECT_EQ(list->item(49)->text(), QStringLiteral("P50"));
  QTest::keyClick(list, Qt::Key_Down);
  QTest::keyClick(list, Qt::Key_Down);
  QTest::keyClick(list, Qt::Key_Return);
  EXPECT_EQ(view()->firstSelected(), 4) << "P03";
  QTRY_VERIFY(view()->stackList() == nullptr);

  // The second pick by the list too: the pair's inverse line.
  click(pixelOf(2));
  ASSERT_NE(view()->stackList(), nullptr);
  QTest::keyClick(view()->stackList(), Qt::Key_End);
  QTest::keyClick(view()->stackList(), Qt::Key_Return);
  EXPECT_EQ(view()->secondSelected(), 51);
  EXPECT_TRUE(window->selectionLabel->text().startsWith(QStringLiteral("P03 → P50  平距 0.000 m")))
      << window->selectionLabel->text().toStdString();
  // A selected point names its stack.
  for (const PlanView::PlacedLabel& label : view()->placedLabels()) {
    if (label.point >= 2 && label.point < 52) {
      EXPECT_EQ(label.text, QStringLiteral("P03(50)"));
    }
  }

  // Escape closes the list and picks nothing; the station and its backsight
  // twin are picked at once.
  click(pixelOf(2));
  QTest::keyClick(view()->stackList(), Qt::Key_Escape);
  QTRY_VERIFY(view()->stackList() == nullptr);
  EXPECT_EQ(view()->firstSelected(), 4);
  click(pixelOf(1));
  EXPECT_EQ(view()->stackList(), nullptr);
  EXPECT_EQ(view()->firstSelected(), 1);

  // Zoomed in far enough, the stack comes apart: 1e-5 m is a pixel at 1e5 px/m.
  for (int i = 0; i < 60; ++i) turnWheel(pixelOf(2), 1);
  EXPECT_GT(view()->stackOf(2).size(), 1u);
  EXPECT_LT(view()->stackOf(2).size(), 10u);
}

TEST_F(PlanWindowTest, KeysZoomPanFitAndFindAPointByName) {
  open(traverse(), controlPoints());
  activate();
  const double scale = view()->transform().pixelsPerMetre();
  const QPointF centre(view()->width() / 2.0, view()->height() / 2.0);
  const GroundPoint middle = view()->transform().toGround({centre.x(), centre.y()});
  const auto middleNow = [&] {
    const ViewPoint v = view()->transform().toView(middle);
    return QPointF(v.x, v.y);
  };
  QTest::keyClick(view(), Qt::Key_Plus);
  QTest::keyClick(view(), Qt::Key_Plus);
  EXPECT_DOUBLE_EQ(view()->transform().pixelsPerMetre(), scale * 1.25 * 1.25);
  QTest::keyClick(view(), Qt::Key_Minus);
  EXPECT_DOUBLE_EQ(view()->transform().pixelsPerMetre(), scale * 1.25);
  EXPECT_NEAR(middleNow().x(), centre.x(), 1e-6) << "about the middle of the view";
  EXPECT_NEAR(middleNow().y(), centre.y(), 1e-6);

  // Right and Up show what lies east and north: the drawing moves left and down.
  QTest::keyClick(view(), Qt::Key_Right);
  QTest::keyClick(view(), Qt::Key_Up);
  EXPECT_NEAR(middleNow().x(), centre.x() - view()->width() / 8.0, 1e-6);
  EXPECT_NEAR(middleNow().y(), centre.y() + view()->height() / 8.0, 1e-6);
  QTest::keyClick(view(), Qt::Key_Left);
  QTest::keyClick(view(), Qt::Key_Down);
  QTest::keyClick(view(), Qt::Key_Down);
  EXPECT_NEAR(middleNow().x(), centre.x(), 1e-6);
  EXPECT_NEAR(middleNow().y(), centre.y() - view()->height() / 8.0, 1e-6);

  // The keys stay with the view after a click on a control.
  QTest::mouseClick(window->codesCheckBox, Qt::LeftButton);
  ASSERT_EQ(QApplication::focusWidget(), view());
  QTest::keyClick(view(), Qt::Key_Home);
  EXPECT_DOUBLE_EQ(view()->transform().pixelsPerMetre(), scale);
  EXPECT_NEAR(middleNow().x(), centre.x(), 1e-6);

  // Ctrl+F: the point found is centred and picked, as a click picks it.
  findByKeys(QStringLiteral("p3"));
  EXPECT_EQ(view()->firstSelected(), 4);
  EXPECT_NEAR(pixelOf(4).x(), centre.x(), 1e-6);
  EXPECT_NEAR(pixelOf(4).y(), centre.y(), 1e-6);
  EXPECT_DOUBLE_EQ(view()->transform().pixelsPerMetre(), scale) << "the zoom stays";
  findByKeys(QStringLiteral("S1"));
  EXPECT_EQ(view()->secondSelected(), 0);
  EXPECT_TRUE(window->selectionLabel->text().startsWith(QStringLiteral("P3 → S1")));

  // A known point is found while it is shown, and a name that is not there is
  // said.
  findByKeys(QStringLiteral("K1"));
  findByKeys(QStringLiteral("X9"));
  const auto notices = prompts.shownOf(ShownPrompt::Kind::kOk);
  ASSERT_EQ(notices.size(), 2u);
  EXPECT_EQ(notices[0].caption, QStringLiteral("查找点"));
  EXPECT_EQ(notices[0].text, QStringLiteral("没有名为 K1 的点"));
  EXPECT_EQ(notices[1].text, QStringLiteral("没有名为 X9 的点"));
  EXPECT_EQ(notices[1].icon, PromptIcon::kInformation);
  QTest::mouseClick(window->knownCheckBox, Qt::LeftButton);
  findByKeys(QStringLiteral("K1"));
  EXPECT_EQ(view()->firstSelected(), 6);
  EXPECT_EQ(prompts.shownOf(ShownPrompt::Kind::kOk).size(), 2u);
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
