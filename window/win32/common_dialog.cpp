#include "common_dialog.h"

#include <commdlg.h>

#include <cstdio>
#include <string>
#include <vector>

#include "run_time_error.h"
#include "wide_text.h"

namespace velunor {
namespace {

// The longest path Windows can name.
constexpr std::size_t kPathCapacity = 32768;

// The working folder, where the first open dialog starts.
std::wstring WorkingFolder() {
  std::wstring folder(kPathCapacity, L'\0');
  const DWORD length = ::GetCurrentDirectoryW(static_cast<DWORD>(folder.size()), folder.data());
  folder.resize(length < folder.size() ? length : 0);
  return folder;
}

// "Log-Dateien (*.Log)|*.Log" as the dialog takes it: every part ended by a null character, the
// list by one more.
std::wstring DialogFilter(const std::string& filter) {
  std::wstring wide = Utf16(filter);
  for (wchar_t& c : wide) {
    if (c == L'|') c = L'\0';
  }
  if (!wide.empty()) wide += L'\0';
  return wide;
}

}  // namespace

void CommonDialog::Show(bool save) {
  // The proposed name: its folder is where the dialog opens (the working folder when it has
  // none), the rest is put into the name field, where a wildcard filters the list.
  const std::wstring proposed = Utf16(FileName);
  const std::size_t cut = proposed.find_last_of(L"\\/");
  const std::wstring folder =
      cut == std::wstring::npos ? WorkingFolder() : proposed.substr(0, cut + 1);
  const std::wstring name = cut == std::wstring::npos ? proposed : proposed.substr(cut + 1);
  std::vector<wchar_t> file(kPathCapacity, L'\0');
  name.copy(file.data(), std::min(name.size(), file.size() - 1));
  const std::wstring filter = DialogFilter(Filter);
  const std::wstring title = Utf16(DialogTitle);

  OPENFILENAMEW dialog{};
  dialog.lStructSize = sizeof dialog;
  dialog.hwndOwner = owner_;
  dialog.lpstrFilter = filter.empty() ? nullptr : filter.c_str();
  dialog.nFilterIndex = 1;
  dialog.lpstrFile = file.data();
  dialog.nMaxFile = static_cast<DWORD>(file.size());
  dialog.lpstrInitialDir = folder.c_str();
  dialog.lpstrTitle = title.c_str();
  dialog.Flags = static_cast<DWORD>(Flags) | OFN_NOCHANGEDIR | OFN_DONTADDTORECENT;

  const BOOL chosen = save ? ::GetSaveFileNameW(&dialog) : ::GetOpenFileNameW(&dialog);
  if (chosen) {
    FileName = Utf8(file.data());
    return;
  }
  if (const DWORD failure = ::CommDlgExtendedError(); failure != 0) {
    // Not a cancel: the dialog could not be shown, or could not hand over the name.
    char number[16];
    std::snprintf(number, sizeof number, "%#lx", static_cast<unsigned long>(failure));
    throw RunTimeError(5, std::string("Der Dateidialog ist gescheitert (Fehler ") + number + ")");
  }
  if (CancelError) throw RunTimeError(error_number::kCancel);
}

}  // namespace velunor
