#include "libs/data/LineReader.h"

#include <errno.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>

bool LineReader::Next(std::string_view& line, size_t cap) {
  // Most lines lie whole in the buffer: they are seen where they are.
  if (pos_ < end_) {
    const char* start = buffer_ + pos_;
    if (const char* newline = static_cast<const char*>(std::memchr(start, '\n', end_ - pos_))) {
      const size_t total = static_cast<size_t>(newline - start);
      pos_ += total + 1;
      line = std::string_view(start, std::min(total, cap));
      if (total > 0 && start[total - 1] == '\r' && total <= cap) line.remove_suffix(1);
      return true;
    }
  }
  if (!NextCopied(copied_, cap)) return false;
  line = copied_;
  return true;
}

bool LineReader::NextCopied(std::string& line, size_t cap) {
  line.clear();
  size_t total = 0;
  char last = 0;
  bool any = false;
  for (;;) {
    if (pos_ == end_ && !Fill()) {
      if (!any) return false;
      break;
    }
    any = true;
    const char* start = buffer_ + pos_;
    const char* newline = static_cast<const char*>(std::memchr(start, '\n', end_ - pos_));
    const size_t n = newline ? static_cast<size_t>(newline - start) : end_ - pos_;
    if (n > 0) {
      const size_t room = cap > line.size() ? cap - line.size() : 0;
      line.append(start, std::min(n, room));
      total += n;
      last = start[n - 1];
    }
    pos_ += n;
    if (newline) {
      ++pos_;
      break;
    }
  }
  // The CR of a CRLF end; a line cut at cap keeps its first cap bytes as they are.
  if (last == '\r' && total <= cap) line.pop_back();
  return true;
}

bool LineReader::Fill() {
  if (done_) return false;
  ssize_t n;
  do n = read(fd_, buffer_, sizeof buffer_);
  while (n < 0 && errno == EINTR);
  if (n <= 0) {
    if (n < 0) err_ = errno;
    done_ = true;
    return false;
  }
  pos_ = 0;
  end_ = static_cast<size_t>(n);
  read_ += static_cast<uint64_t>(n);
  return true;
}
