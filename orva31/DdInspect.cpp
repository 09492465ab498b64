#include "orva31/DdInspect.h"

#include <cstring>
#include <nlohmann/json.hpp>

#include "libs/util/CodePage.h"
#include "libs/util/SafeFile.h"
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

// Walks the file's tables in their hierarchy and checks every index on the way.
class LayoutReader {
 public:
  explicit LayoutReader(const std::string& bytes) : bytes_(bytes) {}

  bool Read(ordered_json& out, std::string& error) {
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
    out["size"] = bytes_.size();
    out["header"] = HeaderJson();
    ordered_json common = ordered_json::array();
    for (int i = 0; i < h_.numCommonItems; ++i) {
      if (!AddItem(i, common, error)) return false;
    }
    out["common"] = {{"items", common}};
    ordered_json records = ordered_json::array();
    for (int r = 0; r < h_.numRecords; ++r) {
      if (!AddRecord(r, records, error)) return false;
    }
    out["records"] = records;
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

  bool AddRecord(int index, ordered_json& records, std::string& error) {
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
    ordered_json items = ordered_json::array();
    for (int i = 0; i < e.numItems; ++i) {
      if (!AddItem(e.firstItem + i, items, error)) return false;
    }
    records.push_back({{"index", index},
                       {"name", Name(e.name)},
                       {"recTypeValue", Text(e.recType, dd::kRecTypeFieldSize)},
                       {"required", e.required},
                       {"maxOccurs", e.maxOccurs},
                       {"numItems", e.numItems},
                       {"firstItem", e.firstItem},
                       {"items", items}});
    return true;
  }

  bool AddItem(int index, ordered_json& items, std::string& error) {
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
    items.push_back({{"index", index},
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

std::string Quoted(const ordered_json& text) { return "\"" + text.get<std::string>() + "\""; }

void PrintItems(const ordered_json& items, std::ostream& out) {
  for (const auto& it : items) {
    out << "  item " << it["index"] << " " << Quoted(it["name"]) << " start " << it["start"] << " length "
        << it["length"] << (it["dataType"] == 0 ? " numeric" : " alpha") << " decimals " << it["decimals"]
        << " occurs " << it["occurs"] << (it["itemType"] == 0 ? " item" : " subitem") << " value names "
        << it["numValueNames"] << " first " << it["firstValueName"] << "\n";
    for (const auto& v : it["valueNames"]) {
      out << "    value name " << v["index"] << " " << Quoted(v["name"]) << " offset " << v["valueOffset"]
          << " pairs " << v["numPairs"] << "\n";
      for (const auto& p : v["pairs"]) out << "      " << Quoted(p["from"]) << " .. " << Quoted(p["to"]) << "\n";
    }
  }
}

void PrintText(const ordered_json& layout, std::ostream& out) {
  const ordered_json& h = layout["header"];
  out << "ORVA 3.1 dictionary " << layout["file"].get<std::string>() << " (" << layout["size"] << " bytes)\n";
  for (const auto& [key, value] : h.items()) out << "  " << key << ": " << value << "\n";
  out << "COMMON\n";
  PrintItems(layout["common"]["items"], out);
  for (const auto& r : layout["records"]) {
    out << "record " << r["index"] << " " << Quoted(r["name"]) << " type " << Quoted(r["recTypeValue"])
        << " required " << r["required"] << " max " << r["maxOccurs"] << " items " << r["numItems"] << " first "
        << r["firstItem"] << "\n";
    PrintItems(r["items"], out);
  }
}

}  // namespace

bool InspectOrva31(const std::string& path, bool json, std::ostream& out, std::string& error) {
  std::string bytes;
  if (!ReadWholeFile(path, bytes, &error)) return false;
  ordered_json layout;
  layout["file"] = path;
  if (!LayoutReader(bytes).Read(layout, error)) {
    error = "ORVA 3.1 dictionary " + path + " cannot be inspected: " + error;
    return false;
  }
  if (json)
    out << layout.dump(2, ' ', false, ordered_json::error_handler_t::replace) << "\n";
  else
    PrintText(layout, out);
  return true;
}
