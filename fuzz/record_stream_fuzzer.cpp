// Feeds arbitrary bytes through the line reader and a whole conversion run, and compares every
// line, output file, counter, time tick and progress step with a plain model of the rules that
// reads the log byte by byte. Byte 0: status-channel mode (low two bits, modulo 3), one-minute
// slices (bit 2), append (bit 3), also convert through files (bit 4); byte 1: block size; byte 2:
// how many bytes a read hands out at most; the rest is the log.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>

#include "line_reader.h"
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

// ---- The model, one function per rule ----------------------------------------------------------

// A line ends at a carriage return, a line feed right after it belongs to it, and the last line
// counts without a terminator too.
std::vector<std::string> Lines(std::string_view bytes) {
  std::vector<std::string> lines{""};
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    if (bytes[i] != '\r') {
      lines.back() += bytes[i];
      continue;
    }
    lines.emplace_back();
    if (i + 1 < bytes.size() && bytes[i + 1] == '\n') ++i;
  }
  if (lines.back().empty()) lines.pop_back();
  return lines;
}

// The channel of a line by its first six characters, 0 for none; the status channels 7 and 8 may
// begin with "§" (0xA7) instead of "$".
int Channel(const std::string& line) {
  for (char channel = '1'; channel <= '8'; ++channel) {
    for (const char lead : {'$', '\xA7'}) {
      if ((lead == '$' || channel >= '7') && line.starts_with(std::string{lead, channel} + ";1;;"))
        return channel - '0';
    }
  }
  return 0;
}

bool RightLength(int channel, std::size_t length) {
  if (channel == 4) return length == 55 || length == 63;
  return length == (channel >= 6 ? 31u : 55u);
}

// What a line becomes; `text` is set for a written line.
RecordOutcome Filter(const std::string& line, StatusChannelMode mode, std::string& text) {
  const int channel = Channel(line);
  if (channel == 0 || (channel >= 7 && mode == StatusChannelMode::Discard))
    return RecordOutcome::Ignored;
  if (!RightLength(channel, line.size())) return RecordOutcome::Rejected;
  const bool transform = channel >= 7 && mode == StatusChannelMode::Transform;
  text = transform ? "$" + line.substr(1) : line;
  return RecordOutcome::Written;
}

// The nearest integer, an exact half to the even one.
int Round(double value) {
  const double below = std::floor(value);
  if (value - below != 0.5) return static_cast<int>(std::floor(value + 0.5));
  return static_cast<int>(std::fmod(below, 2) == 0 ? below : below + 1);
}

std::string SliceName(int ticks) {
  char name[40];
  std::snprintf(name, sizeof name, "f_%02dd%02dh%02dm.CSV", ticks / 86400, ticks % 86400 / 3600,
                ticks % 3600 / 60);
  return name;
}

struct Outcome {
  std::map<std::string, std::string> Files;
  std::int64_t Read = 0, Written = 0, Rejected = 0;
  std::string Calls;  // the window's: "e" for a time tick, " N" for progress N
};

// The run: every line filtered, written and counted, then the progress; every 60 time ticks a new
// slice file.
Outcome Model(const std::vector<std::string>& lines, double size, StatusChannelMode mode,
              bool split, const std::string& old) {
  Outcome run;
  std::string file = split ? SliceName(0) : "f.CSV";
  run.Files[file] = old;
  int ticks = 0;
  for (const std::string& line : lines) {
    run.Read += static_cast<std::int64_t>(line.size());
    std::string text;
    const RecordOutcome outcome = Filter(line, mode, text);
    run.Rejected += outcome == RecordOutcome::Rejected;
    const bool tick = outcome == RecordOutcome::Written && Channel(line) == 1;
    if (outcome == RecordOutcome::Written) {
      run.Files[file] += text + "\r\n";
      run.Written += static_cast<std::int64_t>(line.size());
      ticks += tick;
      run.Calls += tick ? "e" : "";
    }
    run.Calls += " " + std::to_string(Round(static_cast<double>(run.Read) / size * 100));
    if (split && tick && ticks % 60 == 0) run.Files[file = SliceName(ticks)] = "";
  }
  run.Calls = "[" + run.Calls + " 100 ]";
  return run;
}

