#include "rejected_report.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cstdlib>

#include "file_errors.h"
#include "standard_output.h"

namespace velunor {
namespace {

// A faulty line always belongs to a channel that is looked at, named by its second byte.
std::string_view RequiredLengths(char channel) {
  switch (channel) {
    case '4':
      return "55 oder 63";
    case '6':
    case '7':
    case '8':
      return "31";
    default:
      return "55";
  }
}

void AppendNumber(std::string& text, std::int64_t number) {
  char digits[24];
  const auto result = std::to_chars(digits, digits + sizeof digits, number);
  text.append(digits, result.ptr);
}

// A name holding the separator, a quote or a line end is quoted, its quotes doubled.
std::string CsvCell(std::string_view text) {
  if (text.find_first_of(";\"\r\n") == std::string_view::npos) return std::string(text);
  std::string cell = "\"";
  for (const char c : text) {
    cell += c;
    if (c == '"') cell += '"';
  }
  return cell + "\"";
}

int OpenTemporaryFile() {
  const char* folder = std::getenv("TMPDIR");
  std::string name = std::string(folder != nullptr && *folder != '\0' ? folder : "/tmp") +
                     "/velunor-rejected-XXXXXX";
  const int fd = ::mkostemp(name.data(), O_CLOEXEC);
  if (fd < 0) throw OpenError(errno, name);
  ::unlink(name.c_str());  // gone with the descriptor, whatever ends the program
  return fd;
}

}  // namespace

std::string RejectedReportHeader(bool withFileColumn) {
  return std::string(withFileColumn ? "Datei;" : "") + "Zeile;Kanal;L\xE4nge;erwartet\r\n";
}

bool RejectedReportOnStandardOutput(const std::string& path) {
  return path == "-" || IsStandardOutput(path);
}

int OpenRejectedReport(const std::string& path) {
  if (RejectedReportOnStandardOutput(path)) return STDOUT_FILENO;
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (fd < 0) throw OpenError(errno, path);
  return fd;
}

void CloseRejectedReport(int fd) {
  if (fd != STDOUT_FILENO && ::close(fd) != 0 && errno != EINTR) throw TransferError(errno);
}

RejectedRows::RejectedRows(std::string_view logName, int destination)
    : firstColumn_(logName.empty() ? "" : CsvCell(logName) + ";"),
      fd_(destination),
      ownsFd_(destination < 0) {}

RejectedRows::~RejectedRows() {
  if (ownsFd_ && fd_ >= 0) ::close(fd_);
}

void RejectedRows::Rejected(std::int64_t lineNumber, std::string_view head, std::int64_t length) {
  buffer_ += firstColumn_;
  AppendNumber(buffer_, lineNumber);
  buffer_ += ';';
  buffer_.append(head.substr(0, 2));
  buffer_ += ';';
  AppendNumber(buffer_, length);
  buffer_ += ';';
  buffer_ += RequiredLengths(head[1]);
  buffer_ += "\r\n";
  if (buffer_.size() >= kBufferSize) Flush();
}

void RejectedRows::Flush() {
  if (buffer_.empty()) return;
  if (fd_ < 0) fd_ = OpenTemporaryFile();
  WriteAll(fd_, buffer_);
  buffer_.clear();
}

void RejectedRows::CopyTo(int fd) {
  if (fd_ >= 0) {  // the rows that went to the temporary file, then those still buffered
    if (::lseek(fd_, 0, SEEK_SET) != 0) throw TransferError(errno);
    std::string chunk(std::size_t{64} << 10, '\0');
    for (;;) {
      const ssize_t got = ::read(fd_, chunk.data(), chunk.size());
      if (got < 0 && errno == EINTR) continue;
      if (got < 0) throw TransferError(errno);
      if (got == 0) break;
      WriteAll(fd, std::string_view(chunk.data(), static_cast<std::size_t>(got)));
    }
  }
  WriteAll(fd, buffer_);
  buffer_.clear();
}

}  // namespace velunor
