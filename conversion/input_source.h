#pragma once

#include <string>
#include <utility>

namespace velunor {

// Where a run reads its log from: a file named by its path; or a descriptor already open for
// reading (standard input), which the run reads from where it stands, never closes, and whose
// length it treats as unknown.
struct InputSource {
  // Naming a file is the usual case, so a path converts on its own.
  InputSource(std::string path) : Path(std::move(path)) {}
  explicit InputSource(int descriptor) : Descriptor(descriptor) {}

  std::string Path;     // empty for a descriptor
  int Descriptor = -1;  // -1 for a path
};

}  // namespace velunor
