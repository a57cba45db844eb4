// The file button's click: choosing the log and the CSV file, the conversion run in the locked
// window, the closing summary, and the tool's one error handler.
#include <QCoreApplication>
#include <QPushButton>
#include <string>

#include "duration_labels.h"
#include "form1.h"
#include "log_name.h"
#include "message_box.h"
#include "run_conversion.h"

namespace velunor {
namespace {

constexpr long kOpenFlags =
    dialog_flag::kHideReadOnly | dialog_flag::kFileMustExist | dialog_flag::kLongNames;  // 0x201004
constexpr long kAppendSaveFlags = dialog_flag::kPathMustExist | dialog_flag::kNoReadOnlyReturn |
                                  dialog_flag::kLongNames;                            // 0x208800
constexpr long kReplaceSaveFlags = kAppendSaveFlags | dialog_flag::kOverwritePrompt;  // 0x208802

QString FromUtf8(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// A message with the application's own title and no icon.
void ShowPlainMessage(QWidget* parent, std::string_view text) {
  ShowMessage(parent, QMessageBox::NoIcon, QCoreApplication::applicationName(), FromUtf8(text));
}

}  // namespace

void Form1::Command1_Click() {
  try {
    CommonDialog1.CancelError = true;
    CommonDialog1.Flags = kOpenFlags;
    // The first open dialog of a program run starts in the working folder, each later one where
    // the last log was chosen.
    CommonDialog1.FileName = lastLogFolder_ + std::string(kLogNamePattern);
    CommonDialog1.ShowOpen();
    CommonDialog2.CancelError = true;

    const std::string InputPath = CommonDialog1.FileName;
    lastLogFolder_ = InputPath.substr(0, InputPath.rfind('/') + 1);
    if (!IsAcceptedLogName(InputPath)) {
      SetProgress(0);
      Command1->setText(QStringLiteral("Datei..."));
      ShowPlainMessage(this, kRefusedNameText);
      return;
    }

    const RunOptions options = ReadRunOptions();
    const std::string OutputBase = OutputBaseOf(InputPath);
    std::string OutputPath;
    if (options.SplitMinutes == 0) {
      CommonDialog2.Flags = options.Append ? kAppendSaveFlags : kReplaceSaveFlags;
      CommonDialog2.FileName = OutputBase + ".CSV";
      CommonDialog2.ShowSave();
      OutputPath = CommonDialog2.FileName;
    } else {
      // A split run names its first slice itself and replaces a file of that name.
      OutputPath = OutputBase + FormatSliceSuffix(0) + ".CSV";
    }

    LockForRun();
    const RunTotals totals = RunConversion(InputPath, OutputPath, OutputBase, options, *this);
    UnlockAfterRun();
    ShowPlainMessage(this, SummaryText(totals));
  } catch (const RunTimeError& error) {
    Command1_Click_Error(error);
  }
}

void Form1::Command1_Click_Error(const RunTimeError& error) {
  if (error.Number() == error_number::kCancel) {
    // A cancelled dialog leaves the window as it was. A window closed during the run has already
    // gone; the run's files were closed on the way here.
    if (closedDuringRun_) EndProgram(0);
    return;
  }
  // The run's files were closed on the way here, with what was written; the window stays locked
  // until the program ends.
  ShowMessage(this, QMessageBox::Critical,
              QStringLiteral("Es ist ein Fehler aufgetreten - Programm-Ende:"),
              FromUtf8(ErrorText(error)));
  EndProgram(1);
}

}  // namespace velunor
