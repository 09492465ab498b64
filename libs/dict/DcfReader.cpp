// Reads .dcf text (docs/dcf-format.md). The reader accepts exactly what DcfWriter.cpp
// writes: sections in their fixed order, keys in the order of the field lists
// (DictFields.h), every text in its one written form. So a file that reads can be written
// back byte for byte, and a damaged file is refused with the line where it stops making
// sense. It reads line by line, keeps no recursion and allocates only for what the lines
// hold.
#include "libs/dict/DcfReader.h"

#include <charconv>
#include <cstring>
#include <new>
#include <span>
#include <string>
#include <vector>

#include "libs/dict/DataDict.h"
#include "libs/dict/DcfEscape.h"
#include "libs/dict/DcfSyntax.h"
#include "libs/dict/DictFields.h"

namespace {

using dcf::LineSource;
using dcf::TextKind;

// Thrown inside the reader only; ReadDcf turns it into its result.
struct ParseError {
  std::string text;
};

// The section last opened, which decides what may come next.
enum class Section { Dictionary, Level, IdItems, Record, Item, ValueSet };

// The value lines that may follow a Value line, in their fixed order.
std::vector<const DictField<CDictValue>*> ValueExtras() {
  std::vector<const DictField<CDictValue>*> extras;
  for (const DictField<CDictValue>& field : FieldsOf<CDictValue>()) {
    if (field.dcf == DcfPlace::LineUnlessDefault) extras.push_back(&field);
  }
  return extras;
}

// Splits "Key=rest"; false when the line has no '='.
bool SplitKey(std::string_view line, std::string_view& key, std::string_view& value) {
  size_t eq = line.find('=');
  if (eq == std::string_view::npos) return false;
  key = line.substr(0, eq);
  value = line.substr(eq + 1);
  return true;
}

// A whole number in its one written form: optional '-', no leading zeros, no "-0".
bool ParseCanonicalInt(std::string_view text, int& value) {
  if (text.empty() || text.front() == '+') return false;
  const size_t digits = text.front() == '-' ? 1 : 0;
  if (digits == text.size()) return false;
  if (text[digits] == '0' && (text.size() > digits + 1 || digits == 1)) return false;
  auto result = std::from_chars(text.data(), text.data() + text.size(), value);
  return result.ec == std::errc() && result.ptr == text.data() + text.size();
}

}  // namespace

class DcfReader {
 public:
  DcfReader(LineSource& source, CDataDict& dict) : source_(source), dict_(dict) {}

  void Read() {
    ReadDictionarySection();
    while (NextLine()) {
      if (!line_.empty()) Fail("expected a blank line before the next section, found '" + dcf::Excerpt(line_) + "'");
      if (!NextLine()) Fail("the file ends after a blank line");
      OpenSection(line_);
    }
    if (section_ == Section::Level) Fail(lineNo_ + 1, "the file ends before the level's [IdItems] section");
  }

  int LineNumber() const { return lineNo_; }

 private:
  [[noreturn]] void Fail(int line, const std::string& what) {
    throw ParseError{"line " + std::to_string(line) + ": " + what};
  }
  [[noreturn]] void Fail(const std::string& what) { Fail(lineNo_, what); }

  // Moves to the next line; false at the end of the input.
  bool NextLine() {
    if (pushedBack_) {
      pushedBack_ = false;
      ++lineNo_;
      return true;
    }
    switch (source_.Next(line_)) {
      case LineSource::Line:
        ++lineNo_;
        return true;
      case LineSource::End:
        return false;
      case LineSource::Unterminated:
        Fail(lineNo_ + 1, "the last line has no line end (the file may be cut short)");
      case LineSource::Failed:
        break;
    }
    Fail(lineNo_ + 1, source_.Failure());
  }
  void PushBack() {
    pushedBack_ = true;
    --lineNo_;
  }

  // The value of the next line, which must be "key=...".
  std::string_view ExpectKey(std::string_view key) {
    if (!NextLine()) Fail(lineNo_ + 1, "the file ends where " + std::string(key) + "= was expected");
    const size_t n = key.size();
    if (line_.size() <= n || line_[n] != '=' || line_.substr(0, n) != key)
      Fail("expected " + std::string(key) + "=, found '" + dcf::Excerpt(line_) + "'");
    return line_.substr(n + 1);
  }

  [[noreturn]] void FailNotCanonical(std::string_view key, std::string_view written, const std::string& expected) {
    Fail(std::string(key) + " is written '" + dcf::Excerpt(written) + "' but must be written '" +
         dcf::Excerpt(expected) + "'");
  }

  void DecodeText(std::string_view key, std::string_view written, std::string& target, TextKind kind) {
    std::string reason;
    switch (dcf::DecodeExact(written, kind, target, &reason)) {
      case dcf::Decoded::Exact:
        return;
      case dcf::Decoded::Invalid:
        Fail(std::string(key) + ": " + reason);
      case dcf::Decoded::NotCanonical:
        break;
    }
    std::string expected;
    dcf::AppendEscaped(expected, target, kind);
    FailNotCanonical(key, written, expected);
  }

