// What the fuzz targets share: stopping at the first broken promise, and a
// quick write of the input to the file a reader opens.
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace sylvane::fuzz {

// A broken promise ends the run, so that libFuzzer keeps the input.
inline void Check(bool ok) {
  if (!ok) std::abort();
}

// Fuzzing writes thousands of files a second: a plain write, without the
// flush to disk of the program's own saving.
inline bool WriteQuickly(const std::string& path, const void* data, size_t size) {
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return false;
  const bool ok = (size == 0 || std::fwrite(data, 1, size, f) == size);
  return std::fclose(f) == 0 && ok;
}
inline bool WriteQuickly(const std::string& path, const std::vector<uint8_t>& bytes) {
  return WriteQuickly(path, bytes.data(), bytes.size());
}

}  // namespace sylvane::fuzz
