// Times the three windows over a full job: the job viewer of 3072 records
// shown and painted, the point output window filled with 3072 points and
// painted, and the import window filled from a 3072-line file, painted and
// confirmed into an empty job. Prints the median and the slowest of the runs
// and the process's peak memory.
//
//   windows_bench [RUNS]     (default 7; QT_QPA_PLATFORM=offscreen without a display)
#include <QApplication>
#include <QElapsedTimer>
#include <QPixmap>
#include <algorithm>
#include <cstdio>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "BenchImage.h"
#include "card/CardSession.h"
#include "records/SurveyRecord.h"
#include "ui/AnsiText.h"
#include "ui/ImportWindow.h"
#include "ui/JobViewer.h"
#include "ui/PointOutputWindow.h"
#include "ui/Prompts.h"
#include "ui/UiLook.h"

namespace {

using namespace vel;

// Nothing is asked during the measured work; any question would be a fault.
class SilentPrompts final : public Prompts {
 public:
  bool askYesNo(QWidget*, const QString&, const QString&, PromptIcon, bool) override {
    return fail();
  }
  void showOk(QWidget*, const QString&, const QString& text, PromptIcon) override {
    std::fprintf(stderr, "unexpected message: %s\n", text.toUtf8().constData());
    fail();
  }
  bool openFile(QWidget*, FileDialogSettings&) override { return fail(); }
  bool saveFile(QWidget*, FileDialogSettings&) override { return fail(); }
  void showTimedMessage(QWidget*, const QString& text) override { showOk(nullptr, {}, text, {}); }
  int faults = 0;

 private:
  bool fail() {
    ++faults;
    return false;
  }
};

// Shows the window, lets it handle its first events and paints all of it.
void showAndPaint(QWidget& window) {
  window.show();
  QCoreApplication::processEvents();
  const QPixmap painted = window.grab();
  if (painted.isNull()) std::fprintf(stderr, "nothing painted\n");
}

struct Timing {
  const char* what;
  std::vector<double> ms;
};

double median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

long peakKilobytes() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind("VmHWM:", 0) == 0) return std::stol(line.substr(6));
  }
  return -1;
}

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
  }
  QApplication app(argc, argv);
  const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 7;
  const ScopedScreenScale designSize(1.0);  // the same window size on any screen
  SilentPrompts prompts;

  bench::BenchImage image;
  RecordAreaStore& store = image.store;
  const uint8_t full = store.createJob("FULL");
  std::array<uint8_t, kRecordSize> record{};
  for (int i = 0; i < kMaxJobRecords; ++i) {
    const std::string name = "P" + std::to_string(i + 1);
    buildPointRecord(store.byteOrder(), name, {5000 + i, 500}, {3000 + i, 250},
                     {40, static_cast<int16_t>(i % 1000)}, record);
    store.appendRecord(full, kRecordSize, record.data());
  }

  const auto file =
      std::filesystem::temp_directory_path() / ("vel-bench-" + std::to_string(::getpid()) + ".QPL");
  {
    std::ofstream out(file, std::ios::binary);
    for (int i = 0; i < kMaxJobRecords; ++i) {
      char line[80];
      std::snprintf(line, sizeof line, "%-9s%-9s%-12.3f%-12.3f%-12.3f\r\n",
                    ("Q" + std::to_string(i + 1)).c_str(), "", 5000 + i * 0.5, 3000 + i * 0.25,
                    40 + i * 0.001);
      out << line;
    }
  }

  const std::filesystem::path imagePath = image.release();
  CardSession card;
  if (card.open(imagePath.string()) != OpenStatus::kLoaded) std::fprintf(stderr, "cannot open\n");
  const JobSlot fullJob{full};

  Timing viewer{"job viewer, 3072 records, shown and painted", {}};
  Timing output{"point output, 3072 points, filled and painted", {}};
  Timing import{"import, 3072 lines, filled, painted and confirmed", {}};
  Timing confirm{"  of which the confirmation (3072 records stored)", {}};

  for (int run = 0; run < runs; ++run) {
    QElapsedTimer t;
    t.start();
    {
      JobViewer form(card, prompts);
      form.job = fullJob;
      showAndPaint(form);
      viewer.ms.push_back(t.nsecsElapsed() / 1e6);
      if (form.recordList->count() != kMaxJobRecords) std::fprintf(stderr, "viewer rows missing\n");
    }

    t.restart();
    {
      PointOutputWindow form(card, prompts);
      form.job = fullJob;
      showAndPaint(form);
      output.ms.push_back(t.nsecsElapsed() / 1e6);
      form.collectGridPoints();
      if (form.points().size() != kMaxJobRecords) std::fprintf(stderr, "points missing\n");
    }

    card.run(CreateJob{"EMPTY"});
    const JobPosition emptyAt{card.jobCount() - 1};
    const JobSlot empty = card.jobAt(emptyAt);
    ImportHost host{card, prompts, {}, nullptr};
    t.restart();
    {
      ImportWindow form(pathToQString(file), 1 /* QPL */, host);
      form.target = empty;
      showAndPaint(form);
      QElapsedTimer c;
      c.start();
      form.confirmButton->click();
      confirm.ms.push_back(c.nsecsElapsed() / 1e6);
      import.ms.push_back(t.nsecsElapsed() / 1e6);
    }
    if (card.recordCount(empty) != kMaxJobRecords) std::fprintf(stderr, "records not stored\n");
    card.run(DeleteJob{emptyAt});
  }
  std::filesystem::remove(file);

  std::printf("runs: %d, platform: %s\n", runs, qPrintable(QGuiApplication::platformName()));
  for (const Timing* timing : {&viewer, &output, &import, &confirm}) {
    std::printf("%-52s median %7.1f ms  slowest %7.1f ms\n", timing->what, median(timing->ms),
                *std::max_element(timing->ms.begin(), timing->ms.end()));
  }
  std::printf("peak memory (VmHWM): %.1f MB\n", peakKilobytes() / 1024.0);
  return prompts.faults == 0 ? 0 : 1;
}
