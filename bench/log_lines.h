#pragma once

// The lines of a synthetic log: records of every channel in the device's order, with a few
// faulty lengths, near-miss prefixes and empty lines. Deterministic: the same sequence of calls
// always gives the same lines. Used by velunor-genlog and by the per-line benchmark.
#include <cstdint>
#include <cstdio>
#include <string>

namespace velunor::bench {

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
inline std::string Record(Random& random, const std::string& prefix, std::size_t length) {
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

inline std::string LogLine(Random& random, std::uint64_t tick) {
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

// Appends the line for time step `tick` and its terminator.
inline void AppendLogLine(std::string& text, Random& random, std::uint64_t tick) {
  text += LogLine(random, tick);
  text += random.Below(50) == 0 ? "\r" : "\r\n";  // the device sometimes omits the line feed
}

}  // namespace velunor::bench
