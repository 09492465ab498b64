#pragma once
// Writing and reading test files whole, bytes as they are.
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

// Writes text into path (replacing it), making its folder when missing.
inline void WriteFile(const std::string& path, const std::string& text) {
  std::error_code ec;
  std::filesystem::create_directories(std::filesystem::path(path).parent_path(), ec);
  std::ofstream(path, std::ios::binary) << text;
}

// What path holds; empty when it cannot be read.
inline std::string ReadTextFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}
