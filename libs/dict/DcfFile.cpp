// The .dcf front ends: text in memory, and files read in blocks (so that opening a large
// dictionary never holds the whole file besides the model) and written atomically.
#include <errno.h>
#include <fcntl.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <new>
#include <string>

#include "libs/dict/DataDict.h"
#include "libs/dict/DcfReader.h"
#include "libs/dict/DcfSyntax.h"
#include "libs/util/SafeFile.h"

namespace {

using dcf::LineSource;

// Finds the next line in [data + *pos, data + size); advances *pos past its '\n'.
bool TakeLine(const char* data, size_t size, size_t* pos, std::string_view& line) {
  const char* start = data + *pos;
  const void* nl = std::memchr(start, '\n', size - *pos);
  if (!nl) return false;
  line = std::string_view(start, static_cast<const char*>(nl) - start);
  *pos += line.size() + 1;
  return true;
}

class TextLines : public LineSource {
 public:
  explicit TextLines(std::string_view text) : text_(text) {}
  Result Next(std::string_view& line) override {
    if (TakeLine(text_.data(), text_.size(), &pos_, line)) return Line;
    return pos_ < text_.size() ? Unterminated : End;
  }

 private:
  std::string_view text_;
  size_t pos_ = 0;
};

// Lines of an open file, read in blocks of 256 KiB; a longer line grows the buffer.
class FileLines : public LineSource {
 public:
  FileLines(int fd, std::string path) : fd_(fd), path_(std::move(path)) { buffer_.resize(kBlock); }
  Result Next(std::string_view& line) override {
    for (;;) {
      if (TakeLine(buffer_.data(), end_, &pos_, line)) return Line;
      if (eof_) return pos_ < end_ ? Unterminated : End;
      if (!Refill()) return Failed;
    }
  }
  std::string Failure() const override { return failure_; }

 private:
  static constexpr size_t kBlock = size_t{1} << 18;

  bool Refill() {
    std::memmove(buffer_.data(), buffer_.data() + pos_, end_ - pos_);
    end_ -= pos_;
    pos_ = 0;
    if (buffer_.size() - end_ < kBlock / 2) buffer_.resize(buffer_.size() * 2);
    for (;;) {
      ssize_t n = read(fd_, buffer_.data() + end_, buffer_.size() - end_);
      if (n < 0 && errno == EINTR) continue;
      if (n < 0) {
        failure_ = "cannot read " + path_ + ": " + strerror(errno);
        return false;
      }
      total_ += static_cast<size_t>(n);
      if (total_ > dcf::kMaxBytes) {
        failure_ = "the file is larger than 1 GiB";
        return false;
      }
      end_ += static_cast<size_t>(n);
      eof_ = n == 0;
      return true;
    }
  }

  int fd_;
  std::string path_;
  std::string buffer_;
  size_t pos_ = 0, end_ = 0, total_ = 0;
  bool eof_ = false;
  std::string failure_;
};

// Opens path for reading; -1 with the reason when it is missing, a folder, not a regular
// file or unreadable.
int OpenForReading(const std::string& path, std::string* error) {
  struct stat info {};
  if (stat(path.c_str(), &info) != 0) {
    *error = errno == ENOENT ? "File " + path + " does not exist." : "Cannot read " + path + ": " + strerror(errno) + ".";
    return -1;
  }
  if (S_ISDIR(info.st_mode)) {
    *error = path + " is a folder, not a file.";
    return -1;
  }
  // Non-blocking, so that a named pipe put in the file's place cannot hold the open; the
  // opened file itself is checked, as the name may have changed since the stat.
  int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) {
    *error = "Cannot read " + path + ": " + strerror(errno) + ".";
    return -1;
  }
  if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    close(fd);
    *error = path + " is not a regular file.";
    return -1;
  }
  return fd;
}

}  // namespace

bool DcfFromText(const std::string& text, CDataDict& dict, std::string* error) {
  dict = CDataDict();
  if (text.size() > dcf::kMaxBytes) {
    if (error) *error = "line 1: the text is larger than 1 GiB";
    return false;
  }
  TextLines lines(text);
  return dcf::ReadDcf(lines, dict, error);
}

bool CDataDict::Open(const std::string& path) {
  *this = CDataDict();
  m_sLastError.clear();
  std::string error;
  int fd = OpenForReading(path, &error);
  bool ok = false;
  if (fd >= 0) {
    FileLines lines(fd, path);
    ok = dcf::ReadDcf(lines, *this, &error);
    close(fd);
    if (!ok) error = path + ": " + error;
  }
  if (!ok) m_sLastError = error;
  return ok;
}

bool CDataDict::Save(const std::string& path) {
  m_sLastError.clear();
  try {
    return dcf::SaveDcf(*this, path, &m_sLastError);
  } catch (const std::bad_alloc&) {
    m_sLastError = "Cannot write " + path + ": not enough memory.";
    return false;
  }
}
