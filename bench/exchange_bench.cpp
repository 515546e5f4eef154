// Speed of the coordinate exchange on a full job: a file of 3072 points
// imported into an empty job, and a job of 3072 points written out, in every
// format.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <array>
#include <filesystem>
#include <string>
#include <vector>

#include "bench/BenchImage.h"
#include "card/CardSession.h"
#include "exchange/CoordinateImport.h"
#include "exchange/ExchangeFile.h"
#include "exchange/ExchangeFormats.h"
#include "exchange/FormatRegistry.h"
#include "exchange/PointOutput.h"
#include "records/PointLine.h"
#include "records/SurveyRecord.h"

namespace {

using vel::bench::BenchImage;

// A prefix and a number, e.g. P17.
std::string numbered(std::string_view prefix, int i) {
  std::string text(prefix);
  text += std::to_string(i);
  return text;
}

std::filesystem::path benchFile(const std::string& name) {
  return std::filesystem::temp_directory_path() /
         ("vel-exchange-bench-" + std::to_string(::getpid()) + "-" + name);
}

std::vector<std::string> pointLines() {
  std::vector<std::string> lines;
  for (int i = 0; i < vel::kMaxJobRecords; ++i) {
    const std::string n = std::to_string(1000000 + i * 7) + "." + std::to_string(100 + i % 900);
    const std::string e = std::to_string(-500000 + i * 13) + ".25";
    lines.push_back(vel::buildPointLine(numbered("P", i), i % 3 ? "" : "TREE", n, e,
                                        std::to_string(i % 100) + ".005"));
  }
  return lines;
}

// The points as a job's grid holds them.
std::vector<vel::SurveyPoint> points() {
  std::vector<vel::SurveyPoint> made;
  for (const std::string& line : pointLines()) {
    made.push_back({vel::pointLineName(line), vel::pointLineCode(line), vel::PointKind::kPT, "JOB1",
                    vel::pointLineN(line), vel::pointLineE(line), vel::pointLineZ(line)});
  }
  return made;
}

// A file read through the registry into the import grid, and the grid stored
// into an empty job through the card session, as the import window does.
void BM_Import3072(benchmark::State& state) {
  const vel::ExchangeFormatEntry& format =
      *vel::FormatRegistry::instance().byId(static_cast<int>(state.range(0)));
  const std::filesystem::path file = benchFile("in" + std::to_string(format.id));
  if (!format.write(file.string(), points(), {}).written()) {
    state.SkipWithError("cannot write the input file");
    return;
  }
  for (auto _ : state) {
    state.PauseTiming();
    BenchImage image;
    image.store.createJob("JOB1");
    vel::CardSession session;
    session.open(image.release().string());
    state.ResumeTiming();

    const vel::ReadResult read = format.read(file.string());
    const vel::Outcome stored =
        session.run(vel::ImportRows{vel::JobSlot{0}, vel::importGridCells(read.points)});

    state.PauseTiming();
    if (!stored.done() || session.recordCount(vel::JobSlot{0}) != vel::kMaxJobRecords) {
      state.SkipWithError("not every point was stored");
    }
    session.close();
    state.ResumeTiming();
  }
  std::filesystem::remove(file);
}
BENCHMARK(BM_Import3072)
    ->DenseRange(vel::kQplFormat, vel::kCsvFormat)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly();

// A full job's points from the session, through the output grid, written by
// the registry's writer, as the output window does.
void BM_Export3072(benchmark::State& state) {
  const vel::ExchangeFormatEntry& format =
      *vel::FormatRegistry::instance().byId(static_cast<int>(state.range(0)));
  BenchImage image;
  const uint8_t slot = image.store.createJob("JOB1");
  const vel::ImageByteOrder& order = image.store.byteOrder();
  int i = 0;
  for (const std::string& line : pointLines()) {
    const vel::FixedValue n = vel::parseFixed(vel::pointLineN(line));
    const vel::FixedValue e = vel::parseFixed(vel::pointLineE(line));
    const vel::FixedValue z = vel::parseFixed(vel::pointLineZ(line));
    std::array<uint8_t, vel::kRecordSize> record{};
    if (i++ % 2 == 0) {
      vel::buildPointRecord(order, vel::pointLineName(line), n, e, z, record);
    } else {  // every other point a surveyed one, with its code
      record[0] = vel::kCRD;
      const std::string name = vel::pointLineName(line);
      std::copy(name.begin(), name.end(), record.begin() + 1);
      record[10] = 'K';
      order.fixedToImage(n, record.data() + vel::record_layout::kSurveyN);
      order.fixedToImage(e, record.data() + vel::record_layout::kSurveyE);
      order.fixedToImage(z, record.data() + vel::record_layout::kSurveyZ);
    }
    image.store.appendRecord(slot, vel::kRecordSize, record.data());
  }
  vel::CardSession session;
  session.open(image.release().string());
  const std::filesystem::path file = benchFile("out" + std::to_string(format.id));

  for (auto _ : state) {
    const std::vector<vel::SurveyPoint> shown =
        vel::outputPoints(session.points(vel::JobSlot{slot}));
    const std::vector<vel::SurveyPoint> written =
        vel::collectGridPoints(vel::outputGridCells(shown), shown);
    if (written.size() != static_cast<std::size_t>(vel::kMaxJobRecords) ||
        !format.write(file.string(), written, {}).written()) {
      state.SkipWithError("the job was not written in full");
    }
  }
  session.close();
  std::filesystem::remove(file);
}
BENCHMARK(BM_Export3072)
    ->DenseRange(vel::kQplFormat, vel::kDxfFormat)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly();

}  // namespace
