#include "orva31/DdInspect.h"

#include <cstring>
#include <memory>
#include <nlohmann/json.hpp>

#include "libs/util/CodePage.h"
#include "libs/util/JsonStream.h"
#include "libs/util/SafeFile.h"
#include "libs/util/TextTools.h"
#include "orva31/DdFormat.h"

namespace {

using nlohmann::ordered_json;

// Texts are shown in the host code page; names lose their padding blanks.
std::string Text(const char* oem, size_t size) { return OemToHost(std::string_view(oem, strnlen(oem, size))); }
std::string Name(const char* oem) {
  std::string s = Text(oem, dd::kNameLength);
  s.erase(s.find_last_not_of(' ') + 1);
  return s;
}

// What a walk of the layout meets, in the file's order. Each item comes whole, with its
// value names and pairs; a record comes before its items. This one ignores all, for a
// walk that only checks the file.
class LayoutSink {
 public:
  virtual ~LayoutSink() = default;
  virtual void Begin(size_t /*fileSize*/, const ordered_json& /*header*/) {}
  virtual void BeginCommon() {}
  virtual void EndCommon() {}
  virtual void BeginRecord(const ordered_json& /*record*/) {}
  virtual void EndRecord() {}
  virtual void Item(const ordered_json& /*item*/) {}
  virtual void End() {}
  // False when what is written cannot be written any more: the walk stops.
  virtual bool Good() const { return true; }
};

// Walks the file's tables in their hierarchy and checks every index on the way.
class LayoutReader {
 public:
  explicit LayoutReader(const std::string& bytes) : bytes_(bytes) {}

  bool Read(LayoutSink& out, std::string& error) {
    uint8_t header[dd::kHeaderSize] = {};
    std::memcpy(header, bytes_.data(), std::min<size_t>(bytes_.size(), dd::kHeaderSize));
    if (std::memcmp(header, dd::kMagic, 8) != 0 || std::memcmp(header + dd::hdr::kVersion, dd::kVersion, 12) != 0) {
      error = "not an ORVA 3.1 dictionary";
      return false;
    }
    dd::DecodeHeader(header, h_);
    if (std::string why = dd::CheckHeaderLayout(h_, bytes_.size()); !why.empty()) {
      error = why;
      return false;
    }
    // COMMON's items open the item table; the header check keeps their count within it.
    budget_ = dd::ClaimBudget(h_.numItems - h_.numCommonItems, h_.numValueNames, h_.valueAreaSize);
    out.Begin(bytes_.size(), HeaderJson());
    out.BeginCommon();
    for (int i = 0; i < h_.numCommonItems && out.Good(); ++i) {
      if (!AddItem(i, out, error)) return false;
    }
    out.EndCommon();
    for (int r = 0; r < h_.numRecords && out.Good(); ++r) {
      if (!AddRecord(r, out, error)) return false;
    }
    out.End();
    return true;
  }

 private:
  const uint8_t* At(uint64_t offset) const { return reinterpret_cast<const uint8_t*>(bytes_.data()) + offset; }

  ordered_json HeaderJson() const {
    return {{"magic", h_.magic},
            {"version", h_.version},
            {"date", Text(h_.date, 8)},
            {"time", Text(h_.time, 8)},
            {"usable", h_.usable},
            {"numRecords", h_.numRecords},
            {"numItems", h_.numItems},
            {"numCommonItems", h_.numCommonItems},
            {"numValueNames", h_.numValueNames},
            {"numCommonValueNames", h_.commonValueNames},
            {"valueAreaSize", h_.valueAreaSize},
            {"commonValueBytes", h_.commonValueBytes},
            {"recTypeStart", h_.recTypeStart},
            {"recTypeLen", h_.recTypeLen},
            {"maxRecordLength", h_.maxRecordLength},
            {"recordTableOffset", h_.recordTableOffset},
            {"itemTableOffset", h_.itemTableOffset},
            {"valueNameTableOffset", h_.valueNameTableOffset},
            {"valueAreaOffset", h_.valueAreaOffset}};
  }

