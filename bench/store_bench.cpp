// Speed of the store on a full job: 3072 records.
#include <benchmark/benchmark.h>

#include <cstring>

#include "bench/BenchImage.h"

namespace {

using vel::bench::BenchImage;

std::array<uint8_t, vel::kRecordSize> pointRecord(int i) {
  std::array<uint8_t, vel::kRecordSize> record{};
  record[0] = 4;
  std::snprintf(reinterpret_cast<char*>(record.data() + 1), 9, "P%d", i);
  return record;
}

void fillJob(vel::RecordAreaStore& store, uint8_t slot) {
  for (int i = 0; i < vel::kMaxJobRecords; ++i) {
    store.appendRecord(slot, vel::kRecordSize, pointRecord(i).data());
  }
}

void BM_Append3072(benchmark::State& state) {
  for (auto _ : state) {
    state.PauseTiming();
    BenchImage image;
    const uint8_t slot = image.store.createJob("JOB1");
    state.ResumeTiming();
    fillJob(image.store, slot);
    state.PauseTiming();
    if (image.store.recordCount(slot) != vel::kMaxJobRecords) state.SkipWithError("not filled");
    state.ResumeTiming();
  }
}
BENCHMARK(BM_Append3072)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly();

void BM_ReadAll3072(benchmark::State& state) {
  BenchImage image;
  const uint8_t slot = image.store.createJob("JOB1");
  fillJob(image.store, slot);
  uint8_t buffer[vel::kRecordSize];
  for (auto _ : state) {
    for (int i = 0; i < vel::kMaxJobRecords; ++i) {
      benchmark::DoNotOptimize(image.store.readRecord(slot, i, vel::kRecordSize, buffer));
    }
  }
}
BENCHMARK(BM_ReadAll3072)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly();

void BM_PointNames3072(benchmark::State& state) {
  BenchImage image;
  const uint8_t slot = image.store.createJob("JOB1");
  fillJob(image.store, slot);
  for (auto _ : state) {
    for (int i = 0; i < vel::kMaxJobRecords; ++i) {
      benchmark::DoNotOptimize(image.store.recordPointName(slot, i));
    }
  }
}
BENCHMARK(BM_PointNames3072)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly();

}  // namespace
