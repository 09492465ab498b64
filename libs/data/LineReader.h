#pragma once
// Reads a file line by line (LF or CRLF) through a fixed buffer; of each line it keeps at
// most a given number of bytes and passes over the rest, so a line of any length costs no
// more memory than the dictionary's longest record.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

class LineReader {
 public:
  explicit LineReader(int fd) : fd_(fd) {}
  LineReader(const LineReader&) = delete;
  LineReader& operator=(const LineReader&) = delete;

  // The next line without its end, at most cap bytes of it; false at the end of the file or
  // on a read error (Error then says which). The view holds until the next call: it points
  // into the reader's buffer, or into a copy for a line that spans two reads.
  bool Next(std::string_view& line, size_t cap);
  int Error() const { return err_; }
  // The bytes read from the file so far, for progress.
  uint64_t BytesRead() const { return read_; }

 private:
  bool Fill();
  bool NextCopied(std::string& line, size_t cap);

  int fd_;
  char buffer_[1 << 16];
  size_t pos_ = 0, end_ = 0;
  uint64_t read_ = 0;
  bool done_ = false;
  int err_ = 0;
  std::string copied_;  // a line that spans two reads
};
