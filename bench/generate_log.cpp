// Writes a synthetic log for the sample, the tests and the benchmark. Deterministic: the same
// arguments always give the same bytes.
//
//   velunor-genlog KIND BYTES > FILE
//   KIND: log (records of every channel with some faults), nocr (no carriage return at all),
//         garbage (random bytes), onlycr (carriage returns only), nul (NUL bytes with some CRs)
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "log_lines.h"

namespace {

using velunor::bench::AppendLogLine;
using velunor::bench::Random;

void WriteLog(std::uint64_t bytes, std::FILE* out) {
  Random random;
  std::string text = "Quorix Datenlog;Kanal;Status;Werte\r\n";
  std::uint64_t written = 0;
  for (std::uint64_t tick = 0; written < bytes; ++tick) {
    AppendLogLine(text, random, tick);
    if (text.size() >= (1 << 20) || written + text.size() >= bytes) {
      const std::size_t n =
          static_cast<std::size_t>(std::min<std::uint64_t>(text.size(), bytes - written));
      std::fwrite(text.data(), 1, n, out);
      written += n;
      text.clear();
    }
  }
}

void WriteFill(std::uint64_t bytes, std::FILE* out, const std::string& kind) {
  Random random;
  std::vector<char> block(1 << 20);
  for (std::uint64_t written = 0; written < bytes;) {
    for (std::size_t i = 0; i < block.size(); ++i) {
      if (kind == "nocr")
        block[i] = "0123456789;$\n"[random.Below(13)];
      else if (kind == "onlycr")
        block[i] = '\r';
      else if (kind == "nul")
        block[i] = random.Below(64) == 0 ? '\r' : '\0';
      else
        block[i] = static_cast<char>(random.Next() >> 8);
    }
    const std::size_t n =
        static_cast<std::size_t>(std::min<std::uint64_t>(block.size(), bytes - written));
    std::fwrite(block.data(), 1, n, out);
    written += n;
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "Aufruf: velunor-genlog log|nocr|garbage|onlycr|nul BYTES > DATEI\n");
    return 2;
  }
  const std::string kind = argv[1];
  const std::uint64_t bytes = std::strtoull(argv[2], nullptr, 10);
  if (kind == "log")
    WriteLog(bytes, stdout);
  else if (kind == "nocr" || kind == "garbage" || kind == "onlycr" || kind == "nul")
    WriteFill(bytes, stdout, kind);
  else {
    std::fprintf(stderr, "unbekannte Art: %s\n", kind.c_str());
    return 2;
  }
  return std::fflush(stdout) == 0 ? 0 : 1;
}
