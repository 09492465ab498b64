#include "app/cli/Compare.h"

#include <filesystem>
#include <iostream>

#include <nlohmann/json.hpp>

#include "app/ConvertApp.h"
#include "app/DetectFormat.h"
#include "app/cli/Arguments.h"
#include "libs/dict/DataDict.h"
#include "libs/util/Host.h"
#include "libs/util/ProgressDlg.h"
#include "libs/util/TextTools.h"
#include "orva41/ORVA41Reader.h"
#include "veskconv/VeskFormat.h"

namespace {

constexpr const char* kNone = "(none)";

class Differ {
 public:
  std::vector<DictDifference> out;

  void Text(const std::string& path, const char* what, const std::string& a, const std::string& b) {
    if (a != b) out.push_back({path, what, a, b, true});
  }
  void Number(const std::string& path, const char* what, long a, long b) {
    if (a != b) out.push_back({path, what, std::to_string(a), std::to_string(b)});
  }
  void Flag(const std::string& path, const char* what, bool a, bool b) {
    if (a != b) out.push_back({path, what, a ? "yes" : "no", b ? "yes" : "no"});
  }
  void Presence(const std::string& path, const char* what, bool inA) {
    out.push_back({path, what, inA ? "present" : kNone, inA ? kNone : "present"});
  }

  void Dictionary(const CDataDict& a, const CDataDict& b) {
    const std::string p = "DICTIONARY";
    Text(p, "name", a.GetName(), b.GetName());
    Text(p, "label", a.GetLabel(), b.GetLabel());
    Text(p, "note", a.GetNote(), b.GetNote());
    Number(p, "record type start", a.GetRecTypeStart(), b.GetRecTypeStart());
    Number(p, "record type length", a.GetRecTypeLen(), b.GetRecTypeLen());
    Flag(p, "relative positions", a.GetPosRelative(), b.GetPosRelative());
    Flag(p, "zero fill", a.GetZeroFill(), b.GetZeroFill());
    Flag(p, "decimal character", a.GetDecChar(), b.GetDecChar());
    const int levels = std::max(a.GetNumLevels(), b.GetNumLevels());
    for (int l = 0; l < levels; ++l) {
      const CDictLevel* la = l < a.GetNumLevels() ? a.GetLevel(l) : nullptr;
      const CDictLevel* lb = l < b.GetNumLevels() ? b.GetLevel(l) : nullptr;
      const std::string path = std::string(la ? la->GetName() : lb->GetName());
      if (!la || !lb) {
        Presence(path, "level", la != nullptr);
        continue;
      }
      Level(path, *la, *lb);
    }
  }

 private:
  void Level(const std::string& path, const CDictLevel& a, const CDictLevel& b) {
    Text(path, "name", a.GetName(), b.GetName());
    Text(path, "label", a.GetLabel(), b.GetLabel());
    Text(path, "note", a.GetNote(), b.GetNote());
    // The id items are one record of the level whatever their record's name.
    Record(path + "/(id items)", *a.GetIdItemsRec(), *b.GetIdItemsRec(), true);
    std::vector<bool> taken(b.GetNumRecords(), false);
    for (int r = 0; r < a.GetNumRecords(); ++r) {
      const CDictRecord& ra = *a.GetRecord(r);
      const int match = Find(b, ra.GetName(), taken);
      const std::string rp = path + "/" + std::string(ra.GetName());
      if (match < 0) {
        Presence(rp, "record", true);
        continue;
      }
      taken[match] = true;
      Record(rp, ra, *b.GetRecord(match), false);
    }
    for (int r = 0; r < b.GetNumRecords(); ++r) {
      if (!taken[r]) Presence(path + "/" + std::string(b.GetRecord(r)->GetName()), "record", false);
    }
  }

  // The first record (or item) of the given name not taken yet; -1 when there is none.
  static int Find(const CDictLevel& level, const std::string& name, const std::vector<bool>& taken) {
    for (int r = 0; r < level.GetNumRecords(); ++r) {
      if (!taken[r] && std::string(level.GetRecord(r)->GetName()) == name) return r;
    }
    return -1;
  }
  static int Find(const CDictRecord& record, const std::string& name, const std::vector<bool>& taken) {
    for (int i = 0; i < record.GetNumItems(); ++i) {
      if (!taken[i] && std::string(record.GetItem(i)->GetName()) == name) return i;
    }
    return -1;
  }

