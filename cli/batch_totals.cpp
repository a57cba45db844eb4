#include "batch_totals.h"

#include <cmath>

#include "number_text.h"

namespace velunor {

std::int64_t Kilobytes64(std::int64_t bytes) {
  // The default rounding mode rounds an exact half to the even neighbour.
  return static_cast<std::int64_t>(std::nearbyint(static_cast<double>(bytes) / 1024.0));
}

std::string TotalText(const BatchTotals& totals) {
  return "Gesamt:" + NumberText(Kilobytes64(totals.BytesWritten)) + " KB von" +
         NumberText(Kilobytes64(totals.BytesRead)) + " KB geschrieben," +
         NumberText(totals.RejectedLines) + " Zeile(n) mit Fehler ausgelassen.";
}

}  // namespace velunor
