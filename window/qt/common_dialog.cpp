#include "common_dialog.h"

#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpression>
#include <QSettings>

#include <filesystem>
#include <string>
#include <system_error>
#include <utility>

#ifdef __linux__
#include <fcntl.h>
#include <unistd.h>
#endif

#include "run_time_error.h"

namespace velunor {
namespace {

bool HasWildcard(const QString& name) {
  return name.contains(u'*') || name.contains(u'?');
}

// "Log-Dateien (*.Log)|*.Log" becomes "Log-Dateien (*.Log) (*.Log)": Qt takes the patterns from
// the last parentheses, and with HideNameFilterDetails it shows only the description before them.
QStringList QtNameFilters(const QString& filter) {
  const QStringList parts = filter.split(u'|');
  QStringList filters;
  for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
    QString patterns = parts[i + 1];
    patterns.replace(u';', u' ');
    filters << parts[i] + QStringLiteral(" (") + patterns.simplified() + u')';
  }
  return filters;
}

// A read-only file is one whose mode grants nobody the right to write: that is what the file
// system keeps in place of a read-only attribute, and it holds for root as well, whom the kernel
// lets write anyway. A file we are not allowed to write, and a new file in a folder we cannot
// write to (a read-only medium, for example), are refused as well, since the run could not
// create them.
bool IsReadOnly(const QFileInfo& file) {
  if (!file.exists()) return !QFileInfo(file.absolutePath()).isWritable();
  constexpr auto kAnyWrite =
      QFileDevice::WriteOwner | QFileDevice::WriteGroup | QFileDevice::WriteOther;
  return !(file.permissions() & kAnyWrite) || !file.isWritable();
}

// Qt's file dialog, with the classic dialog's rules for wildcard names and for the flags that Qt
// does not check itself.
class QtFileDialog : public QFileDialog {
 public:
  QtFileDialog(QWidget* parent, const QString& title, long flags)
      : QFileDialog(parent, title), flags_(flags) {
    // Widget-based first, so that the widgets exist for everything that follows.
    setOption(DontUseNativeDialog);
    setOption(HideNameFilterDetails);
    setFilter(filter() & ~QDir::CaseSensitive);
    // Qt keeps the OK button disabled while the name cannot be opened; a wildcard can always be
    // confirmed, to filter the list.
    connect(NameEdit(), &QLineEdit::textChanged, this, [this](const QString& text) {
      QPushButton* ok = OkButton();
      if (ok && HasWildcard(text)) ok->setEnabled(true);
    });
  }

  // Lists only the names that match wildcard (patterns separated by ";"), whatever their case.
  // A folder in front of the wildcard is opened first.
  void ApplyWildcard(const QString& wildcard) {
    QString name = wildcard;
    if (wildcard.contains(u'/')) {
      const QFileInfo typed(QDir(directory()), wildcard);
      setDirectory(typed.absolutePath());
      name = typed.fileName();
      NameEdit()->setText(name);
    }
    findChild<QFileSystemModel*>(QStringLiteral("qt_filesystem_model"))
        ->setNameFilters(name.split(u';', Qt::SkipEmptyParts));
  }

  // A name that holds a wildcard but is the name of a file is that file: one the folder holds, or
  // the one proposed for saving.
  QString LiteralName;

 protected:
  void accept() override {
    const QString typed = NameEdit()->text();
    if (HasWildcard(typed) && typed != LiteralName &&
        !QFileInfo(QDir(directory()), typed).isFile()) {
      ApplyWildcard(typed);
      return;
    }
    const QStringList files = selectedFiles();
    if (!files.isEmpty() && !typed.isEmpty()) {
      const QFileInfo chosen(files.first());
      if (!chosen.isDir() && !Allowed(chosen)) return;
    }
    QFileDialog::accept();
  }

 private:
  QLineEdit* NameEdit() const { return findChild<QLineEdit*>(QStringLiteral("fileNameEdit")); }

  QPushButton* OkButton() const {
    auto* buttons = findChild<QDialogButtonBox*>(QStringLiteral("buttonBox"));
    return buttons->button(acceptMode() == AcceptOpen ? QDialogButtonBox::Open
                                                      : QDialogButtonBox::Save);
  }

  // The checks Qt leaves to us; a refusal is explained and the dialog stays open for another
  // choice. A missing file (open) and the question before replacing (save) are Qt's own.
  bool Allowed(const QFileInfo& chosen) {
    if ((flags_ & dialog_flag::kPathMustExist) && !chosen.absoluteDir().exists()) {
      Refuse(QString::fromUtf8("%1\nDer Pfad existiert nicht.\n"
                               "Überprüfen Sie, ob der richtige Pfad angegeben wurde.")
                 .arg(QDir::toNativeSeparators(chosen.absolutePath())));
      return false;
    }
    if ((flags_ & dialog_flag::kNoReadOnlyReturn) && IsReadOnly(chosen)) {
      const char* text = chosen.exists() ? "%1\nDie Datei ist schreibgeschützt.\n"
                                           "Verwenden Sie einen anderen Dateinamen."
                                         : "%1\nDer Ordner ist schreibgeschützt.\n"
                                           "Wählen Sie einen anderen Ordner.";
      Refuse(QString::fromUtf8(text).arg(chosen.fileName()));
      return false;
    }
    return true;
  }

