// What one line costs inside the converter: line reader, record filter, counters, progress and
// the output buffer, run by the same code as a conversion (ConvertLines), on a log held in
// memory, without reading the log from a file or writing the CSV anywhere but /dev/null. Judges a
// change to the hot path in seconds; the whole program against `cat` is bench/run-benchmark.
//
//   build/dev/bench/line-path-benchmark [Google Benchmark options]
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>

#include "byte_source.h"
#include "line_reader.h"
#include "log_lines.h"
#include "output_file.h"
#include "run_conversion.h"
#include "run_window.h"

namespace {

using namespace velunor;

// Bytes converted per benchmark iteration.
constexpr std::int64_t kBytesPerPass = std::int64_t{256} << 20;

// Hands out the same block of log again and again. The log is copied into the reader's block
// only the first time: the reader never changes the bytes it has read, so the block still holds
// them, and the benchmark measures the lines rather than a memory copy that a real run leaves to
// the kernel's read.
class RepeatedBlock : public ByteSource {
 public:
  RepeatedBlock(const std::string& log, int repeats) : log_(log), left_(repeats) {}
  std::size_t Read(char* buffer, std::size_t capacity) override {
    if (left_ == 0) return 0;
    if (capacity < log_.size()) std::abort();  // the log must fit into one block
    if (buffer != filled_) std::memcpy(buffer, log_.data(), log_.size());
    filled_ = buffer;
    --left_;
    return log_.size();
  }
  std::int64_t CompressedConsumed() const override { return -1; }

 private:
  const std::string& log_;
  int left_;
  char* filled_ = nullptr;
};

// A window that takes every call and shows nothing, as the console converter does off a terminal.
class SilentWindow : public RunWindow {
 public:
  void SetProgress(int percent) override { benchmark::DoNotOptimize(percent); }
  void ProcessPendingEvents() override { ++Events; }
  void StartOutputSizeDisplay() override {}
  void StopOutputSizeDisplay() override {}
  std::int32_t& BytesWritten() override { return Written; }

  std::int64_t Events = 0;
  std::int32_t Written = 0;
};

// A block of log that ends at the end of a line, nearly as long as the reader's block.
std::string LogBlock(const std::string& kind, std::size_t blockSize) {
  std::string log;
  const std::size_t size = blockSize - 256;
  if (kind == "log") {
    bench::Random random;
    for (std::uint64_t tick = 0; log.size() < size - 128; ++tick)
      bench::AppendLogLine(log, random, tick);
  } else if (kind == "onlycr") {
    log.assign(size, '\r');
  } else {  // "nocr": part of one endless line
    log.assign(size, '7');
  }
  return log;
}

std::int64_t LinesIn(const std::string& log) {
  // Lines as the reader counts them: every carriage return ends one.
  return static_cast<std::int64_t>(std::count(log.begin(), log.end(), '\r'));
}

void ConvertInMemory(benchmark::State& state, const std::string& kind, StatusChannelMode mode) {
  const std::size_t blockSize = LineReader::kDefaultBlockSize;
  const std::string log = LogBlock(kind, blockSize);
  const int repeats = static_cast<int>(kBytesPerPass / static_cast<std::int64_t>(log.size()));
  RunOptions options;
  options.StatusChannelMode = mode;
  const std::int64_t linesPerPass = LinesIn(log) * repeats;
  std::int64_t lines = 0;
  for (auto _ : state) {
    RepeatedBlock source(log, repeats);
    SilentWindow window;
    auto output =
        std::make_unique<OutputFile>(std::string("/dev/null"), OutputMode::Replace, FileIdentity{});
    const RunTotals totals = ConvertLines(source, kBytesPerPass, FileIdentity{}, std::move(output),
                                          "/dev/null", options, window, blockSize);
    benchmark::DoNotOptimize(totals);
    lines += linesPerPass;
    if (kind == "log" && totals.BytesRead == 0) state.SkipWithError("nothing was read");
  }
  state.SetBytesProcessed(state.iterations() * repeats * static_cast<std::int64_t>(log.size()));
  if (lines == 0) return;  // one endless line
  // Printed as time per line ("ns/line") and lines per second.
  state.counters["per_line"] = benchmark::Counter(
      static_cast<double>(lines), benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
  state.counters["lines/s"] =
      benchmark::Counter(static_cast<double>(lines), benchmark::Counter::kIsRate);
}

void OrdinaryLogTransform(benchmark::State& state) {
  ConvertInMemory(state, "log", StatusChannelMode::Transform);
}
void OrdinaryLogCopy(benchmark::State& state) {
  ConvertInMemory(state, "log", StatusChannelMode::CopyUnchanged);
}
void OrdinaryLogDiscard(benchmark::State& state) {
  ConvertInMemory(state, "log", StatusChannelMode::Discard);
}
void OnlyCarriageReturns(benchmark::State& state) {
  ConvertInMemory(state, "onlycr", StatusChannelMode::Transform);
}
void NoCarriageReturn(benchmark::State& state) {
  ConvertInMemory(state, "nocr", StatusChannelMode::Transform);
}

BENCHMARK(OrdinaryLogTransform)->Unit(benchmark::kMillisecond);
BENCHMARK(OrdinaryLogCopy)->Unit(benchmark::kMillisecond);
BENCHMARK(OrdinaryLogDiscard)->Unit(benchmark::kMillisecond);
BENCHMARK(OnlyCarriageReturns)->Unit(benchmark::kMillisecond);
BENCHMARK(NoCarriageReturn)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
