#include "rejected_report.h"

#include <cerrno>
#include <charconv>

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

}  // namespace

std::string RejectedReportHeader(bool withFileColumn) {
  return std::string(withFileColumn ? "Datei;" : "") + "Zeile;Kanal;L\xE4nge;erwartet\r\n";
}

bool RejectedReportOnStandardOutput(const std::string& path) {
  return path == "-" || IsStandardOutput(path);
}

NativeHandle OpenRejectedReport(const std::string& path) {
  if (RejectedReportOnStandardOutput(path)) return HandleOfDescriptor(1);
  const NativeHandle report = OpenForWriting(path, false);
  if (!Truncate(report, 0)) {
    const int error = LastSystemError();
    CloseFile(report);
    throw TransferError(error);
  }
  return report;
}

void CloseRejectedReport(NativeHandle report) {
  if (report != HandleOfDescriptor(1) && !CloseFile(report)) throw TransferError(LastSystemError());
}

RejectedRows::RejectedRows(std::string_view logName, NativeHandle destination)
    : firstColumn_(logName.empty() ? "" : CsvCell(logName) + ";"), destination_(destination) {}

RejectedRows::~RejectedRows() {
  if (kept_ != nullptr) std::fclose(kept_);
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
  if (destination_ != kNoHandle) {
    WriteAll(destination_, buffer_);
  } else {
    // Removed by the C library when closed, whatever ends the program.
    if (kept_ == nullptr && (kept_ = std::tmpfile()) == nullptr) throw TransferError(errno);
    if (std::fwrite(buffer_.data(), 1, buffer_.size(), kept_) != buffer_.size())
      throw TransferError(errno);
  }
  buffer_.clear();
}

void RejectedRows::CopyTo(NativeHandle report) {
  if (kept_ != nullptr) {
    Flush();
    if (std::fflush(kept_) != 0) throw TransferError(errno);
    std::rewind(kept_);
    std::string chunk(std::size_t{64} << 10, '\0');
    while (const std::size_t got = std::fread(chunk.data(), 1, chunk.size(), kept_))
      WriteAll(report, std::string_view(chunk.data(), got));
    if (std::ferror(kept_) != 0) throw TransferError(EIO);
  }
  WriteAll(report, buffer_);
  buffer_.clear();
}

}  // namespace velunor
