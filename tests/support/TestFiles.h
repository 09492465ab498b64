#pragma once
// Writing the files a test reads.
#include <fstream>
#include <string>
#include <string_view>

// Writes bytes as the whole file at path, replacing what was there.
inline void WriteFile(const std::string& path, std::string_view bytes) {
  std::ofstream(path, std::ios::binary | std::ios::trunc).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}
