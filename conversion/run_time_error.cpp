#include "run_time_error.h"

#include "number_text.h"

namespace velunor {

std::string DescriptionOf(std::int32_t number) {
  switch (number) {
    case error_number::kOverflow:
      return "Überlauf";
    case error_number::kFileNotFound:
      return "Datei nicht gefunden";
    case error_number::kFileAlreadyOpen:
      return "Datei bereits geöffnet";
    case error_number::kDeviceIo:
      return "Geräte-E/A-Fehler";
    case error_number::kDiskFull:
      return "Datenträger voll";
    case error_number::kCompressedLogDamaged:
      return "Komprimierte Logdatei beschädigt oder unvollständig";
    case error_number::kTooManyFiles:
      return "Zu viele Dateien geöffnet";
    case error_number::kPermissionDenied:
      return "Zugriff verweigert";
    case error_number::kPathFileAccess:
      return "Fehler beim Zugriff auf Pfad/Datei";
    case error_number::kPathNotFound:
      return "Pfad nicht gefunden";
    case error_number::kCancel:
      return "Abbrechen gewählt";
    default:
      return "Anwendungs- oder objektdefinierter Fehler";
  }
}

RunTimeError::RunTimeError(std::int32_t number) : RunTimeError(number, DescriptionOf(number)) {}

RunTimeError::RunTimeError(std::int32_t number, std::string description)
    : std::runtime_error(NumberText(number) + " - " + description), number_(number) {}

std::string ErrorText(const RunTimeError& error) {
  return error.what();
}

}  // namespace velunor
