#include "libs/util/SpecFile.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>

namespace {

constexpr const char* kUtf8Bom = "\xEF\xBB\xBF";

// Spaces, tabs, CR, LF, vertical tabs and form feeds.
bool IsBlank(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

// Index of the first character at or after first that is not a blank; end when none.
size_t SkipBlanks(const std::string& line, size_t first, size_t end) {
  while (first < end && IsBlank(line[first])) ++first;
  return first;
}

void AssignTrimmed(CVornString& target, const std::string& line, size_t first, size_t end, bool trim) {
  if (trim) {
    first = SkipBlanks(line, first, end);
    while (end > first && IsBlank(line[end - 1])) --end;
  }
  target.assign(line, first, end - first);
}

bool EqualNoCase(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i]))) return false;
  }
  return true;
}

bool IsSectionLine(const std::string& line) {
  size_t b = SkipBlanks(line, 0, line.size());
  return b < line.size() && line[b] == '[';
}

}  // namespace

struct CSpecFile::Impl {
  std::ifstream in;
  std::string path;
  std::string openError;
  long length = 0;
  long position = 0;
  int physicalLines = 0;
  std::string line;        // the last significant line read, without its line end
  int lineNumber = 0;      // its line number
  int deliveredLine = 0;   // number of the line last delivered by GetLine
  int state = SF_NOCONTINUE;
  bool pushedBack = false;
  bool atEnd = true;

  // Reads physical lines into `line` until one is neither blank nor a comment.
  bool ReadSignificant() {
    if (atEnd) return false;
    while (std::getline(in, line)) {
      ++physicalLines;
      position += static_cast<long>(line.size()) + (in.eof() ? 0 : 1);
      if (physicalLines == 1 && line.compare(0, 3, kUtf8Bom) == 0) line.erase(0, 3);
      if (!line.empty() && line.back() == '\r') line.pop_back();
      size_t b = SkipBlanks(line, 0, line.size());
      if (b == line.size() || line[b] == ';') continue;
      lineNumber = physicalLines;
      return true;
    }
    atEnd = true;
    line.clear();
    return false;
  }

  // Splits `line` into command and argument and returns the line's state.
  int Parse(CVornString& command, CVornString& argument, bool trim) const {
    if (IsSectionLine(line)) {
      AssignTrimmed(command, line, 0, line.size(), trim);
      argument.clear();
      return SF_NOCONTINUE;
    }
    size_t eq = line.find('=');
    if (eq == std::string::npos) {
      AssignTrimmed(command, line, 0, line.size(), trim);
      argument.clear();
      return SF_OK;
    }
    AssignTrimmed(command, line, 0, eq, trim);
    AssignTrimmed(argument, line, eq + 1, line.size(), trim);
    return SF_NOCONTINUE;
  }
};

CSpecFile::CSpecFile(int) : impl_(std::make_unique<Impl>()) {}

CSpecFile::~CSpecFile() = default;

int CSpecFile::Open(const std::string& name, int) {
  Close();
  Impl& f = *impl_;
  f.path = name;
  f.openError.clear();
  // Only regular files: a device or a pipe could feed an endless line.
  std::error_code ec;
  const auto status = std::filesystem::status(name, ec);
  if (std::filesystem::is_directory(status)) {
    f.openError = std::strerror(EISDIR);
    return 0;
  }
  if (std::filesystem::exists(status) && !std::filesystem::is_regular_file(status)) {
    f.openError = "Not a regular file";
    return 0;
  }
  errno = 0;
  f.in.open(name, std::ios::in | std::ios::binary);
  if (!f.in.is_open()) {
    f.openError = std::strerror(errno != 0 ? errno : ENOENT);
    return 0;
  }
  auto size = std::filesystem::file_size(name, ec);
  f.length = ec ? 0 : static_cast<long>(size);
  f.atEnd = false;
  return 1;
}

const std::string& CSpecFile::GetOpenError() const { return impl_->openError; }

void CSpecFile::Close() {
  Impl& f = *impl_;
  if (f.in.is_open()) f.in.close();
  f.in.clear();
  f.length = 0;
  f.position = 0;
  f.physicalLines = 0;
  f.line.clear();
  f.lineNumber = 0;
  f.deliveredLine = 0;
  f.state = SF_NOCONTINUE;
  f.pushedBack = false;
  f.atEnd = true;
}

int CSpecFile::GetLine(CVornString& command, CVornString& argument, bool trim) {
  Impl& f = *impl_;
  if (f.pushedBack) {
    f.pushedBack = false;
  } else if (!f.ReadSignificant()) {
    f.state = SF_NOCONTINUE;
    return 1;
  }
  f.deliveredLine = f.lineNumber;
  f.state = f.Parse(command, argument, trim);
  return 0;
}

void CSpecFile::UngetLine() {
  // `line` is empty once the end of the file was reached: there is nothing to give back.
  if (!impl_->line.empty()) impl_->pushedBack = true;
}

void CSpecFile::SkipSection() {
  Impl& f = *impl_;
  if (f.pushedBack && IsSectionLine(f.line)) return;
  f.pushedBack = false;
  while (f.ReadSignificant()) {
    if (IsSectionLine(f.line)) {
      f.pushedBack = true;
      return;
    }
  }
}

int CSpecFile::GetLineNumber() const { return impl_->deliveredLine; }

int CSpecFile::IsVersionOK(const std::string& version) {
  CVornString command, argument;
  if (GetLine(command, argument, true) != 0) return 0;
  if (impl_->state != SF_NOCONTINUE || IsSectionLine(impl_->line) || !EqualNoCase(command, "Version")) {
    UngetLine();
    return 0;
  }
  return EqualNoCase(argument, version) ? 1 : 0;
}

int CSpecFile::GetState() const { return impl_->state; }

long CSpecFile::GetLength() const { return impl_->length; }

long CSpecFile::GetPosition() const { return impl_->position; }

const std::string& CSpecFile::GetFilePath() const { return impl_->path; }
