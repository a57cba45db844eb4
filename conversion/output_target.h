#pragma once

#include <string>
#include <utility>

namespace velunor {

// Where a run writes its first output file: a file named by its path, created, emptied or
// appended to as the run's options say; or a descriptor already open for writing (standard
// output), which the run writes from where it stands, never empties, and leaves open.
struct OutputTarget {
  // Naming a file is the usual case, so a path converts on its own.
  OutputTarget(std::string path) : Path(std::move(path)) {}
  explicit OutputTarget(int descriptor) : Descriptor(descriptor) {}

  std::string Path;     // empty for a descriptor
  int Descriptor = -1;  // -1 for a path
};

}  // namespace velunor