  void Record(const std::string& path, const CDictRecord& a, const CDictRecord& b, bool idItems) {
    if (!idItems) {
      Text(path, "label", a.GetLabel(), b.GetLabel());
      Text(path, "note", a.GetNote(), b.GetNote());
      Text(path, "record type", a.GetRecTypeVal(), b.GetRecTypeVal());
      Flag(path, "required", a.GetRequired(), b.GetRequired());
      Number(path, "maximum records", a.GetMaxRecs(), b.GetMaxRecs());
      Number(path, "record length", a.GetRecLen(), b.GetRecLen());
    }
    std::vector<bool> taken(b.GetNumItems(), false);
    for (int i = 0; i < a.GetNumItems(); ++i) {
      const CDictItem& ia = *a.GetItem(i);
      const std::string ip = path + "/" + std::string(ia.GetName());
      const int match = Find(b, ia.GetName(), taken);
      if (match < 0) {
        Presence(ip, "item", true);
        continue;
      }
      taken[match] = true;
      Item(ip, ia, *b.GetItem(match));
    }
    for (int i = 0; i < b.GetNumItems(); ++i) {
      if (!taken[i]) Presence(path + "/" + std::string(b.GetItem(i)->GetName()), "item", false);
    }
  }

  static const char* DataTypeName(const CDictItem& item) {
    return item.GetDataType() == NumericType ? "numeric" : "alpha";
  }
  static const char* ItemTypeName(const CDictItem& item) {
    return item.GetItemType() == SubItem ? "subitem" : "item";
  }

  void Item(const std::string& path, const CDictItem& a, const CDictItem& b) {
    Text(path, "label", a.GetLabel(), b.GetLabel());
    Text(path, "note", a.GetNote(), b.GetNote());
    Number(path, "start", a.GetStart(), b.GetStart());
    Number(path, "length", a.GetLen(), b.GetLen());
    if (a.GetDataType() != b.GetDataType()) out.push_back({path, "type", DataTypeName(a), DataTypeName(b)});
    if (a.GetItemType() != b.GetItemType()) out.push_back({path, "item type", ItemTypeName(a), ItemTypeName(b)});
    Number(path, "decimals", a.GetDecimal(), b.GetDecimal());
    Flag(path, "decimal character", a.GetDecChar(), b.GetDecChar());
    Flag(path, "zero fill", a.GetZeroFill(), b.GetZeroFill());
    Number(path, "occurrences", a.GetOccurs(), b.GetOccurs());
    const int sets = std::max(a.GetNumVSets(), b.GetNumVSets());
    for (int s = 0; s < sets; ++s) {
      const CDictVSet* sa = s < a.GetNumVSets() ? a.GetVSet(s) : nullptr;
      const CDictVSet* sb = s < b.GetNumVSets() ? b.GetVSet(s) : nullptr;
      const std::string sp = path + "/" + std::string(sa ? sa->GetName() : sb->GetName());
      if (!sa || !sb) {
        Presence(sp, "value set", sa != nullptr);
        continue;
      }
      VSet(sp, *sa, *sb);
    }
  }

  void VSet(const std::string& path, const CDictVSet& a, const CDictVSet& b) {
    Text(path, "name", a.GetName(), b.GetName());
    Text(path, "label", a.GetLabel(), b.GetLabel());
    Text(path, "note", a.GetNote(), b.GetNote());
    const int values = std::max(a.GetNumValues(), b.GetNumValues());
    for (int v = 0; v < values; ++v) {
      const CDictValue* va = v < a.GetNumValues() ? a.GetValue(v) : nullptr;
      const CDictValue* vb = v < b.GetNumValues() ? b.GetValue(v) : nullptr;
      const std::string vp = path + "/" + ValueName(va ? *va : *vb);
      if (!va || !vb) {
        Presence(vp, "value", va != nullptr);
        continue;
      }
      Value(vp, *va, *vb);
    }
  }

  // A value is named by its first from-value (its label when it has none).
  static std::string ValueName(const CDictValue& value) {
    if (value.GetNumVPairs() > 0) return std::string(value.GetVPair(0)->GetFrom());
    return std::string(value.GetLabel());
  }

  static std::string Pairs(const CDictValue& value) {
    std::string text;
    for (int p = 0; p < value.GetNumVPairs(); ++p) {
      const CDictVPair* pair = value.GetVPair(p);
      text += (p ? ", '" : "'") + std::string(pair->GetFrom()) + "'";
      // A range from a value to itself is that value (ORVA 3.1 writes every pair so).
      const std::string to = pair->GetTo();
      if (!to.empty() && to != std::string(pair->GetFrom())) text += ":'" + to + "'";
    }
    return text;
  }

  static std::string Special(const CDictValue& value) {
    if (!value.IsSpecial()) return "no";
    switch (value.GetValueType()) {
      case MissingType: return "missing";
      case NotAppType: return "not applicable";
      case DefaultType: return "default";
      default: return "yes";
    }
  }

