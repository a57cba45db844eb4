// Converts arbitrary bytes and checks what holds for any log: no error and nothing the sanitizers
// see; the same files, counters and percents whatever the reader's block size; every CSV line a
// record-long line of the log, in the log's order; counters that add up; slices of 60 time ticks.
// Byte 0: status-channel mode (low two bits, modulo 3), one-minute slices (bit 2), append (bit 3);
// byte 1: the reader's block size; the rest is the log.
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <string_view>

#include "gzip_reader.h"
#include "recording_window.h"
#include "run_conversion.h"
#include "temp_dir.h"

namespace {

using namespace velunor;

void Check(bool same, const std::string& what) {
  if (same) return;
  std::fprintf(stderr, "MISMATCH: %s\n", what.c_str());
  std::abort();
}

struct Result {
  RunTotals Totals;
  std::string Calls;  // to the window, without the event passes, which follow the blocks read
  std::map<std::string, std::string> Files;  // every output, slices in their order
  bool operator==(const Result&) const = default;
};

Result Convert(const std::string& bytes, const RunOptions& options, std::size_t block) {
  static testing::TempDir dir;  // in TMPDIR, which fuzz/run-fuzzer removes afterwards
  testing::WriteFile(dir / "f_DAT.LOG", bytes);
  if (options.Append) testing::WriteFile(dir / "f.CSV", "alt\r\n");
  testing::RecordingWindow window;
  const std::string first = options.SplitMinutes ? "f_00d00h00m.CSV" : "f.CSV";
  // No log may fail: an error escapes, and ends the fuzzer with its text.
  Result run{RunConversion(dir / "f_DAT.LOG", dir / first, dir / "f", options, window, block),
             std::move(window.Calls)};
  std::erase(run.Calls, 'e');
  Check(window.Written == run.Totals.BytesWritten, "bytes written, as the window has them");
  for (const auto& entry : std::filesystem::directory_iterator(dir.Path())) {
    if (entry.path().filename() == "f_DAT.LOG") continue;
    run.Files[entry.path().filename().string()] = testing::ReadFile(entry.path());
    std::filesystem::remove(entry.path());
  }
  return run;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2) return 0;
  const auto mode = static_cast<StatusChannelMode>((data[0] & 3) % 3);
  const bool split = (data[0] & 4) != 0, append = (data[0] & 8) != 0 && !split;
  const std::size_t block = data[1] < 240 ? 1 + data[1] % 130 : std::size_t{4096} << data[1] % 9;
  const std::string bytes(reinterpret_cast<const char*>(data + 2), size - 2);
  if (StartsAsGzip(bytes.data(), bytes.size())) return 0;  // a compressed log
  const RunOptions options{mode, append, std::int16_t{split}};
  const Result run = Convert(bytes, options, block);
  Check(run == Convert(bytes, options, 1 << 20), "another block size");

  // A line ends at a carriage return; a line feed right after it belongs to it.
  std::vector<std::string> lines;
  std::int64_t read = 0;
  for (std::size_t at = 0, end; at < bytes.size();
       at = end + 1 + (end + 1 < bytes.size() && bytes[end + 1] == '\n')) {
    end = std::min(bytes.find('\r', at), bytes.size());
    lines.push_back(bytes.substr(at, end - at));
    read += static_cast<std::int64_t>(end - at);
  }
  Check(run.Totals.BytesRead == read, "bytes read");

  std::size_t next = 0;
  std::int64_t written = 0, records = 0;
  for (const auto& [name, content] : run.Files) {
    std::string_view csv = content;
    Check(!append || csv.starts_with("alt\r\n"), "appended to");
    if (append) csv.remove_prefix(5);
    int ticks = 0;
    std::string record;
    while (!csv.empty()) {
      // The log's next line that became this record, a status channel's "§" made "$" or not.
      for (; next < lines.size(); ++next) {
        record = lines[next];
        if (csv.starts_with(record + "\r\n")) break;
        if (record.starts_with('\xA7') && csv.starts_with("$" + record.substr(1) + "\r\n")) break;
      }
      Check(next++ < lines.size(), "a record the log does not have in this order");
      Check(record.size() == 31 || record.size() == 55 || record.size() == 63, "record length");
      csv.remove_prefix(record.size() + 2);
      written += std::ssize(record);
      ++records;
      ticks += record.starts_with("$1;1;;");
    }
    // A slice ends right after its 60th time tick; the last one may end anywhere.
    const bool ended = ticks == 60 && record.starts_with("$1;1;;");
    Check(!split || ended || name == run.Files.rbegin()->first, "slice " + name);
  }
  Check(run.Totals.BytesWritten == written, "bytes written");
  Check(run.Totals.RejectedLines + records <= std::ssize(lines), "lines rejected");

  Check(run.Calls.starts_with("[") && run.Calls.ends_with(" 100 ]"), "display " + run.Calls);
  return 0;
}
