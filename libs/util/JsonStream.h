#pragma once
// Writes JSON to a stream as it is produced, with no document tree: two-space indentation,
// "[]" and "{}" for empty containers, texts escaped as nlohmann::json's dump does with
// error_handler_t::replace (bytes that are not UTF-8 become U+FFFD, non-ASCII characters
// are kept). The bytes are those of dump(2, ' ', false, replace) of the same document.
#include <concepts>
#include <cstddef>
#include <ostream>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

#include <nlohmann/json.hpp>

// The bytes are gathered in a buffer of a fixed size and written to the stream when it
// fills and at the end: a stream's write costs far more than appending a few bytes.
class CJsonStreamWriter {
 public:
  explicit CJsonStreamWriter(std::ostream& out) : out_(out) { buffer_.reserve(kBufferSize); }
  ~CJsonStreamWriter() { Flush(); }
  CJsonStreamWriter(const CJsonStreamWriter&) = delete;
  CJsonStreamWriter& operator=(const CJsonStreamWriter&) = delete;

  // False once a write to the stream has failed; callers stop walking their model then.
  bool Good() const { return static_cast<bool>(out_); }

  void BeginObject() { Open('{'); }
  void EndObject() { Close('}'); }
  void BeginArray() { Open('['); }
  void EndArray() { Close(']'); }

  // The key of the next value in the open object.
  void Key(std::string_view key);

  void String(std::string_view text);
  void Bool(bool value) { Raw(value ? "true" : "false"); }
  void Null() { Raw("null"); }
  void Double(double value);
  template <std::integral T>
    requires(!std::same_as<T, bool>)
  void Integer(T value) {
    if constexpr (std::is_signed_v<T>) {
      Signed(value);
    } else {
      Unsigned(value);
    }
  }
  // A small value built as a tree (one element of a larger document).
  void Value(const nlohmann::ordered_json& value);
  // The members of a small object, into the object open here.
  void Fields(const nlohmann::ordered_json& object);

  // Key and value in one call.
  void Field(std::string_view key, std::string_view text) { Key(key), String(text); }
  void Field(std::string_view key, const std::string& text) { Key(key), String(text); }
  void Field(std::string_view key, const char* text) { Key(key), String(text); }
  void Field(std::string_view key, bool value) { Key(key), Bool(value); }
  void Field(std::string_view key, std::nullptr_t) { Key(key), Null(); }
  void Field(std::string_view key, const nlohmann::ordered_json& value) { Key(key), Value(value); }
  template <std::integral T>
    requires(!std::same_as<T, bool>)
  void Field(std::string_view key, T value) {
    Key(key);
    Integer(value);
  }

  // Ends the document with a newline and writes what is left in the buffer.
  void Finish() {
    Write("\n");
    Flush();
  }

 private:
  void Signed(long long value);
  void Unsigned(unsigned long long value);
  void Open(char bracket);
  void Close(char bracket);
  // Starts a value: a new line and the indentation inside an array, nothing after a key.
  void BeginValue();
  void Raw(std::string_view scalar) {
    BeginValue();
    Write(scalar);
  }
  void Write(std::string_view bytes) {
    buffer_.append(bytes);
    if (buffer_.size() >= kBufferSize) Flush();
  }
  void Flush();
  void NewLineAndIndent();
  // The text in quotes, escaped.
  void Quoted(std::string_view text);

  static constexpr size_t kBufferSize = 64 * 1024;

  std::ostream& out_;
  std::string buffer_;
  std::vector<bool> filled_;  // per open container: holds an element already
  bool afterKey_ = false;
};
