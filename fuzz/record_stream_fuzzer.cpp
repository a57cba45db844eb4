// Feeds arbitrary bytes through the block line reader, the record filter and a whole conversion
// run, and compares every line, output file, counter, time tick and progress step with a
// deliberately plain byte-by-byte model of the rules written here. Also checks the rounding of
// percent and kilobyte figures against a hand-written half-to-even rounding.
//
// Input layout: byte 0 picks the test (low two bits: status-channel mode, or 3 for the number
// checks; bit 2: split into one-minute slices; bit 3: append to an existing output file; bit 4:
// also convert through files, which costs the run's output buffer and so is not done every time),
// byte 1 the block size, byte 2 how many bytes the source hands out per read; the rest is the log.
// For the number checks the rest holds a count of bytes read, a length, a double, a 32-bit byte
// count, then two-byte steps of bytes read for the progress gauge.
#include <unistd.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "line_reader.h"
#include "number_text.h"
#include "progress_gauge.h"
#include "record_filter.h"
#include "run_conversion.h"
#include "run_time_error.h"

namespace {

using namespace velunor;
namespace fs = std::filesystem;

[[noreturn]] void Fail(const char* what, const std::string& detail) {
  std::fprintf(stderr, "MISMATCH: %s\n%s\n", what, detail.c_str());
  std::abort();
}

#define EXPECT_SAME(what, actual, expected)                                  \
  do {                                                                       \
    if ((actual) != (expected)) {                                            \
      Fail(what, "actual " + Show(actual) + ", expected " + Show(expected)); \
    }                                                                        \
  } while (false)

std::string Show(const std::string& text) {
  std::string shown = "\"";
  for (unsigned char c : text) {
    if (c >= 0x20 && c < 0x7F && c != '\\' && c != '"') {
      shown += static_cast<char>(c);
    } else {
      char hex[5];
      std::snprintf(hex, sizeof hex, "\\x%02X", c);
      shown += hex;
    }
  }
  return shown + "\"";
}
template <typename Number>
std::string Show(Number value) {
  return std::to_string(value);
}
std::string Show(const std::vector<int>& values) {
  std::string shown;
  for (int value : values) shown += std::to_string(value) + " ";
  return shown;
}

// ---- The plain model ----------------------------------------------------------------------------

// Lines end at CR; an LF right after a CR belongs to it; a last line counts without terminator.
std::vector<std::string> ModelLines(std::string_view bytes) {
  std::vector<std::string> lines;
  std::string line;
  bool pending = false;  // bytes seen since the last terminator
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    if (bytes[i] == '\r') {
      lines.push_back(line);
      line.clear();
      pending = false;
      if (i + 1 < bytes.size() && bytes[i + 1] == '\n') ++i;
    } else {
      line += bytes[i];
      pending = true;
    }
  }
  if (pending) lines.push_back(line);
  return lines;
}

struct ModelRecord {
  RecordOutcome Outcome = RecordOutcome::Ignored;
  bool Tick = false;
  std::string Text;
};

ModelRecord ModelClassify(const std::string& line, StatusChannelMode mode) {
  const std::string prefix = line.substr(0, 6);
  const std::size_t length = line.size();
  auto judge = [&](bool lengthOk, bool tick) {
    return lengthOk ? ModelRecord{RecordOutcome::Written, tick, line}
                    : ModelRecord{RecordOutcome::Rejected, false, ""};
  };
  if (prefix == "$1;1;;") return judge(length == 55, true);
  if (prefix == "$2;1;;" || prefix == "$3;1;;" || prefix == "$5;1;;")
    return judge(length == 55, false);
  if (prefix == "$4;1;;") return judge(length == 55 || length == 63, false);
  if (prefix == "$6;1;;") return judge(length == 31, false);
  if (mode == StatusChannelMode::Discard) return {};
  const std::string section(1, '\xA7');
  if (prefix == section + "7;1;;" || prefix == "$7;1;;" || prefix == section + "8;1;;" ||
      prefix == "$8;1;;") {
    if (length != 31) return {RecordOutcome::Rejected, false, ""};
    return {RecordOutcome::Written, false,
            mode == StatusChannelMode::Transform ? "$" + line.substr(1) : line};
  }
  return {};
}

