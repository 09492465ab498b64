#pragma once
// Test fixtures: writes ORVA 3.1 dictionary bytes directly, with its own literal offsets,
// so the tests do not take the layout from the code under test. The bytes can be patched
// afterwards to make corrupt files.
#include <cstdint>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

struct DdValueSpec {
  std::string name;
  std::vector<std::pair<std::string, std::string>> pairs;  // padded to the item length
};

struct DdItemSpec {
  std::string name;
  int start = 0;  // 0-based
  int length = 1;
  int dataType = 0;
  int decimals = 0;
  int occurs = 1;
  int itemType = 0;
  std::vector<DdValueSpec> values = {};
};

struct DdRecordSpec {
  std::string name;
  std::string recType;  // written into the 16-byte field as given, zeros after it
  int required = 1;
  int maxOccurs = 1;
  std::vector<DdItemSpec> items = {};
};

class DdBuilder {
 public:
  std::vector<DdItemSpec> common;
  std::vector<DdRecordSpec> records;
  int recTypeStart = -1;
  int recTypeLen = -1;
  int usable = 1;
  int maxRecordLength = 0;
  std::string magic = "ORVADDF ";
  std::string version = "VERSION 2.0 ";
  std::string date = "03/14/24";
  std::string time = "09:26:53";

  // The file's bytes; the offsets below describe the last result.
  std::string Build() {
    std::vector<const DdItemSpec*> items;
    for (const auto& it : common) items.push_back(&it);
    for (const auto& r : records)
      for (const auto& it : r.items) items.push_back(&it);
    int numValueNames = 0, commonValueNames = 0, valueBytes = 0, commonValueBytes = 0;
    for (size_t i = 0; i < items.size(); ++i) {
      for (const auto& v : items[i]->values) {
        const int bytes = 2 * items[i]->length * static_cast<int>(v.pairs.size());
        ++numValueNames;
        valueBytes += bytes;
        if (i < common.size()) {
          ++commonValueNames;
          commonValueBytes += bytes;
        }
      }
    }
    recordTable = 512;
    itemTable = recordTable + 45 * records.size();
    valueNameTable = itemTable + 39 * items.size();
    valueArea = valueNameTable + 23 * numValueNames;

    std::string b(512, '\0');
    b.replace(0, 8, Fixed(magic, 8));
    b.replace(8, 12, Fixed(version, 12));
    b.replace(20, 8, Fixed(date, 8));
    b.replace(28, 8, Fixed(time, 8));
    PutI16(b, 36, usable);
    PutI16(b, 38, static_cast<int>(records.size()));
    PutI16(b, 40, static_cast<int>(items.size()));
    PutI16(b, 42, static_cast<int>(common.size()));
    PutI16(b, 44, numValueNames);
    PutI16(b, 46, recTypeStart);
    PutI16(b, 48, recTypeLen);
    PutI16(b, 50, maxRecordLength);
    PutI16(b, 60, valueBytes);
    PutI16(b, 62, commonValueBytes);
    PutI16(b, 64, commonValueNames);
    PutU32(b, 66, static_cast<uint32_t>(recordTable));
    PutU32(b, 70, static_cast<uint32_t>(itemTable));
    PutU32(b, 74, static_cast<uint32_t>(valueNameTable));
    PutU32(b, 78, static_cast<uint32_t>(valueArea));

    int firstItem = static_cast<int>(common.size());
    for (const auto& r : records) {
      std::string e(45, '\0');
      e.replace(0, 17, Name(r.name));
      e.replace(17, std::min<size_t>(r.recType.size(), 16), r.recType.substr(0, 16));
      PutI16(e, 33, r.required);
      PutI16(e, 35, r.maxOccurs);
      PutI16(e, 37, static_cast<int>(r.items.size()));
      PutI16(e, 39, firstItem);
      firstItem += static_cast<int>(r.items.size());
      b += e;
    }
    int firstValueName = 0;
    std::string names, values;
    for (const DdItemSpec* it : items) {
      std::string e(39, '\0');
      e.replace(0, 17, Name(it->name));
      PutI16(e, 17, it->start);
      PutI16(e, 19, it->length);
      PutI16(e, 21, it->dataType);
      PutI16(e, 23, it->decimals);
      PutI16(e, 25, it->occurs);
      PutI16(e, 27, it->itemType);
      PutI16(e, 31, static_cast<int>(it->values.size()));
      PutI16(e, 33, it->values.empty() ? -1 : firstValueName);
      firstValueName += static_cast<int>(it->values.size());
      b += e;
      for (const auto& v : it->values) {
        std::string n(23, '\0');
        n.replace(0, 17, Name(v.name));
        PutI16(n, 17, v.pairs.empty() ? 0xFFFF : static_cast<int>(values.size()));
        PutI16(n, 19, static_cast<int>(v.pairs.size()));
        names += n;
        for (const auto& [from, to] : v.pairs) values += Fixed(from, it->length) + Fixed(to, it->length);
      }
    }
    return b + names + values;
  }

  bool WriteTo(const std::string& path) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    const std::string bytes = Build();
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out);
  }

  // Offsets of the last Build.
  size_t recordTable = 0, itemTable = 0, valueNameTable = 0, valueArea = 0;
  size_t RecordAt(int index) const { return recordTable + 45 * index; }
  size_t ItemAt(int tableIndex) const { return itemTable + 39 * tableIndex; }
  size_t ValueNameAt(int tableIndex) const { return valueNameTable + 23 * tableIndex; }

  static void PutI16(std::string& b, size_t offset, int v) {
    b[offset] = static_cast<char>(v & 0xFF);
    b[offset + 1] = static_cast<char>((v >> 8) & 0xFF);
  }
  static void PutU32(std::string& b, size_t offset, uint32_t v) {
    for (int i = 0; i < 4; ++i) b[offset + i] = static_cast<char>((v >> (8 * i)) & 0xFF);
  }
  static int GetI16(const std::string& b, size_t offset) {
    return static_cast<int16_t>(static_cast<uint8_t>(b[offset]) | (static_cast<uint8_t>(b[offset + 1]) << 8));
  }
  static uint32_t GetU32(const std::string& b, size_t offset) {
    uint32_t v = 0;
    for (int i = 3; i >= 0; --i) v = (v << 8) | static_cast<uint8_t>(b[offset + i]);
    return v;
  }
  // text cut or padded with blanks to exactly size bytes.
  static std::string Fixed(const std::string& text, int size) {
    std::string s = text.substr(0, size);
    s.resize(size, ' ');
    return s;
  }
  static std::string Name(const std::string& name) { return Fixed(name, 16) + std::string(1, '\0'); }
};
