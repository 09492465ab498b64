#pragma once
// The .dcf reader's entry point for the file and in-memory front ends. Internal to the
// dictionary library.
#include <cstddef>
#include <string>
#include <string_view>

class CDataDict;

namespace dcf {

// Inputs larger than this are refused, so that line numbers and every count stay small.
inline constexpr size_t kMaxBytes = size_t{1} << 30;

// Hands out the lines of an input one at a time.
class LineSource {
 public:
  enum Result { Line, End, Unterminated, Failed };
  virtual ~LineSource() = default;
  // Line: line holds the next line without its '\n' (valid until the next call). End: no
  // more input. Unterminated: the input ends with bytes after the last '\n'. Failed: the
  // input could not be read, with the reason in Failure().
  virtual Result Next(std::string_view& line) = 0;
  virtual std::string Failure() const { return {}; }
};

// Reads a dictionary from source into dict (which must be empty). False with "line N: ..."
// in error when the text is not a .dcf text as DcfToText writes it.
bool ReadDcf(LineSource& source, CDataDict& dict, std::string* error);

}  // namespace dcf
