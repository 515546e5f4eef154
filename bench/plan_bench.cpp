// Times the plan view over a full job of 3072 records (96 stations, each with
// its backsight and 30 side shots): reading the points from the card, opening
// the window and drawing it the first time, and one repaint of the view at the
// whole-job scale and zoomed in. Each runs nine times; read the medians.
//
//   plan_bench [--benchmark_filter=...]   (QT_QPA_PLATFORM=offscreen without a display)
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <QWheelEvent>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "BenchImage.h"
#include "exchange/PlanPoints.h"
#include "records/SurveyRecord.h"
#include "ui/PlanWindow.h"
#include "ui/Prompts.h"
#include "ui/UiLook.h"

namespace {

using namespace vel;

constexpr int kStations = 96;
constexpr int kShotsPerStation = 30;
static_assert(kStations * (kShotsPerStation + 2) == kMaxJobRecords);

// A prefix and a number, e.g. S17.
std::string numbered(const char* prefix, int i) {
  std::string text(prefix);
  text += std::to_string(i);
  return text;
}

FixedValue fixedOf(double metres) {
  const long long thousandths = std::llround(metres * 1000.0);
  return {static_cast<int32_t>(thousandths / 1000), static_cast<int16_t>(thousandths % 1000)};
}

std::array<uint8_t, kRecordSize> surveyRecord(const ImageByteOrder& order, uint8_t kind,
                                              const std::string& name, const std::string& code,
                                              double n, double e, double z) {
  std::array<uint8_t, kRecordSize> r{};
  r[record_layout::kKind] = kind;
  std::copy(name.begin(), name.end(), r.begin() + record_layout::kName);
  std::copy(code.begin(), code.end(), r.begin() + record_layout::kCode);
  order.fixedToImage(fixedOf(n), r.data() + record_layout::kSurveyN);
  order.fixedToImage(fixedOf(e), r.data() + record_layout::kSurveyE);
  order.fixedToImage(fixedOf(z), r.data() + record_layout::kSurveyZ);
  return r;
}

// A winding traverse with legs of 60 m; side shots up to 40 m around each
// station, so the drawing is as crowded as a day's work gets.
struct FullJob {
  FullJob() {
    RecordAreaStore& store = image.store;
    slot = store.createJob("FULL");
    const char* codes[] = {"TREE", "KERB", "WALL", "MH", "LP", "FENCE", "", ""};
    unsigned seed = 20240517;
    const auto unit = [&seed] {
      seed = seed * 1103515245u + 12345u;
      return ((seed >> 8) & 0xFFFF) / 65536.0;
    };
    double n = 3512400.0, e = 512300.0, heading = 0.5;
    int shot = 1;
    for (int s = 1; s <= kStations; ++s) {
      const std::string station = numbered("S", s);
      const auto add = [&](const std::array<uint8_t, kRecordSize>& r) {
        store.appendRecord(slot, kRecordSize, r.data());
      };
      add(surveyRecord(store.byteOrder(), kSTN, station, "", n, e, 50.0));
      add(surveyRecord(store.byteOrder(), kBS, numbered("S", s - 1), "",
                       n - 60.0 * std::cos(heading), e - 60.0 * std::sin(heading), 50.0));
      for (int k = 0; k < kShotsPerStation; ++k) {
        const double angle = unit() * 6.2832;
        const double distance = 5.0 + unit() * 35.0;
        add(surveyRecord(store.byteOrder(), kCRD, std::to_string(shot++),
                         codes[static_cast<int>(unit() * 8)], n + distance * std::cos(angle),
                         e + distance * std::sin(angle), 48.0 + unit() * 4.0));
      }
      heading += (unit() - 0.5) * 1.2;
      n += 60.0 * std::cos(heading);
      e += 60.0 * std::sin(heading);
    }
    card.open(image.release().string());
  }
  std::vector<PlanPoint> points() { return planPoints(card.points(JobSlot{slot})); }

  bench::BenchImage image;
  CardSession card;
  uint8_t slot = 0;
};

FullJob& fullJob() {
  static FullJob job;
  return job;
}

// Nothing is asked while drawing.
class NoPrompts final : public Prompts {
 public:
  bool askYesNo(QWidget*, const QString&, const QString&, PromptIcon, bool) override {
    return false;
  }
  void showOk(QWidget*, const QString&, const QString&, PromptIcon) override {}
  bool openFile(QWidget*, FileDialogSettings&) override { return false; }
  bool saveFile(QWidget*, FileDialogSettings&) override { return false; }
  void showTimedMessage(QWidget*, const QString&) override {}
};

PlanContent fullContent(std::vector<PlanPoint> points) {
  return PlanContent{QStringLiteral("图形"),
                     QStringLiteral("BENCH.VEL"),
                     QStringLiteral("FULL"),
                     std::move(points),
                     {}};
}

void BM_ReadJobPoints(benchmark::State& state) {
  FullJob& job = fullJob();
  for (auto _ : state) {
    const std::vector<PlanPoint> points = job.points();
    if (points.size() != kMaxJobRecords) state.SkipWithError("points missing");
    benchmark::DoNotOptimize(points.data());
  }
}

// The window built, laid out at its opening size and drawn whole into an image.
void BM_OpenAndDraw(benchmark::State& state) {
  FullJob& job = fullJob();
  const std::vector<PlanPoint> points = job.points();
  NoPrompts prompts;
  for (auto _ : state) {
    PlanWindow window(fullContent(points), prompts);
    window.setAttribute(Qt::WA_DontShowOnScreen);
    window.show();
    QImage image(window.size(), QImage::Format_RGB32);
    window.render(&image);
    benchmark::DoNotOptimize(image.constBits());
  }
}

// One repaint of the view alone, as a wheel turn or a drag step asks for it.
void repaint(benchmark::State& state, int wheelNotches) {
  FullJob& job = fullJob();
  NoPrompts prompts;
  PlanWindow window(fullContent(job.points()), prompts);
  window.setAttribute(Qt::WA_DontShowOnScreen);
  window.show();
  PlanView& view = *window.view;
  if (wheelNotches != 0) {
    const QPointF middle(view.width() / 2.0, view.height() / 2.0);
    QWheelEvent wheel(middle, view.mapToGlobal(middle), QPoint(), QPoint(0, 120 * wheelNotches),
                      Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(&view, &wheel);
  }
  QImage image(view.size(), QImage::Format_RGB32);
  for (auto _ : state) {
    QPainter painter(&image);
    view.paintPlan(painter);
    painter.end();
    benchmark::DoNotOptimize(image.constBits());
  }
}

void BM_RepaintWholeJob(benchmark::State& state) {
  repaint(state, 0);
}
void BM_RepaintZoomedIn(benchmark::State& state) {
  repaint(state, 8);  // about six times the whole-job scale
}

BENCHMARK(BM_ReadJobPoints)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(9)
    ->ReportAggregatesOnly(true);
BENCHMARK(BM_OpenAndDraw)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(9)
    ->ReportAggregatesOnly(true);
BENCHMARK(BM_RepaintWholeJob)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(9)
    ->ReportAggregatesOnly(true);
BENCHMARK(BM_RepaintZoomedIn)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(9)
    ->ReportAggregatesOnly(true);

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
  }
  QApplication app(argc, argv);
  const ScopedScreenScale designSize(1.0);  // the same window size on any screen
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
