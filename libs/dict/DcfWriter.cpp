// Writes a dictionary as .dcf text (docs/dcf-format.md). A section's keys are its object's
// fields in the order of their list (DictFields.h). The reader in DcfReader.cpp accepts
// exactly this output, so the two must change together.
#include <charconv>
#include <string>

#include "libs/dict/DataDict.h"
#include "libs/dict/DcfEscape.h"
#include "libs/dict/DcfSyntax.h"
#include "libs/dict/DictFields.h"
#include "libs/util/SafeFile.h"

namespace {

using dcf::TextKind;

// Out is std::string or dcf::FileText; bytesPerItem sizes the first buffer.
template <typename Out>
class DcfWriter {
 public:
  Out Write(const CDataDict& dict, size_t bytesPerItem) {
    out_.reserve(4096 + ItemCount(dict) * bytesPerItem);
    WriteDictionary(dict);
    for (int l = 0; l < dict.GetNumLevels(); ++l) WriteLevel(*dict.GetLevel(l));
    return std::move(out_);
  }

 private:
  // Counting the items costs a walk of the records only.
  static size_t ItemCount(const CDataDict& dict) {
    size_t items = 0;
    for (int l = 0; l < dict.GetNumLevels(); ++l) {
      const CDictLevel& level = *dict.GetLevel(l);
      items += level.GetIdItemsRec()->GetNumItems();
      for (int r = 0; r < level.GetNumRecords(); ++r) items += level.GetRecord(r)->GetNumItems();
    }
    return items;
  }

  void Section(std::string_view header) {
    if (!out_.empty()) out_ += '\n';
    out_ += header;
    out_ += '\n';
  }
  void Key(std::string_view key) {
    out_ += key;
    out_ += '=';
  }
  void Text(std::string_view key, const std::string& text) {
    Key(key);
    dcf::AppendEscaped(out_, text, TextKind::Plain);
    out_ += '\n';
  }
  void Number(std::string_view key, int value) {
    Key(key);
    char buffer[16];
    auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    out_.append(buffer, result.ptr);
    out_ += '\n';
  }
  void Word(std::string_view key, std::string_view word) {
    Key(key);
    out_ += word;
    out_ += '\n';
  }
  void Flag(std::string_view key, bool value) { Word(key, value ? dcf::kYes : dcf::kNo); }

  template <typename T>
  void Field(const DictField<T>& field, const T& object) {
    switch (field.kind) {
      case FieldKind::Text: Text(field.key, field.text(object)); break;
      case FieldKind::Number: Number(field.key, field.number(object)); break;
      case FieldKind::Flag: Flag(field.key, field.number(object) != 0); break;
      case FieldKind::Choice: Word(field.key, field.words->dcf[field.number(object)]); break;
    }
  }
  // The object's fields that have lines of their own, in the list's order.
  template <typename T>
  void Fields(const T& object) {
    for (const DictField<T>& field : FieldsOf<T>()) {
      if (field.dcf == DcfPlace::Line || (field.dcf == DcfPlace::LineUnlessDefault && !field.IsDefault(object)))
        Field(field, object);
    }
  }
  template <typename T>
  void Section(std::string_view header, const T& object) {
    Section(header);
    Fields(object);
  }

  void WriteDictionary(const CDataDict& d) {
    Section(dcf::kDictionarySection);
    Word(dcf::kVersion, dcf::kVersionText);
    Fields(d);
  }

  void WriteLevel(const CDictLevel& level) {
    Section(dcf::kLevelSection, level);
    WriteRecord(dcf::kIdItemsSection, *level.GetIdItemsRec());
    for (int r = 0; r < level.GetNumRecords(); ++r) WriteRecord(dcf::kRecordSection, *level.GetRecord(r));
  }

  void WriteRecord(std::string_view header, const CDictRecord& rec) {
    Section(header, rec);
    for (int i = 0; i < rec.GetNumItems(); ++i) WriteItem(*rec.GetItem(i));
  }

  void WriteItem(const CDictItem& item) {
    Section(dcf::kItemSection, item);
    for (int v = 0; v < item.GetNumVSets(); ++v) WriteValueSet(*item.GetVSet(v));
  }

  void WriteValueSet(const CDictVSet& vset) {
    Section(dcf::kValueSetSection, vset);
    for (int v = 0; v < vset.GetNumValues(); ++v) WriteValue(*vset.GetValue(v));
  }

  // Value=<pairs>;<label>, then the value's other fields when they are not the default.
  void WriteValue(const CDictValue& value) {
    Key(dcf::kValue);
    dcf::AppendValueText(out_, value);
    out_ += '\n';
    Fields(value);
  }

  Out out_;
};

}  // namespace

// A guess of the text per item that keeps growth copies few. A FileText reserves more:
// address space that is never written costs no memory.
std::string DcfToText(const CDataDict& dict) { return DcfWriter<std::string>().Write(dict, 256); }

bool dcf::SaveDcf(const CDataDict& dict, const std::string& path, std::string* error) {
  const FileText text = DcfWriter<FileText>().Write(dict, 1024);
  return WriteFileAtomically(path, std::string_view(text.data(), text.size()), error);
}

template <typename Text>
void dcf::AppendValueText(Text& out, const CDictValue& value) {
  for (int p = 0; p < value.GetNumVPairs(); ++p) {
    const CDictVPair& pair = *value.GetVPair(p);
    if (p > 0) out += ',';
    dcf::AppendEscaped(out, pair.GetFrom(), TextKind::Pair);
    if (!pair.GetTo().empty() || pair.GetFrom().empty()) {
      out += ':';
      dcf::AppendEscaped(out, pair.GetTo(), TextKind::Pair);
    }
  }
  out += ';';
  dcf::AppendEscaped(out, value.GetLabel(), TextKind::Plain);
}

template void dcf::AppendValueText(std::string&, const CDictValue&);
template void dcf::AppendValueText(dcf::FileText&, const CDictValue&);
