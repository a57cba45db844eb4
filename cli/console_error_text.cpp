#include "console_error_text.h"

#ifdef _WIN32
#include <windows.h>

#include <iostream>
#include <streambuf>
#include <string>
#endif

namespace velunor {

#ifdef _WIN32

namespace {

// How much of `text` is whole UTF-8 characters: a character cut at the end waits for its rest.
std::size_t WholeCharacters(const std::string& text) {
  std::size_t start = text.size();
  while (start > 0 && text.size() - start < 4 &&
         (static_cast<unsigned char>(text[start - 1]) & 0xC0) == 0x80)
    --start;
  if (start == 0) return text.size();
  const unsigned char lead = static_cast<unsigned char>(text[start - 1]);
  const std::size_t length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
  return start - 1 + length > text.size() ? start - 1 : text.size();
}

class ConsoleText : public std::streambuf {
 public:
  explicit ConsoleText(HANDLE console) : console_(console) {}

 protected:
  int_type overflow(int_type c) override {
    if (!traits_type::eq_int_type(c, traits_type::eof())) pending_ += traits_type::to_char_type(c);
    return traits_type::not_eof(c);
  }

  std::streamsize xsputn(const char* text, std::streamsize count) override {
    pending_.append(text, static_cast<std::size_t>(count));
    return count;
  }

  // std::cerr flushes after every output, so each message arrives here whole.
  int sync() override {
    const std::size_t whole = WholeCharacters(pending_);
    if (whole == 0) return 0;
    const int length = static_cast<int>(whole);
    const int size = ::MultiByteToWideChar(CP_UTF8, 0, pending_.data(), length, nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(size), L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, pending_.data(), length, wide.data(), size);
    pending_.erase(0, whole);
    for (std::size_t done = 0; done < wide.size();) {
      DWORD written = 0;
      const DWORD asked = static_cast<DWORD>(std::min<std::size_t>(wide.size() - done, 8192));
      if (!::WriteConsoleW(console_, wide.data() + done, asked, &written, nullptr) || written == 0)
        return -1;
      done += written;
    }
    return 0;
  }

 private:
  HANDLE console_;
  std::string pending_;
};

}  // namespace

void WriteStandardErrorAsConsoleText() {
  const HANDLE error = ::GetStdHandle(STD_ERROR_HANDLE);
  DWORD mode = 0;
  if (error == nullptr || error == INVALID_HANDLE_VALUE || !::GetConsoleMode(error, &mode)) return;
  // Never destroyed: std::cerr is flushed once more when the program ends.
  static ConsoleText* const text = new ConsoleText(error);
  std::cerr.rdbuf(text);
}

#else

void WriteStandardErrorAsConsoleText() {}

#endif

}  // namespace velunor
