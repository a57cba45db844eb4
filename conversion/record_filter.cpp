#include "record_filter.h"

namespace velunor {

RecordClass ClassifyRecord(std::string_view line, StatusChannelMode mode) {
  return ClassifyRecord(line, static_cast<std::int64_t>(line.size()), mode);
}

}  // namespace velunor
