#include "line_reader.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

namespace velunor {
namespace {

class MemorySource : public ByteSource {
 public:
  explicit MemorySource(std::string bytes) : bytes_(std::move(bytes)) {}
  std::size_t Read(char* buffer, std::size_t capacity) override {
    const std::size_t n = std::min(capacity, bytes_.size() - pos_);
    std::memcpy(buffer, bytes_.data() + pos_, n);
    pos_ += n;
    return n;
  }

 private:
  std::string bytes_;
  std::size_t pos_ = 0;
};

struct Read {
  std::string Head;
  std::int64_t Length;
  bool operator==(const Read&) const = default;
};

std::vector<Read> ReadAll(const std::string& bytes, std::size_t blockSize) {
  MemorySource source(bytes);
  LineReader reader(source, blockSize);
  std::vector<Read> lines;
  LineView line;
  while (reader.Next(line)) {
    // A run of empty lines may come as one view.
    for (std::int64_t i = 0; i < line.Lines; ++i)
      lines.push_back({std::string(line.Head), line.Length});
  }
  return lines;
}

struct Case {
  const char* Name;
  std::string Bytes;
  std::vector<Read> Lines;
};

TEST(LineReader, SplitsAtCarriageReturnsAcrossEveryBlockBoundary) {
  const Case cases[] = {
      {"empty", "", {}},
      {"crlf", "ab\r\ncd\r\n", {{"ab", 2}, {"cd", 2}}},
      {"cr only", "ab\rcd\r", {{"ab", 2}, {"cd", 2}}},
      {"no final terminator", "ab\r\ncd", {{"ab", 2}, {"cd", 2}}},
      {"final cr", "ab\r", {{"ab", 2}}},
      {"lone lf is a character", "a\nb\r\n\nc\r", {{"a\nb", 3}, {"\nc", 2}}},
      {"lf only file", "a\nb\n", {{"a\nb\n", 4}}},
      {"empty lines", "\r\n\r\r\n", {{"", 0}, {"", 0}, {"", 0}}},
      {"cr cr lf", "x\r\r\n", {{"x", 1}, {"", 0}}},
      {"only lf", "\n", {{"\n", 1}}},
      {"runs of empty lines",  // taken sixty-four or eight bytes at a time where possible
       "a\r" + std::string(64, '\r') + "\n" + std::string(8, '\r') + "\n" + std::string(150, '\r') +
           [] {
             std::string pairs;
             for (int i = 0; i < 40; ++i) pairs += "\r\n";
             return pairs;
           }() +
           "\r\r\n\n",
       [] {
         std::vector<Read> lines{{"a", 1}};
         lines.resize(1 + 64 + 8 + 150 + 40 + 2, {"", 0});
         lines.push_back({"\n", 1});
         return lines;
       }()},
      {"nul bytes",
       std::string("a\0b\r\0", 5),
       {{std::string("a\0b", 3), 3}, {std::string("\0", 1), 1}}}};
  for (const Case& c : cases) {
    for (std::size_t block : {1, 2, 3, 7, 64, 1 << 20}) {
      EXPECT_EQ(ReadAll(c.Bytes, block), c.Lines) << c.Name << ", block " << block;
    }
  }
}

TEST(LineReader, LongLineKeepsOnlyItsHeadButCountsEveryByte) {
  const std::string longLine = "$1;1;;" + std::string(100000, 'x');
  for (std::size_t block : {1, 7, 4096, 1 << 20}) {
    const std::vector<Read> lines = ReadAll(longLine + "\r\n$2\r", block);
    ASSERT_EQ(lines.size(), 2u) << block;
    EXPECT_EQ(lines[0].Length, static_cast<std::int64_t>(longLine.size()));
    EXPECT_GE(lines[0].Head.size(), std::min<std::size_t>(64, longLine.size()));
    EXPECT_EQ(lines[0].Head, longLine.substr(0, lines[0].Head.size()));
    EXPECT_EQ(lines[1], (Read{"$2", 2}));
  }
}

}  // namespace
}  // namespace velunor
