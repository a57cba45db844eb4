#pragma once

// The Windows side of child_process.h: the program runs with its standard output and error
// redirected into temporary files, which are read back once it has ended.
#include <windows.h>

#include "native_file.h"

namespace velunor::testing {

// Other users and file-size limits have no counterpart here: the tests that need them are Linux's.
struct ChildSetup {
  std::string WorkingDirectory{};  // empty: the test's own
};

inline HANDLE CaptureFile() {
  wchar_t folder[MAX_PATH + 1];
  wchar_t name[MAX_PATH + 1];
  ::GetTempPathW(MAX_PATH + 1, folder);
  ::GetTempFileNameW(folder, L"vel", 0, name);
  SECURITY_ATTRIBUTES inherited{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
  return ::CreateFileW(name, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                       &inherited, CREATE_ALWAYS,
                       FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
}

inline std::string ReadBackAndClose(HANDLE file) {
  std::string text;
  char chunk[4096];
  ::SetFilePointer(file, 0, nullptr, FILE_BEGIN);
  for (DWORD got = 0; ::ReadFile(file, chunk, sizeof chunk, &got, nullptr) && got > 0;)
    text.append(chunk, got);
  ::CloseHandle(file);
  return text;
}

inline ChildResult RunChild(const std::string& program, const std::vector<std::string>& arguments,
                            const ChildSetup& setup = {}) {
  ChildResult result;
  // Each word quoted for the C runtime to split the line again: the tests' words hold no quote and
  // end in no backslash, which would need escaping.
  std::wstring line = L"\"" + WideText(program) + L"\"";
  for (const std::string& word : arguments) line += L" \"" + WideText(word) + L"\"";
  const HANDLE out = CaptureFile();
  const HANDLE err = CaptureFile();
  STARTUPINFOW start{};
  start.cb = sizeof start;
  start.dwFlags = STARTF_USESTDHANDLES;
  start.hStdInput = ::GetStdHandle(STD_INPUT_HANDLE);
  start.hStdOutput = out;
  start.hStdError = err;
  PROCESS_INFORMATION child{};
  const std::wstring folder = WideText(setup.WorkingDirectory);
  if (::CreateProcessW(nullptr, line.data(), nullptr, nullptr, TRUE, 0, nullptr,
                       folder.empty() ? nullptr : folder.c_str(), &start, &child)) {
    ::WaitForSingleObject(child.hProcess, INFINITE);
    DWORD status = 0;
    ::GetExitCodeProcess(child.hProcess, &status);
    result.ExitStatus = static_cast<int>(status);
    ::CloseHandle(child.hThread);
    ::CloseHandle(child.hProcess);
  } else {
    result.ExitStatus = 127;
  }
  result.Out = ReadBackAndClose(out);
  result.Err = ReadBackAndClose(err);
  return result;
}

}  // namespace velunor::testing
