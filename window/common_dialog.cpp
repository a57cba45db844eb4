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
class FileDialog : public QFileDialog {
 public:
  FileDialog(QWidget* parent, const QString& title, long flags)
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

 protected:
  void accept() override {
    const QString typed = NameEdit()->text();
    if (HasWildcard(typed)) {
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

}  // namespace

void CommonDialog::ShowOpen() {
  Show(false);
}

void CommonDialog::ShowSave() {
  Show(true);
}

void CommonDialog::Show(bool save) {
  FileDialog dialog(parent_, DialogTitle, Flags);
  dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
  dialog.setFileMode(!save && (Flags & dialog_flag::kFileMustExist) ? QFileDialog::ExistingFile
                                                                    : QFileDialog::AnyFile);
  dialog.setOption(QFileDialog::DontConfirmOverwrite,
                   !save || !(Flags & dialog_flag::kOverwritePrompt));
  const QStringList filters = QtNameFilters(Filter);
  if (!filters.isEmpty()) dialog.setNameFilters(filters);

  // The proposed name: its folder is where the dialog opens (the working directory when it has
  // none or when that folder is gone), a wildcard filters the list.
  const QString name = QFile::decodeName(QByteArray::fromStdString(FileName));
  QString folder = QDir::currentPath();
  QString proposed = name;
  if (name.contains(u'/')) {
    const QFileInfo path(name);
    if (path.absoluteDir().exists()) folder = path.absolutePath();
    proposed = path.fileName();
  }
  dialog.setDirectory(folder);
  if (HasWildcard(proposed)) dialog.ApplyWildcard(proposed);
  if (!proposed.isEmpty()) dialog.selectFile(proposed);

  if (dialog.exec() == QDialog::Accepted) {
    FileName = QFile::encodeName(dialog.selectedFiles().constFirst()).toStdString();
  } else if (CancelError) {
    throw RunTimeError(error_number::kCancel);
  }
}

}  // namespace velunor
