// Converts arbitrary bytes and compares the output files, counters, time ticks and the progress
// after every line with a plain model of the rules that reads the log byte by byte. Byte 0:
// status-channel mode (low two bits, modulo 3), one-minute slices (bit 2), append (bit 3); byte 1:
// the reader's block size; the rest is the log.
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>

#include "gzip_reader.h"
#include "recording_window.h"
#include "run_conversion.h"
#include "run_time_error.h"
#include "temp_dir.h"

namespace {

using namespace velunor;

void Check(bool same, const std::string& what) {
  if (same) return;
  std::fprintf(stderr, "MISMATCH: %s\n", what.c_str());
  std::abort();
}

// The channel of a line by its first six characters, 0 for none; the status channels 7 and 8 may
// begin with "§" (0xA7) instead of "$".
int Channel(const std::string& line) {
  if (line.size() < 6 || line.substr(2, 4) != ";1;;" || line[1] < '1' || line[1] > '8') return 0;
  return line[0] == '$' || (line[0] == '\xA7' && line[1] >= '7') ? line[1] - '0' : 0;
}

// What a line becomes; `text` is set for a written line.
RecordOutcome Filter(const std::string& line, StatusChannelMode mode, std::string& text) {
  const int channel = Channel(line);
  if (channel == 0 || (channel >= 7 && mode == StatusChannelMode::Discard))
    return RecordOutcome::Ignored;
  const std::size_t length = channel == 4 && line.size() == 63 ? 63 : channel >= 6 ? 31 : 55;
  if (line.size() != length) return RecordOutcome::Rejected;
  text = channel >= 7 && mode == StatusChannelMode::Transform ? "$" + line.substr(1) : line;
  return RecordOutcome::Written;
}

struct Outcome {
  std::map<std::string, std::string> Files;
  std::int64_t Read = 0, Written = 0, Rejected = 0, Ticks = 0;
  bool SawChannel = false;
  std::string Calls = "[";  // to the window: " N" for a new progress N
  int Shown = -1;

  void Progress(int percent) {
    if (percent != Shown) Calls += " " + std::to_string(Shown = percent);
  }
};

// The run: each line filtered, written and counted, then the progress; a new file every 60 ticks.
Outcome Model(std::string_view bytes, StatusChannelMode mode, bool split, const std::string& old) {
  Outcome run;
  std::string file = split ? "f_00d00h00m.CSV" : "f.CSV";
  run.Files[file] = old;
  int ticks = 0;
  std::string line;
  // A line ends at a carriage return, a line feed right after it belongs to it, and the last line
  // counts without a terminator too.
  for (std::size_t i = 0; i < bytes.size(); line.clear(), ++i) {
    for (; i < bytes.size() && bytes[i] != '\r'; ++i) line += bytes[i];
    if (i + 1 < bytes.size() && bytes[i + 1] == '\n') ++i;
    run.Read += static_cast<std::int64_t>(line.size());
    std::string text;
    const RecordOutcome outcome = Filter(line, mode, text);
    run.Rejected += outcome == RecordOutcome::Rejected;
    run.SawChannel |= Channel(line) != 0;
    const bool tick = outcome == RecordOutcome::Written && Channel(line) == 1;
    if (outcome == RecordOutcome::Written) {
      run.Files[file] += text + "\r\n";
      run.Written += static_cast<std::int64_t>(line.size());
      ticks += tick;
    }
    // The nearest percent, an exact half to the even one (the default rounding mode).
    run.Progress(
        static_cast<int>(std::nearbyint(static_cast<double>(run.Read) / bytes.size() * 100)));
    char slice[40];
    std::snprintf(slice, sizeof slice, "f_00d00h%02dm.CSV", ticks / 60);  // inputs are small
    if (split && tick && ticks % 60 == 0) run.Files[file = slice] = "";
  }
  run.Progress(100);
  run.Calls += " ]";
  run.Ticks = ticks;
  return run;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace velunor::testing;
  if (size < 2) return 0;
  const auto mode = static_cast<StatusChannelMode>((data[0] & 3) % 3);
  const bool split = (data[0] & 4) != 0, append = (data[0] & 8) != 0 && !split;
  const std::size_t block = data[1] < 240 ? 1 + data[1] % 130 : std::size_t{4096} << data[1] % 9;
  const std::string bytes(reinterpret_cast<const char*>(data + 2), size - 2);
  if (StartsAsGzip(bytes.data(), bytes.size())) return 0;  // a compressed log, not the model's
  const std::string old = append ? "alt\r\n" : "";
  const Outcome model = Model(bytes, mode, split, old);

  static TempDir dir;  // in TMPDIR, which fuzz/run-fuzzer removes afterwards
  WriteFile(dir / "f_DAT.LOG", bytes);
  if (append) WriteFile(dir / "f.CSV", old);
  RecordingWindow window;
  RunTotals totals;
  try {
    totals = RunConversion(dir / "f_DAT.LOG", dir / model.Files.begin()->first, dir / "f",
                           {mode, append, std::int16_t{split}}, window, block);
  } catch (const RunTimeError& error) {
    Check(false, error.what());
  }
  Check(totals.BytesRead == model.Read && totals.BytesWritten == model.Written &&
            window.Written == model.Written && totals.RejectedLines == model.Rejected,
        "counters");
  Check(totals.SawChannelRecord == model.SawChannel, "channel record seen");
  // The window has its events after every time tick and before every block read; the percents
  // come in the model's order.
  std::string calls = window.Calls;
  const auto passes = static_cast<std::int64_t>(std::erase(calls, 'e'));
  const auto reads = static_cast<std::int64_t>(bytes.size() / block) + 2;
  Check(passes >= model.Ticks && passes <= model.Ticks + reads, "window passes");
  Check(calls == model.Calls, "window calls " + calls + " instead of " + model.Calls);
  const auto files = std::distance(std::filesystem::directory_iterator(dir.Path()), {});
  Check(files == std::ssize(model.Files) + 1, "number of files");
  for (const auto& [name, content] : model.Files) {
    Check(ReadFile(dir / name) == content, name);
    std::filesystem::remove(dir / name);
  }
  return 0;
}
