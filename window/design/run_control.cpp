// The file button's click: choosing the log and the CSV file, the conversion run in the locked
// window, the closing summary, and the tool's one error handler.
#include <string>

#include "duration_labels.h"
#include "form1_base.h"
#include "log_name.h"
#include "run_conversion.h"

namespace velunor {
namespace {

constexpr long kOpenFlags =
    dialog_flag::kHideReadOnly | dialog_flag::kFileMustExist | dialog_flag::kLongNames;  // 0x201004
constexpr long kAppendSaveFlags = dialog_flag::kPathMustExist | dialog_flag::kNoReadOnlyReturn |
                                  dialog_flag::kLongNames;                            // 0x208800
constexpr long kReplaceSaveFlags = kAppendSaveFlags | dialog_flag::kOverwritePrompt;  // 0x208802

// Where a chosen path's folder ends. Windows takes either slash.
#ifdef _WIN32
constexpr const char* kFolderSeparators = "\\/";
#else
constexpr const char* kFolderSeparators = "/";
#endif

}  // namespace

void Form1Base::Command1_Click() {
  try {
    FileDialog& open = CommonDialog1();
    FileDialog& save = CommonDialog2();
    open.CancelError = true;
    open.Flags = kOpenFlags;
    // The first open dialog of a program run starts in the working folder, each later one where
    // the last log was chosen.
    open.FileName = lastLogFolder_ + std::string(kLogNamePattern);
    open.ShowOpen();
    save.CancelError = true;

    const std::string InputPath = open.FileName;
    lastLogFolder_ = InputPath.substr(0, InputPath.find_last_of(kFolderSeparators) + 1);
    if (!IsAcceptedLogName(InputPath)) {
      SetProgress(0);
      SetText(design::Control::Command1, design::kCommand1PlainCaption);
      ShowMessage(MessageKind::Plain, design::kApplicationTitle, kRefusedNameText);
      return;
    }

    const RunOptions options = ReadRunOptions();
    const std::string OutputBase = OutputBaseOf(InputPath);
    std::string OutputPath;
    if (options.SplitMinutes == 0) {
      save.Flags = options.Append ? kAppendSaveFlags : kReplaceSaveFlags;
      save.FileName = OutputBase + ".CSV";
      save.ShowSave();
      OutputPath = save.FileName;
    } else {
      // A split run names its first slice itself and replaces a file of that name.
      OutputPath = OutputBase + FormatSliceSuffix(0) + ".CSV";
    }

    LockForRun();
    running_ = true;
    const RunTotals totals = RunConversion(InputPath, OutputPath, OutputBase, options, *this);
    running_ = false;
    UnlockAfterRun();
    ShowMessage(MessageKind::Plain, design::kApplicationTitle, SummaryText(totals));
  } catch (const RunTimeError& error) {
    running_ = false;
    Command1_Click_Error(error);
  }
}

void Form1Base::Command1_Click_Error(const RunTimeError& error) {
  if (error.Number() == error_number::kCancel) {
    // A cancelled dialog leaves the window as it was. A window closed during the run has already
    // gone; the run's files were closed on the way here.
    if (closedDuringRun_) EndProgram(0);
    return;
  }
  // The run's files were closed on the way here, with what was written; the window stays locked
  // until the program ends.
  ShowMessage(MessageKind::Critical, design::kFatalTitle, ErrorText(error));
  EndProgram(1);
}

}  // namespace velunor