  template <typename T>
  void ReadField(const DictField<T>& field, std::string_view text, T& object) {
    switch (field.kind) {
      case FieldKind::Text:
        DecodeText(field.key, text, scratch_, TextKind::Plain);
        field.setText(object, std::move(scratch_));
        break;
      case FieldKind::Number: field.setNumber(object, ParseNumber(field.key, text)); break;
      case FieldKind::Flag: field.setNumber(object, ParseFlag(field.key, text)); break;
      case FieldKind::Choice: field.setNumber(object, ParseWord(field.key, text, field.words->dcf)); break;
    }
  }
  // The object's fields that have lines of their own, in the list's order.
  template <typename T>
  void ReadFields(T& object) {
    for (const DictField<T>& field : FieldsOf<T>()) {
      if (field.dcf == DcfPlace::Line) ReadField(field, ExpectKey(field.key), object);
    }
  }

  int ParseNumber(std::string_view key, std::string_view text) {
    int value = 0;
    if (!ParseCanonicalInt(text, value))
      Fail(std::string(key) + " must be a whole number (no '+', no leading zeros, within the int range), found '" +
           dcf::Excerpt(text) + "'");
    return value;
  }

  bool ParseFlag(std::string_view key, std::string_view word) {
    if (word == dcf::kYes) return true;
    if (word == dcf::kNo) return false;
    Fail(std::string(key) + " must be Yes or No, found '" + dcf::Excerpt(word) + "'");
  }

  // One of an enum's words; its value.
  int ParseWord(std::string_view key, std::string_view word, std::span<const std::string_view> words) {
    std::string allowed;
    for (size_t i = 0; i < words.size(); ++i) {
      if (word == words[i]) return static_cast<int>(i);
      allowed += allowed.empty() ? "" : ", ";
      allowed += words[i];
    }
    Fail(std::string(key) + " must be one of " + allowed + ", found '" + dcf::Excerpt(word) + "'");
  }

  void ReadDictionarySection() {
    if (!NextLine() || line_ != dcf::kDictionarySection) Fail(1, "a .dcf file starts with the line [Dictionary]");
    std::string_view version = ExpectKey(dcf::kVersion);
    if (version != dcf::kVersionText)
      Fail("unsupported version '" + dcf::Excerpt(version) + "' (this program reads Travo 4.0)");
    ReadFields(dict_);
    section_ = Section::Dictionary;
  }

  void OpenSection(std::string_view header) {
    const bool inLevel = section_ != Section::Dictionary && section_ != Section::Level;
    if (section_ == Section::Level && header != dcf::kIdItemsSection)
      Fail("a [Level] section must be followed by its [IdItems] section");
    if (header == dcf::kLevelSection) {
      ReadLevel();
    } else if (header == dcf::kIdItemsSection) {
      if (section_ != Section::Level) Fail("[IdItems] may only follow a [Level] section");
      ReadRecord(*level_->m_pIdItems, Section::IdItems);
    } else if (header == dcf::kRecordSection) {
      if (!inLevel) Fail("[Record] comes before any [Level]");
      level_->m_aRecords.push_back(std::make_unique<CDictRecord>());
      level_->Link(level_->m_aRecords.back().get());
      ReadRecord(*level_->m_aRecords.back(), Section::Record);
    } else if (header == dcf::kItemSection) {
      if (!inLevel) Fail("[Item] comes before any [Level]");
      ReadItem();
    } else if (header == dcf::kValueSetSection) {
      if (section_ != Section::Item && section_ != Section::ValueSet) Fail("[ValueSet] must follow an [Item] section");
      ReadValueSet();
    } else {
      Fail("expected a section header ([Level], [IdItems], [Record], [Item] or [ValueSet]), found '" +
           dcf::Excerpt(header) + "'");
    }
  }

  void ReadLevel() {
    dict_.m_aLevels.push_back(std::make_unique<CDictLevel>());
    level_ = dict_.m_aLevels.back().get();
    level_->Relink(&dict_);
    ReadFields(*level_);
    section_ = Section::Level;
  }

  void ReadRecord(CDictRecord& rec, Section section) {
    ReadFields(rec);
    record_ = &rec;
    section_ = section;
  }

  void ReadItem() {
    record_->m_aItems.push_back(std::make_unique<CDictItem>());
    CDictItem& item = *record_->m_aItems.back();
    item.SetRecord(record_);
    item.SetDataDict(&dict_);
    ReadFields(item);
    item_ = &item;
    section_ = Section::Item;
  }