// Half to even, from floor and the fraction.
double ModelRound(double value) {
  const double below = std::floor(value);
  const double fraction = value - below;
  if (fraction > 0.5) return below + 1;
  if (fraction < 0.5) return below;
  return std::fmod(below, 2.0) == 0 ? below : below + 1;
}

int ModelPercent(std::int64_t read, std::int64_t length) {
  if (length <= 0) return 100;
  double percent = static_cast<double>(read) / static_cast<double>(length) * 100;
  if (percent < 0) percent = 0;
  if (percent > 100) percent = 100;
  return static_cast<int>(ModelRound(percent));
}

std::string ModelSuffix(int seconds) {
  char text[40];
  std::snprintf(text, sizeof text, "_%02dd%02dh%02dm", seconds / 86400, seconds % 86400 / 3600,
                seconds % 3600 / 60);
  return text;
}

// What the window sees of a run, in order: each new progress percent (the same value again
// changes nothing), and kEvents for every chance to handle its events.
struct WindowView {
  static constexpr int kEvents = -1;

  void Progress(int percent) {
    if (Seen.empty() || percent != Shown) Seen.push_back(percent);
    Shown = percent;
  }
  void Events() { Seen.push_back(kEvents); }

  std::vector<int> Seen;
  int Shown = 0;
};

struct ModelRun {
  std::vector<std::pair<std::string, std::string>> Files;  // name and content, in order
  std::int64_t BytesRead = 0, BytesWritten = 0, RejectedLines = 0, Ticks = 0;
  WindowView Window;
};

ModelRun ModelConversion(const std::vector<std::string>& lines, std::int64_t inputLength,
                         StatusChannelMode mode, bool split, const std::string& oldOutput) {
  ModelRun run;
  run.Files.push_back({split ? "f_00d00h00m.CSV" : "f.CSV", oldOutput});
  int sliceTicks = 0;
  for (const std::string& line : lines) {
    run.BytesRead += static_cast<std::int64_t>(line.size());
    const ModelRecord record = ModelClassify(line, mode);
    if (record.Outcome == RecordOutcome::Written) {
      run.Files.back().second += record.Text + "\r\n";
      run.BytesWritten += static_cast<std::int64_t>(line.size());
      if (record.Tick) {
        ++run.Ticks;
        ++sliceTicks;
        run.Window.Events();
      }
    } else if (record.Outcome == RecordOutcome::Rejected) {
      ++run.RejectedLines;
    }
    run.Window.Progress(ModelPercent(run.BytesRead, inputLength));
    if (split && sliceTicks == 60) {
      sliceTicks = 0;
      run.Files.push_back({"f" + ModelSuffix(static_cast<int>(run.Ticks)) + ".CSV", ""});
    }
  }
  run.Window.Progress(100);
  return run;
}

// ---- The code under test ------------------------------------------------------------------------

// Hands out the bytes in pieces of at most `chunk` (0: as many as asked for).
class PieceSource : public ByteSource {
 public:
  PieceSource(std::string_view bytes, std::size_t chunk) : bytes_(bytes), chunk_(chunk) {}
  std::size_t Read(char* buffer, std::size_t capacity) override {
    std::size_t n = std::min(capacity, bytes_.size() - pos_);
    if (chunk_ > 0) n = std::min(n, chunk_);
    std::memcpy(buffer, bytes_.data() + pos_, n);
    pos_ += n;
    return n;
  }

 private:
  std::string_view bytes_;
  std::size_t chunk_;
  std::size_t pos_ = 0;
};

class RecordingWindow : public RunWindow {
 public:
  void SetProgress(int percent) override { View.Progress(percent); }
  void ProcessPendingEvents() override {
    View.Events();
    ++Events;
  }
  void StartOutputSizeDisplay() override { ++Starts; }
  void StopOutputSizeDisplay() override { ++Stops; }
  std::int32_t& BytesWritten() override { return Written; }

  WindowView View;
  std::int64_t Events = 0;
  int Starts = 0, Stops = 0;
  std::int32_t Written = -12345;  // the run must reset it
};