  void Value(const std::string& path, const CDictValue& a, const CDictValue& b) {
    Text(path, "label", a.GetLabel(), b.GetLabel());
    Text(path, "note", a.GetNote(), b.GetNote());
    const std::string pa = Pairs(a), pb = Pairs(b);
    if (pa != pb) out.push_back({path, "values", pa, pb});
    const std::string spa = Special(a), spb = Special(b);
    if (spa != spb) out.push_back({path, "special", spa, spb});
    if (a.IsSpecial() && b.IsSpecial()) Text(path, "special name", a.GetName(), b.GetName());
  }
};

// Keeps the converters' messages (nothing reaches the user); answers No to questions.
class CollectingHost : public CSilentHost {
 public:
  std::string messages;
  int Report(const ::Message& message) override {
    if (!messages.empty()) messages += '\n';
    messages += message.text;
    return CSilentHost::Report(message);
  }
};

// ORVA 3.1 and VESK dictionaries: read by their converters into the dictionary they
// would save, nothing written. The converters' messages are the error when they fail.
std::unique_ptr<CDataDict> ReadByConverter(FileFormat format, const std::string& input, std::string& error) {
  CollectingHost host;
  ScopedHost installed(host);
  std::unique_ptr<CDataDict> dict;
  if (format == FileFormat::Orva31) {
    CConvertApp app;
    CProgressDlg progress;
    dict = std::make_unique<CDataDict>();
    if (!app.ReadORVA31Dict(input, *dict, progress)) dict.reset();
  } else {
    FormatContext context{host, '.', false};
    const FormatModule& vesk = format == FileFormat::VeskWork ? VeskWorkFormat() : VeskDictFormat();
    dict = vesk.readDictionary({input, input}, context);
  }
  if (!dict) error = host.messages.empty() ? "cannot read " + input : host.messages;
  return dict;
}

}  // namespace

std::vector<DictDifference> CompareDictionaries(const CDataDict& a, const CDataDict& b) {
  Differ differ;
  differ.Dictionary(a, b);
  return std::move(differ.out);
}

std::string FormatDifference(const DictDifference& d) {
  const std::string q = d.text ? "\"" : "";
  return VisibleText(d.path + ": " + d.what + " " + q + d.a + q + " vs " + q + d.b + q);
}

std::unique_ptr<CDataDict> LoadAnyDictionary(const std::string& path, std::string& error) {
  std::error_code ec;
  if (!std::filesystem::is_regular_file(path, ec)) {
    error = path + ": cannot be read (no such file, or not a regular file)";
    return nullptr;
  }
  // Read as its extension says, such a file could pass for an empty dictionary.
  if (error = UnknownContentOf(path); !error.empty()) return nullptr;
  ResolvedInput input(path);
  std::unique_ptr<CDataDict> dict;
  switch (input.format()) {
    case FileFormat::TravoDict:
      dict = std::make_unique<CDataDict>();
      if (!dict->Open(input.path(), true)) {
        error = dict->GetLastError();
        dict.reset();
      }
      break;
    case FileFormat::Orva41: {
      CollectingHost host;
      ScopedHost installed(host);
      CConvertApp app;
      dict = LoadORVA41Dict(app, input.path(), &error);
      break;
    }
    case FileFormat::Orva31:
    case FileFormat::VeskDict:
    case FileFormat::VeskWork:
      dict = ReadByConverter(input.format(), input.path(), error);
      break;
    case FileFormat::TravoForms:
      error = path + ": a Travo forms file, not a dictionary";
      return nullptr;
    default:
      error = NotADictionaryMessage(path);
      return nullptr;
  }
  // The readers name the file they were given, which may be a link under a temporary
  // name; the message names the file the user gave.
  if (!dict) {
    for (size_t at; input.overruled() && (at = error.find(input.path())) != std::string::npos;) {
      error.replace(at, input.path().size(), path);
    }
    if (error.find(path) == std::string::npos) error = path + ": " + error;
  }
  return dict;
}

int RunCompare(const std::vector<std::string>& args, std::string& usageError) {
  bool json = false;
  std::vector<std::string> files;
  if (!SplitJsonAndFiles(args, json, files, usageError)) return 2;
  if (files.size() != 2) {
    usageError = "compare needs two files, A and B";
    return 2;
  }
  std::unique_ptr<CDataDict> dicts[2];
  for (int i = 0; i < 2; ++i) {
    std::string error;
    dicts[i] = LoadAnyDictionary(files[i], error);
    if (!dicts[i]) {
      std::cerr << VisibleLines(error) << '\n';
      return 1;
    }
  }
  const std::vector<DictDifference> differences = CompareDictionaries(*dicts[0], *dicts[1]);
  if (json) {
    nlohmann::ordered_json list = nlohmann::ordered_json::array();
    for (const DictDifference& d : differences) list.push_back({{"path", d.path}, {"what", d.what}, {"a", d.a}, {"b", d.b}});
    std::cout << list.dump(2, ' ', false, nlohmann::ordered_json::error_handler_t::replace) << '\n';
  } else {
    for (const DictDifference& d : differences) std::cout << FormatDifference(d) << '\n';
  }
  std::cout.flush();
  return differences.empty() ? 0 : 1;
}