  void ReadValueSet() {
    CDictVSet& vset = item_->m_aVSets.emplace_back();
    ReadFields(vset);
    section_ = Section::ValueSet;
    // Values collect in a reused list and move into the set at its end, so that the set
    // gets one allocation of exactly its size.
    values_.clear();
    size_t nextExtra = 0;
    std::string_view key, text;
    while (NextLine()) {
      if (line_.empty()) {
        PushBack();
        break;
      }
      if (!SplitKey(line_, key, text)) Fail("unexpected line '" + dcf::Excerpt(line_) + "' in a [ValueSet] section");
      if (key == dcf::kValue) {
        ReadValue(text, values_.emplace_back());
        nextExtra = 0;
        continue;
      }
      size_t extra = 0;
      while (extra < valueExtras_.size() && key != valueExtras_[extra]->key) ++extra;
      if (extra == valueExtras_.size()) Fail("unexpected line '" + dcf::Excerpt(line_) + "' in a [ValueSet] section");
      const DictField<CDictValue>& field = *valueExtras_[extra];
      if (values_.empty()) Fail(std::string(field.key) + "= must follow a Value= line");
      if (extra < nextExtra)
        Fail(std::string(field.key) + "= is repeated or out of order (" + ValueLinesInOrder() + ")");
      nextExtra = extra + 1;
      ReadValueExtra(field, text, values_.back());
    }
    vset.m_aValues.reserve(values_.size());
    for (CDictValue& value : values_) vset.m_aValues.push_back(std::move(value));
  }

  std::string ValueLinesInOrder() const {
    std::string lines = "a value's lines are " + std::string(dcf::kValue);
    for (const DictField<CDictValue>* field : valueExtras_) lines += ", " + std::string(field->key);
    return lines;
  }

  // A field of a value that is written only when it differs from its default. A flag is
  // written only as Yes.
  void ReadValueExtra(const DictField<CDictValue>& field, std::string_view text, CDictValue& value) {
    auto mustDiffer = [&](bool isDefault) {
      if (isDefault) Fail(std::string(field.key) + "=" + dcf::Excerpt(text) + " is the default and must be left out");
    };
    if (field.kind == FieldKind::Flag) {
      mustDiffer(text == dcf::kNo);
      if (text != dcf::kYes) Fail(std::string(field.key) + " must be Yes, found '" + dcf::Excerpt(text) + "'");
    }
    ReadField(field, text, value);
    mustDiffer(field.IsDefault(value));
  }

  // Decodes one text of a Value line; false when it is not in its written form.
  bool DecodePart(std::string_view written, TextKind kind, std::string& target) {
    std::string reason;
    const dcf::Decoded result = dcf::DecodeExact(written, kind, target, &reason);
    if (result == dcf::Decoded::Invalid) Fail("Value: " + reason);
    return result == dcf::Decoded::Exact;
  }

  // "pairs;label" as AppendValueText writes it: each text in its written form, a pair
  // "from" only when to is empty and from is not, and no empty pair.
  void ReadValue(std::string_view text, CDictValue& value) {
    const size_t semicolon = dcf::FindUnescaped(text, ';');
    if (semicolon == std::string_view::npos) Fail("Value needs a ';' between its pairs and its label");
    bool exact = DecodePart(text.substr(semicolon + 1), TextKind::Plain, value.m_sLabel);
    std::string_view pairs = text.substr(0, semicolon);
    while (!pairs.empty()) {
      const size_t comma = dcf::FindUnescaped(pairs, ',');
      const std::string_view piece = pairs.substr(0, comma);
      const size_t colon = dcf::FindUnescaped(piece, ':');
      CDictVPair& pair = value.NewVPair();
      exact &= DecodePart(piece.substr(0, colon), TextKind::Pair, pair.m_sFrom);
      if (colon != std::string_view::npos) {
        exact &= DecodePart(piece.substr(colon + 1), TextKind::Pair, scratch_);
        exact &= !scratch_.empty() || pair.m_sFrom.empty();
        pair.m_sTo.Set(std::move(scratch_));
      }
      exact &= !piece.empty();
      if (comma == std::string_view::npos) break;
      pairs.remove_prefix(comma + 1);
      if (pairs.empty()) {  // a trailing ','
        value.NewVPair();
        exact = false;
      }
    }
    if (value.m_aMorePairs.size() != value.m_aMorePairs.capacity()) value.m_aMorePairs.shrink_to_fit();
    if (!exact) {
      std::string expected;
      dcf::AppendValueText(expected, value);
      FailNotCanonical(dcf::kValue, text, expected);
    }
  }

  LineSource& source_;
  CDataDict& dict_;
  std::string_view line_;
  int lineNo_ = 0;
  bool pushedBack_ = false;
  Section section_ = Section::Dictionary;
  CDictLevel* level_ = nullptr;
  CDictRecord* record_ = nullptr;
  CDictItem* item_ = nullptr;
  std::string scratch_;              // a decoded text on its way into a CDictRareText
  std::vector<CDictValue> values_;   // the values of the value set being read
  const std::vector<const DictField<CDictValue>*> valueExtras_ = ValueExtras();
};

bool dcf::ReadDcf(LineSource& source, CDataDict& dict, std::string* error) {
  DcfReader reader(source, dict);
  std::string failure;
  try {
    reader.Read();
    return true;
  } catch (const ParseError& e) {
    failure = e.text;
  } catch (const std::bad_alloc&) {
    failure = "line " + std::to_string(reader.LineNumber() + 1) + ": not enough memory to read the dictionary";
  }
  dict = CDataDict();
  if (error) *error = failure;
  return false;
}