// ---- The code under test ------------------------------------------------------------------------

class Pieces : public ByteSource {
 public:
  Pieces(std::string_view bytes, std::size_t most) : bytes_(bytes), most_(most) {}
  std::size_t Read(char* buffer, std::size_t capacity) override {
    const std::size_t n = std::min<std::size_t>({capacity, most_, bytes_.size() - pos_});
    std::memcpy(buffer, bytes_.data() + pos_, n);
    pos_ += n;
    return n;
  }

 private:
  std::string_view bytes_;
  std::size_t most_, pos_ = 0;
};

class Window : public RunWindow {
 public:
  void SetProgress(int percent) override { Calls += " " + std::to_string(percent); }
  void ProcessPendingEvents() override { Calls += "e"; }
  void StartOutputSizeDisplay() override { Calls += "["; }
  void StopOutputSizeDisplay() override { Calls += " ]"; }
  std::int32_t& BytesWritten() override { return Written; }

  std::string Calls;
  std::int32_t Written = -1;  // the run must start it at 0
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 3) return 0;
  const auto mode = static_cast<StatusChannelMode>((data[0] & 3) % 3);
  const bool split = (data[0] & 4) != 0, append = (data[0] & 8) != 0 && !split;
  const std::size_t block = data[1] < 240 ? 1 + data[1] % 130 : std::size_t{4096} << data[1] % 9;
  const std::string bytes(reinterpret_cast<const char*>(data + 3), size - 3);
  const std::vector<std::string> lines = Lines(bytes);

  Pieces source(bytes, data[2] % 16 + 1);
  LineReader reader(source, block);
  LineView line;
  std::size_t count = 0;
  for (; reader.Next(line); ++count) {
    Check(count < lines.size(), "an extra line");
    const std::string& want = lines[count];
    Check(line.Length == static_cast<std::int64_t>(want.size()), "length of line " + want);
    Check(want.starts_with(line.Head) && line.Head.size() >= std::min<std::size_t>(want.size(), 64),
          "head of line " + want);
  }
  Check(count == lines.size(), "line count");
  if ((data[0] & 16) == 0) return 0;

  static velunor::testing::TempDir dir;  // in TMPDIR, which fuzz/run-fuzzer removes afterwards
  const std::string old = append ? "alt\r\n" : "";
  const Outcome model = Model(lines, static_cast<double>(bytes.size()), mode, split, old);
  velunor::testing::WriteFile(dir / "f_DAT.LOG", bytes);
  if (append) velunor::testing::WriteFile(dir / "f.CSV", old);
  Window window;
  RunTotals totals;
  try {
    // Through a file each block costs a system call, so a run reads in about 64 blocks at most.
    totals = RunConversion(dir / "f_DAT.LOG", dir / model.Files.begin()->first, dir / "f",
                           {mode, append, std::int16_t{split}}, window,
                           std::max(block, bytes.size() / 64));
  } catch (const RunTimeError& error) {
    Check(false, error.what());
  }
  Check(totals.BytesRead == model.Read && totals.BytesWritten == model.Written &&
            window.Written == model.Written && totals.RejectedLines == model.Rejected,
        "counters");
  Check(window.Calls == model.Calls, "window calls " + window.Calls + " instead of " + model.Calls);
  Check(velunor::testing::ReadFile(dir / "f_DAT.LOG") == bytes, "the log changed");
  std::size_t files = 0;
  for (const auto& entry : std::filesystem::directory_iterator(dir.Path())) {
    const std::string name = entry.path().filename();
    if (name == "f_DAT.LOG") continue;
    Check(model.Files.contains(name) &&
              velunor::testing::ReadFile(entry.path()) == model.Files.at(name),
          "file " + name);
    std::filesystem::remove(entry.path());
    ++files;
  }
  Check(files == model.Files.size(), "number of files");
  return 0;
}