  bool AddRecord(int index, LayoutSink& out, std::string& error) {
    dd::RecordEntry e;
    dd::DecodeRecord(At(h_.recordTableOffset + uint64_t(index) * dd::kRecordEntrySize), e);
    if (!dd::RangeFits(e.firstItem, e.numItems, h_.numItems)) {
      error = "record " + std::to_string(index) + ": its items lie outside the item table";
      return false;
    }
    if (!budget_.ClaimItems(e.numItems)) {
      error = "record " + std::to_string(index) + ": more items are claimed than the item table holds";
      return false;
    }
    out.BeginRecord({{"index", index},
                     {"name", Name(e.name)},
                     {"recTypeValue", Text(e.recType, dd::kRecTypeFieldSize)},
                     {"required", e.required},
                     {"maxOccurs", e.maxOccurs},
                     {"numItems", e.numItems},
                     {"firstItem", e.firstItem}});
    for (int i = 0; i < e.numItems && out.Good(); ++i) {
      if (!AddItem(e.firstItem + i, out, error)) return false;
    }
    out.EndRecord();
    return true;
  }

  bool AddItem(int index, LayoutSink& out, std::string& error) {
    dd::ItemEntry e;
    dd::DecodeItem(At(h_.itemTableOffset + uint64_t(index) * dd::kItemEntrySize), e);
    const std::string where = "item " + std::to_string(index);
    if (!dd::RangeFits(e.firstValueName, e.numValueNames, h_.numValueNames)) {
      error = where + ": its value names lie outside the value-name table";
      return false;
    }
    if (!budget_.ClaimValueNames(e.numValueNames)) {
      error = where + ": more value names are claimed than the value-name table holds";
      return false;
    }
    ordered_json names = ordered_json::array();
    for (int v = 0; v < e.numValueNames; ++v) {
      const int vi = e.firstValueName + v;
      dd::ValueNameEntry n;
      dd::DecodeValueName(At(h_.valueNameTableOffset + uint64_t(vi) * dd::kValueNameEntrySize), n);
      if (std::string why = dd::CheckPairs(n, e.length, h_.valueAreaSize); !why.empty()) {
        error = where + ", value name " + std::to_string(vi) + ": " + why;
        return false;
      }
      if (!budget_.ClaimValueBytes(2ull * e.length * n.numPairs)) {
        error = where + ", value name " + std::to_string(vi) + ": more value pairs are claimed than the value area holds";
        return false;
      }
      ordered_json pairs = ordered_json::array();
      for (int k = 0; k < n.numPairs; ++k) {
        const char* text = reinterpret_cast<const char*>(At(h_.valueAreaOffset + n.valueOffset + 2ull * e.length * k));
        pairs.push_back({{"from", Text(text, e.length)}, {"to", Text(text + e.length, e.length)}});
      }
      names.push_back({{"index", vi},
                       {"name", Name(n.name)},
                       {"valueOffset", n.valueOffset},
                       {"numPairs", n.numPairs},
                       {"pairs", pairs}});
    }
    out.Item({{"index", index},
              {"name", Name(e.name)},
              {"start", e.start},
              {"length", e.length},
              {"dataType", e.dataType},
              {"decimals", e.decimals},
              {"occurs", e.occurs},
              {"itemType", e.itemType},
              {"numValueNames", e.numValueNames},
              {"firstValueName", e.firstValueName},
              {"valueNames", names}});
    return true;
  }

  const std::string& bytes_;
  dd::Header h_;
  dd::ClaimBudget budget_{0, 0, 0};
};

// A text of the file, quoted as a terminal may show it (the header's texts are shown as
// JSON strings, escaped).
std::string Quoted(const ordered_json& text) { return "\"" + VisibleText(text.get<std::string>()) + "\""; }

class TextSink : public LayoutSink {
 public:
  TextSink(const std::string& shown, std::ostream& out) : shown_(shown), out_(out) {}