  void Refuse(const QString& text) { QMessageBox::warning(this, windowTitle(), text); }

  long flags_;
};

// The dialogs' own state (folder history, sidebar, column widths, view) for this program run. Qt
// would keep it in the user's settings between program starts, and this tool keeps nothing:
// Qt's settings are sent to a folder that can never exist, so they are neither read nor written.
QByteArray& DialogState() {
  static QByteArray state = [] {
    for (const auto scope : {QSettings::UserScope, QSettings::SystemScope}) {
      QSettings::setPath(QSettings::NativeFormat, scope, QStringLiteral("/dev/null"));
    }
    return QByteArray();
  }();
  return state;
}

// The working folder as the file system names it; the home folder when it is gone.
std::string WorkingFolder() {
  std::error_code error;
  const std::string folder = std::filesystem::current_path(error).string();
  return error ? QFile::encodeName(QDir::homePath()).toStdString() : folder;
}

// A folder as the dialog shows it. Qt names files by Unicode text and cannot reach a folder whose
// name is not valid UTF-8 (a Latin-1 "M\xe4rz", say); the dialog shows such a folder under the
// name of an open handle to it, /proc/self/fd/N, and a name chosen there is mapped back to the
// folder's own bytes.
class ShownFolder {
 public:
  explicit ShownFolder(std::string bytes) : bytes_(std::move(bytes)) {
    shown_ = QFile::decodeName(QByteArray::fromStdString(bytes_));
#ifdef __linux__
    if (QFile::encodeName(shown_).toStdString() != bytes_) {
      handle_ = ::open(bytes_.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
      if (handle_ >= 0) shown_ = QStringLiteral("/proc/self/fd/%1").arg(handle_);
    }
#endif
  }
  ~ShownFolder() {
#ifdef __linux__
    if (handle_ >= 0) ::close(handle_);
#endif
  }
  ShownFolder(const ShownFolder&) = delete;
  ShownFolder& operator=(const ShownFolder&) = delete;

  const QString& Path() const {
    return shown_;
  }

  // The bytes of a path the dialog has chosen: in the folder, the folder's own.
  std::string Bytes(const QString& chosen) const {
    if (chosen.startsWith(shown_ + u'/')) {
      return bytes_ + QFile::encodeName(chosen.mid(shown_.size())).toStdString();
    }
    return QFile::encodeName(chosen).toStdString();
  }

 private:
  std::string bytes_;
  QString shown_;
  int handle_ = -1;
};

}  // namespace

void CommonDialog::Show(bool save) {
  QByteArray& state = DialogState();
  QtFileDialog dialog(parent_, QString::fromStdString(DialogTitle), Flags);
  if (!state.isEmpty()) dialog.restoreState(state);
  dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
  dialog.setFileMode(!save && (Flags & dialog_flag::kFileMustExist) ? QFileDialog::ExistingFile
                                                                    : QFileDialog::AnyFile);
  dialog.setOption(QFileDialog::DontConfirmOverwrite,
                   !save || !(Flags & dialog_flag::kOverwritePrompt));
  const QStringList filters = QtNameFilters(QString::fromStdString(Filter));
  if (!filters.isEmpty()) dialog.setNameFilters(filters);

  // The proposed name: its folder is where the dialog opens (the working folder when it has none
  // or when that folder is gone). A name proposed for saving is the name of the file to write; a
  // wildcard in one proposed for opening filters the list.
  const std::filesystem::path path(FileName);
  std::string folder = path.parent_path().string();
  std::error_code error;
  if (!std::filesystem::is_directory(folder, error)) folder = WorkingFolder();
  const ShownFolder shown(folder);
  const QString proposed = QFile::decodeName(QByteArray::fromStdString(path.filename().string()));
  dialog.setDirectory(shown.Path());
  if (save) {
    dialog.LiteralName = proposed;
  } else if (HasWildcard(proposed)) {
    dialog.ApplyWildcard(proposed);
  }
  if (!proposed.isEmpty()) dialog.selectFile(proposed);

  const bool chosen = dialog.exec() == QDialog::Accepted;
  state = dialog.saveState();
  if (chosen) {
    FileName = shown.Bytes(dialog.selectedFiles().constFirst());
  } else if (CancelError) {
    throw RunTimeError(error_number::kCancel);
  }
}

}  // namespace velunor
