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
#include "exchange/CoordinateImport.h"
#include "exchange/ExchangeFormats.h"
#include "exchange/ExchangeFile.h"
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

bool storeThroughStore(vel::RecordAreaStore& store, uint8_t slot, const uint8_t* record) {
  return store.appendRecord(slot, vel::kRecordSize, record) == vel::kDone;
}

void BM_Import3072(benchmark::State& state) {
  const int format = static_cast<int>(state.range(0));
  const std::filesystem::path file = benchFile("in" + std::to_string(format));
  if (!vel::writeExchangeFile(file.string(), format, pointLines())) {
    state.SkipWithError("cannot write the input file");
    return;
  }
  for (auto _ : state) {
    state.PauseTiming();
    BenchImage image;
    const uint8_t slot = image.store.createJob("JOB1");
    state.ResumeTiming();

    const vel::ImportedFile read = vel::readImportFile(file.string(), format);
    const uint8_t result =
        vel::storeImportRows(vel::importGridCells(read.pointLines), slot, image.store.byteOrder(),
                             [&image](uint8_t s, const uint8_t* record) {
                               return storeThroughStore(image.store, s, record);
                             });

    state.PauseTiming();
    if (result != 1 || image.store.recordCount(slot) != vel::kMaxJobRecords) {
      state.SkipWithError("not every point was stored");
    }
    state.ResumeTiming();
  }
  std::filesystem::remove(file);
}
BENCHMARK(BM_Import3072)
    ->DenseRange(vel::kQplFormat, vel::kCsvFormat)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly();

void BM_Export3072(benchmark::State& state) {
  const int format = static_cast<int>(state.range(0));
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
  const std::filesystem::path file = benchFile("out" + std::to_string(format));

  for (auto _ : state) {
    const std::vector<std::string> lines =
        vel::collectGridLines(vel::outputGridCells(vel::jobPointLines(image.store, slot)));
    if (lines.size() != static_cast<std::size_t>(vel::kMaxJobRecords) ||
        !vel::writeExchangeFile(file.string(), format, lines)) {
      state.SkipWithError("the job was not written in full");
    }
  }
  std::filesystem::remove(file);
}
BENCHMARK(BM_Export3072)
    ->DenseRange(vel::kQplFormat, vel::kDxfFormat)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly();

}  // namespace