  void Begin(size_t fileSize, const ordered_json& header) override {
    out_ << "ORVA 3.1 dictionary " << shown_ << " (" << fileSize << " bytes)\n";
    for (const auto& [key, value] : header.items()) out_ << "  " << key << ": " << value << "\n";
  }
  void BeginCommon() override { out_ << "COMMON\n"; }
  void BeginRecord(const ordered_json& r) override {
    out_ << "record " << r["index"] << " " << Quoted(r["name"]) << " type " << Quoted(r["recTypeValue"])
         << " required " << r["required"] << " max " << r["maxOccurs"] << " items " << r["numItems"] << " first "
         << r["firstItem"] << "\n";
  }
  void Item(const ordered_json& it) override {
    out_ << "  item " << it["index"] << " " << Quoted(it["name"]) << " start " << it["start"] << " length "
         << it["length"] << (it["dataType"] == 0 ? " numeric" : " alpha") << " decimals " << it["decimals"]
         << " occurs " << it["occurs"] << (it["itemType"] == 0 ? " item" : " subitem") << " value names "
         << it["numValueNames"] << " first " << it["firstValueName"] << "\n";
    for (const auto& v : it["valueNames"]) {
      out_ << "    value name " << v["index"] << " " << Quoted(v["name"]) << " offset " << v["valueOffset"]
           << " pairs " << v["numPairs"] << "\n";
      for (const auto& p : v["pairs"]) out_ << "      " << Quoted(p["from"]) << " .. " << Quoted(p["to"]) << "\n";
    }
  }
  bool Good() const override { return static_cast<bool>(out_); }

 private:
  const std::string& shown_;
  std::ostream& out_;
};

// {"file", "size", "header", "common": {"items"}, "records": [{..., "items"}]}
class JsonSink : public LayoutSink {
 public:
  JsonSink(const std::string& shown, std::ostream& out) : shown_(shown), w_(out) {}

  void Begin(size_t fileSize, const ordered_json& header) override {
    w_.BeginObject();
    w_.Field("file", shown_);
    w_.Field("size", fileSize);
    w_.Field("header", header);
  }
  void BeginCommon() override {
    w_.Key("common");
    w_.BeginObject();
    w_.Key("items");
    w_.BeginArray();
  }
  void EndCommon() override {
    w_.EndArray();
    w_.EndObject();
    w_.Key("records");
    w_.BeginArray();
  }
  void BeginRecord(const ordered_json& record) override {
    w_.BeginObject();
    w_.Fields(record);
    w_.Key("items");
    w_.BeginArray();
  }
  void EndRecord() override {
    w_.EndArray();
    w_.EndObject();
  }
  void Item(const ordered_json& item) override { w_.Value(item); }
  void End() override {
    w_.EndArray();
    w_.EndObject();
    w_.Finish();
  }
  bool Good() const override { return w_.Good(); }

 private:
  const std::string& shown_;
  CJsonStreamWriter w_;
};

}  // namespace

bool InspectOrva31(const std::string& path, const std::string& shown, bool json, std::ostream& out,
                   std::string& error) {
  std::string bytes;
  if (!ReadWholeFile(path, bytes, &error)) return false;
  // The whole file is checked before a byte is written: a file that turns out broken
  // half-way shows nothing.
  LayoutSink check;
  if (!LayoutReader(bytes).Read(check, error)) {
    error = "ORVA 3.1 dictionary " + shown + " cannot be inspected: " + error;
    return false;
  }
  std::unique_ptr<LayoutSink> sink;
  if (json) {
    sink = std::make_unique<JsonSink>(shown, out);
  } else {
    sink = std::make_unique<TextSink>(shown, out);
  }
  return LayoutReader(bytes).Read(*sink, error);
}

bool InspectOrva31(const std::string& path, bool json, std::ostream& out, std::string& error) {
  return InspectOrva31(path, path, json, out, error);
}
