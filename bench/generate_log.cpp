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

namespace {

class Random {
 public:
  std::uint32_t Next() {
    state_ = state_ * 6364136223846793005ULL + 1442695040888963407ULL;
    return static_cast<std::uint32_t>(state_ >> 33);
  }
  std::uint32_t Below(std::uint32_t n) { return Next() % n; }

 private:
  std::uint64_t state_ = 0x5eed;
};

// Fills a record to `length` with semicolon-separated measured values after its prefix.
std::string Record(Random& random, const std::string& prefix, std::size_t length) {
  std::string line = prefix;
  while (line.size() < length) {
    char field[16];
    std::snprintf(field, sizeof field, "%+07.2f;",
                  (static_cast<int>(random.Below(200000)) - 100000) / 100.0);
    line += field;
  }
  line.resize(length);
  return line;
}

std::string LogLine(Random& random, std::uint64_t tick) {
  static const char* const kNearMisses[] = {"$9;1;;", "$0;1;;", "$1;2;;", "$1,1;;",
                                            "$1;1:;", "S7;1;;", "%1;1;;"};
  const std::uint32_t roll = random.Below(1000);
  if (roll < 4) return Record(random, kNearMisses[random.Below(7)], 55);  // near-miss prefix
  if (roll < 8)
    return Record(random, "$" + std::to_string(1 + random.Below(5)) + ";1;;",
                  54 + random.Below(3) * 2);  // faulty length
  if (roll < 10) return "";
  switch (tick % 8) {
    case 0:
      return Record(random, "$1;1;;", 55);
    case 1:
      return Record(random, "$2;1;;", 55);
    case 2:
      return Record(random, "$3;1;;", 55);
    case 3:
      return Record(random, "$4;1;;", random.Below(2) ? 55 : 63);
    case 4:
      return Record(random, "$5;1;;", 55);
    case 5:
      return Record(random, "$6;1;;", 31);
    case 6:
      return Record(random,
                    random.Below(2) ? "\xA7"
                                      "7;1;;"
                                    : "$7;1;;",
                    roll < 20 ? 40 : 31);
    default:
      return Record(random,
                    random.Below(2) ? "\xA7"
                                      "8;1;;"
                                    : "$8;1;;",
                    31);
  }
}

void WriteLog(std::uint64_t bytes, std::FILE* out) {
  Random random;
  std::string text = "Quorix Datenlog;Kanal;Status;Werte\r\n";
  std::uint64_t written = 0;
  for (std::uint64_t tick = 0; written < bytes; ++tick) {
    text += LogLine(random, tick);
    text += random.Below(50) == 0 ? "\r" : "\r\n";  // the device sometimes omits the line feed
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