std::string ReadWhole(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

const fs::path& WorkDir() {
  static const fs::path dir = [] {
    // fuzz/run-fuzzer points TMPDIR at a folder it removes afterwards, also after a crash.
    const char* base = std::getenv("TMPDIR");
    if (base == nullptr) base = ::access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
    std::string pattern = std::string(base) + "/velunor-fuzz-XXXXXX";
    if (::mkdtemp(pattern.data()) == nullptr) Fail("cannot create a work folder", pattern);
    std::atexit([] {
      std::error_code ignored;
      fs::remove_all(WorkDir(), ignored);
    });
    return fs::path(pattern);
  }();
  return dir;
}

void CheckLineReader(std::string_view bytes, const std::vector<std::string>& expected,
                     std::size_t block, std::size_t chunk, StatusChannelMode mode) {
  PieceSource source(bytes, chunk);
  LineReader reader(source, block);
  LineView line;
  std::size_t index = 0;
  while (reader.Next(line)) {
    // A run of empty lines may come as one view standing for all of them.
    if (line.Lines < 1 || (line.Lines > 1 && line.Length != 0))
      Fail("line count of a view", Show(line.Lines));
    for (std::int64_t i = 1; i < line.Lines; ++i) {
      if (index == expected.size() || !expected[index++].empty())
        Fail("run of empty lines", Show(line.Lines));
    }
    if (index == expected.size())
      Fail("line reader gives an extra line", Show(std::string(line.Head)));
    const std::string& want = expected[index++];
    EXPECT_SAME("line length", line.Length, static_cast<std::int64_t>(want.size()));
    const std::size_t needed = std::min<std::size_t>(want.size(), kLongestRecord + 1);
    if (line.Head.size() < needed ||
        line.Head != std::string_view(want).substr(0, line.Head.size())) {
      Fail("line head", "head " + Show(std::string(line.Head)) + " of line " + Show(want));
    }
    const ModelRecord model = ModelClassify(want, mode);
    for (const RecordClass& record :
         {ClassifyRecord(line.Head, line.Length, mode), ClassifyRecord(want, mode)}) {
      EXPECT_SAME("outcome", static_cast<int>(record.Outcome), static_cast<int>(model.Outcome));
      EXPECT_SAME("time tick", record.IsTimeTick, model.Tick);
      if (model.Outcome == RecordOutcome::Written) {
        EXPECT_SAME("written text", std::string(record.Head) + std::string(record.Tail),
                    model.Text);
      }
    }
  }
  EXPECT_SAME("line count", index, expected.size());
}

void CheckRun(std::string_view bytes, const std::vector<std::string>& lines, std::size_t block,
              StatusChannelMode mode, bool split, bool append) {
  const fs::path& dir = WorkDir();
  const std::string log = (dir / "f_DAT.LOG").string();
  {
    std::ofstream(log, std::ios::binary)
        .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  }
  const std::string oldOutput = append ? "old\r\n" : "";
  const ModelRun model =
      ModelConversion(lines, static_cast<std::int64_t>(bytes.size()), mode, split, oldOutput);
  if (append) std::ofstream(dir / "f.CSV", std::ios::binary) << oldOutput;

  RunOptions options;
  options.StatusChannelMode = mode;
  options.Append = append;
  options.SplitMinutes = split ? 1 : 0;
  RecordingWindow window;
  RunTotals totals;
  try {
    // The reader's small blocks are covered in memory above; through a file they would cost one
    // system call per byte, so a run reads in at most about 64 blocks.
    totals = RunConversion(log, (dir / model.Files.front().first).string(), (dir / "f").string(),
                           options, window, std::max(block, bytes.size() / 64));
  } catch (const RunTimeError& error) {
    Fail("the run failed", error.what());
  }
  EXPECT_SAME("BytesRead", std::int64_t{totals.BytesRead}, model.BytesRead);
  EXPECT_SAME("BytesWritten", std::int64_t{totals.BytesWritten}, model.BytesWritten);
  EXPECT_SAME("window's BytesWritten", std::int64_t{window.Written}, model.BytesWritten);
  EXPECT_SAME("RejectedLines", std::int64_t{totals.RejectedLines}, model.RejectedLines);
  EXPECT_SAME("time ticks", window.Events, model.Ticks);
  EXPECT_SAME("display switched on", window.Starts, 1);
  EXPECT_SAME("display switched off", window.Stops, 1);
  EXPECT_SAME("what the window sees", window.View.Seen, model.Window.Seen);

  std::set<std::string> expectedNames{"f_DAT.LOG"};
  for (const auto& [name, content] : model.Files) {
    expectedNames.insert(name);
    EXPECT_SAME(name.c_str(), ReadWhole(dir / name), content);
  }
  std::set<std::string> names;
  for (const auto& entry : fs::directory_iterator(dir)) names.insert(entry.path().filename());
  if (names != expectedNames) Fail("files written", std::to_string(names.size()) + " files");
  EXPECT_SAME("log kept", ReadWhole(log), std::string(bytes));
  for (const std::string& name : names) fs::remove(dir / name);
}

void CheckNumbers(const std::uint8_t* data, std::size_t size) {
  std::int64_t read = 0, length = 0;
  double value = 0;
  std::int32_t bytes = 0;
  if (size < sizeof read + sizeof length + sizeof value + sizeof bytes) return;
  std::memcpy(&read, data, sizeof read);
  std::memcpy(&length, data + 8, sizeof length);
  std::memcpy(&value, data + 16, sizeof value);
  std::memcpy(&bytes, data + 24, sizeof bytes);

  EXPECT_SAME("ProgressPercent", ProgressPercent(read, length), ModelPercent(read, length));

  const double model = ModelRound(value);
  const bool fits = model >= -2147483648.0 && model <= 2147483647.0;  // false for NaN too
  try {
    const std::int32_t rounded = RoundHalfEven(value);
    if (!fits) Fail("RoundHalfEven should overflow", std::to_string(value));
    EXPECT_SAME("RoundHalfEven", double{static_cast<double>(rounded)}, model);
  } catch (const RunTimeError& error) {
    if (fits || error.Number() != error_number::kOverflow)
      Fail("RoundHalfEven raised", error.what());
  }
  EXPECT_SAME("Kilobytes", double{static_cast<double>(Kilobytes(bytes))},
              ModelRound(bytes / 1024.0));

  // The gauge skips work between percent steps; it must still give every step exactly.
  const std::int64_t gaugeLength =
      static_cast<std::int64_t>(static_cast<std::uint64_t>(length) % (std::uint64_t{1} << 40));
  const std::int64_t scale = std::max<std::int64_t>(1, gaugeLength >> 14);
  ProgressGauge gauge(gaugeLength);
  std::int64_t gaugeRead = 0;
  for (std::size_t at = 28; at + 2 <= size && gaugeRead <= gaugeLength; at += 2) {
    gaugeRead += (data[at] | data[at + 1] << 8) % 4096 * (data[at] & 1 ? 1 : scale);
    EXPECT_SAME("ProgressGauge", gauge.Percent(gaugeRead), ModelPercent(gaugeRead, gaugeLength));
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 3) return 0;
  const std::uint8_t control = data[0];
  if ((control & 3) == 3) {
    CheckNumbers(data + 3, size - 3);
    return 0;
  }
  static constexpr std::size_t kLargeBlocks[] = {4096, 65536, LineReader::kDefaultBlockSize};
  const std::size_t block = data[1] < 240 ? 1 + data[1] % 130 : kLargeBlocks[data[1] % 3];
  const std::size_t chunk = data[2] % 16;
  const auto mode = static_cast<StatusChannelMode>(control & 3);
  const bool split = (control & 4) != 0;
  const bool append = (control & 8) != 0 && !split;
  const std::string_view bytes(reinterpret_cast<const char*>(data + 3), size - 3);

  const std::vector<std::string> lines = ModelLines(bytes);
  CheckLineReader(bytes, lines, block, chunk, mode);
  if ((control & 16) != 0) CheckRun(bytes, lines, block, mode, split, append);
  return 0;
}
