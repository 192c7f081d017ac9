#include "file_snapshot.h"

namespace vrk::fs {

// Windows has no read lease a mapping could be kept consistent with: the file is copied.
std::unique_ptr<FileSnapshot> FileSnapshot::take(int, std::size_t) { return nullptr; }

bool FileSnapshot::intact() const { return true; }

FileSnapshot::~FileSnapshot() {}

}  // namespace vrk::fs
