#pragma once

// The file button's click, from the dialogs to the closing message, as one table that runs
// against the window of every toolkit.
#include <filesystem>
#include <string>
#include <vector>

#include "../support/temp_dir.h"

#include "run_conversion.h"
#include "run_time_error.h"

namespace velunor::testing {

// Channel-1 records, one per second of logging time; their CSV is the same text.
inline std::string ChannelOneRecords(int count) {
  std::string records;
  for (int i = 1000; i < 1000 + count; ++i)
    records += "$1;1;;" + std::to_string(i) + std::string(45, '0') + "\r\n";
  return records;
}

// The log every case starts with, as m_DAT.LOG and x_dat.log in an otherwise empty folder.
inline std::string ClickCaseLog() {
  return ChannelOneRecords(150) + "$2;1;;faulty\r\n";
}

// Empties the folder but for the logs, both holding log_bytes.
inline void PutClickLogs(const std::filesystem::path& dir, const std::string& log_bytes) {
  std::filesystem::remove_all(dir);
  std::filesystem::create_directory(dir);
  for (const char* name : {"m_DAT.LOG", "x_dat.log"}) WriteFile(dir / name, log_bytes);
}

// What the user does in each modal window the click opens, in turn.
enum class Step {
  ChooseLog,           // open dialog: m_DAT.LOG
  ChooseLowerCaseLog,  // open dialog: x_dat.log
  SaveAsked,           // save dialog: the proposed name, asked before replacing it: yes
  SaveUnasked,         // save dialog: the proposed name, without a question
  SaveOverLog,         // save dialog: m_DAT.LOG itself, without a question
  Cancel,              // the dialog closed
  Message,             // the message confirmed
};

struct ClickCase {
  bool Append;
  int Split;  // minutes
  std::vector<Step> Steps;
  std::string File;    // the output file looked at
  std::string Before;  // its contents before the click ("": none)
  std::string After;   // and after it ("": none)
  std::string Text;    // the message shown ("": none)
  int Bar;             // the progress bar afterwards; 37 before the click
  int End;             // the program's exit status (0: it goes on)
};

inline std::vector<ClickCase> ClickCases() {
  using enum Step;
  const std::string all = ChannelOneRecords(150), first60 = ChannelOneRecords(60), old = "old\r\n";
  const std::string sum = " 8 KB von 8 KB geschrieben, 1 Zeile(n) mit Fehler ausgelassen.",
                    refused = "Dateiname ungültig...", fatal = ErrorText(RunTimeError(55));
  return {
      {false, 0, {ChooseLog, SaveAsked, Message}, "m.CSV", old, all, sum, 100, 0},
      {true, 0, {ChooseLog, SaveUnasked, Message}, "m.CSV", old, old + all, sum, 100, 0},
      {false, 1, {ChooseLog, Message}, "m_00d00h00m.CSV", all + all, first60, sum, 100, 0},
      {false, 0, {ChooseLowerCaseLog, Message}, "m.CSV", "", "", refused, 0, 0},
      {false, 0, {Cancel}, "m.CSV", "", "", "", 37, 0},
      {true, 0, {ChooseLog, Cancel}, "m.CSV", "", "", "", 37, 0},
      // Appending to the log itself: the run refuses to write the file it reads.
      {true, 0, {ChooseLog, SaveOverLog, Message}, "m.CSV", "", "", fatal, 37, 1},
  };
}

}  // namespace velunor::testing
