#pragma once
// The ORVA 3.1 binary dictionary (.dd): byte layout, entry structures and their explicit
// little-endian (de)serialisation. Nothing here overlays structs on file bytes, so the
// layout is the same on every host.
//
// A file is five consecutive areas: a 512-byte header, the record table (45 bytes an
// entry), the item table (39), the value-name table (23) and the value area (plain
// bytes). Positions inside a data record are 0-based; -1 in an i16 index means none.
#include <cstddef>
#include <cstdint>
#include <string>

namespace dd {

// ---- Sizes ----
constexpr int kHeaderSize = 512;
constexpr int kHeaderKeptSize = 82;  // the significant part of the header
constexpr int kRecordEntrySize = 45;
constexpr int kItemEntrySize = 39;
constexpr int kValueNameEntrySize = 23;
constexpr int kNameFieldSize = 17;  // 16 characters padded with blanks, then a NUL
constexpr int kNameLength = 16;
constexpr int kRecTypeFieldSize = 16;
constexpr int kRecTypeWritten = 12;  // bytes of the record type field a writer fills
constexpr int kMaxValueLength = 15;  // only items this long or shorter carry values
constexpr uint16_t kNoValueOffset = 0xFFFF;

constexpr char kMagic[] = "ORVADDF ";            // 8 bytes
constexpr char kVersion[] = "VERSION 2.0 ";      // 12 bytes
constexpr char kOldVersionMagic[] = "DDP00010";  // an older package's dictionary

// ---- Header fields (byte offsets in the header block) ----
namespace hdr {
constexpr int kMagic = 0;             // 8 bytes
constexpr int kVersion = 8;           // 12 bytes
constexpr int kDate = 20;             // 8 bytes
constexpr int kTime = 28;             // 8 bytes
constexpr int kUsable = 36;           // i16
constexpr int kNumRecords = 38;       // i16, COMMON not included
constexpr int kNumItems = 40;         // i16, COMMON items included
constexpr int kNumCommonItems = 42;   // i16
constexpr int kNumValueNames = 44;    // i16, COMMON's included
constexpr int kRecTypeStart = 46;     // i16, 0-based, -1 none
constexpr int kRecTypeLen = 48;       // i16, -1 none
constexpr int kMaxRecordLength = 50;  // i16
constexpr int kValueAreaSize = 60;    // u16
constexpr int kCommonValueBytes = 62;  // u16
constexpr int kCommonValueNames = 64;  // i16
constexpr int kRecordTableOffset = 66;     // u32
constexpr int kItemTableOffset = 70;       // u32
constexpr int kValueNameTableOffset = 74;  // u32
constexpr int kValueAreaOffset = 78;       // u32
}  // namespace hdr

// ---- Record entry fields ----
namespace rec {
constexpr int kName = 0;       // 17-byte name field
constexpr int kRecType = 17;   // 16 bytes, ended by the first NUL
constexpr int kRequired = 33;  // i16
constexpr int kMaxOccurs = 35;  // i16
constexpr int kNumItems = 37;  // i16, subitems included
constexpr int kFirstItem = 39;  // i16, item-table index
}  // namespace rec

// ---- Item entry fields ----
namespace item {
constexpr int kName = 0;
constexpr int kStart = 17;     // i16, 0-based
constexpr int kLength = 19;    // i16
constexpr int kDataType = 21;  // i16: 0 numeric, 1 alphanumeric
constexpr int kDecimals = 23;  // i16
constexpr int kOccurs = 25;    // i16
constexpr int kItemType = 27;  // i16: 0 item, 1 subitem
constexpr int kNumValueNames = 31;   // i16
constexpr int kFirstValueName = 33;  // i16, value-name-table index, -1 none
}  // namespace item

// ---- Value-name entry fields ----
namespace vname {
constexpr int kName = 0;
constexpr int kValueOffset = 17;  // u16, offset in the value area, 0xFFFF none
constexpr int kNumPairs = 19;     // i16
}  // namespace vname

// ---- Little-endian access ----
inline int16_t GetI16(const uint8_t* p) { return static_cast<int16_t>(p[0] | (p[1] << 8)); }
inline uint16_t GetU16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
inline uint32_t GetU32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
         (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}
inline void PutU16(uint8_t* p, uint16_t v) {
  p[0] = static_cast<uint8_t>(v & 0xFF);
  p[1] = static_cast<uint8_t>(v >> 8);
}
inline void PutI16(uint8_t* p, int v) { PutU16(p, static_cast<uint16_t>(static_cast<int16_t>(v))); }
inline void PutU32(uint8_t* p, uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<uint8_t>((v >> (8 * i)) & 0xFF);
}

// ---- Entries as the program holds them ----
// Name fields keep the 16 stored bytes and always end with a NUL of their own.

struct Header {
  char magic[9] = {};
  char version[13] = {};
  char date[9] = {};
  char time[9] = {};
  int usable = 0;
  int numRecords = 0;
  int numItems = 0;
  int numCommonItems = 0;
  int numValueNames = 0;
  int recTypeStart = -1;
  int recTypeLen = -1;
  int maxRecordLength = 0;
  unsigned valueAreaSize = 0;
  unsigned commonValueBytes = 0;
  int commonValueNames = 0;
  uint32_t recordTableOffset = 0;
  uint32_t itemTableOffset = 0;
  uint32_t valueNameTableOffset = 0;
  uint32_t valueAreaOffset = 0;
};

struct RecordEntry {
  char name[kNameFieldSize] = {};
  char recType[kRecTypeFieldSize] = {};  // the raw field; the value ends at its first NUL
  int required = 0;
  int maxOccurs = 0;
  int numItems = 0;
  int firstItem = 0;
};

struct ItemEntry {
  char name[kNameFieldSize] = {};
  int start = 0;
  int length = 0;
  int dataType = 0;
  int decimals = 0;
  int occurs = 0;
  int itemType = 0;
  int numValueNames = 0;
  int firstValueName = -1;
};

struct ValueNameEntry {
  char name[kNameFieldSize] = {};
  unsigned valueOffset = kNoValueOffset;
  int numPairs = 0;
};

// Decoding reads exactly the entry's size from p; encoding writes exactly that size, with
// zero in every field that is not significant. EncodeHeader writes all 512 bytes.
void DecodeHeader(const uint8_t* p, Header& h);
void EncodeHeader(const Header& h, uint8_t* p);
void DecodeRecord(const uint8_t* p, RecordEntry& e);
void EncodeRecord(const RecordEntry& e, uint8_t* p);
void DecodeItem(const uint8_t* p, ItemEntry& e);
void EncodeItem(const ItemEntry& e, uint8_t* p);
void DecodeValueName(const uint8_t* p, ValueNameEntry& e);
void EncodeValueName(const ValueNameEntry& e, uint8_t* p);

// ---- Consistency ----
// Why a header cannot describe a readable file of fileSize bytes (counts negative or
// beyond their totals, a table or the value area outside the file), or empty when it can.
std::string CheckHeaderLayout(const Header& h, uint64_t fileSize);
// True when count entries from first lie inside a table of total entries; a count of 0
// needs no place at all. Negative counts never fit.
bool RangeFits(int first, int count, int total);
// Why the pairs of a value name cannot be read (item length outside 1..15 while pairs are
// claimed, pairs outside the value area), or empty when they can.
std::string CheckPairs(const ValueNameEntry& v, int itemLength, unsigned valueAreaSize);

// In a sound file every item, value name and value byte belongs to exactly one owner, so a
// walk of the whole dictionary never claims more than the header's totals. Ranges that
// overlap (records sharing items, items sharing value names) exhaust the budget; readers
// stop there instead of multiplying the file's content.
class ClaimBudget {
 public:
  ClaimBudget(int items, int valueNames, uint64_t valueBytes)
      : items_(items), valueNames_(valueNames), valueBytes_(valueBytes) {}
  bool ClaimItems(int count) { return Claim(items_, count); }
  bool ClaimValueNames(int count) { return Claim(valueNames_, count); }
  bool ClaimValueBytes(uint64_t bytes) {
    if (bytes > valueBytes_) return false;
    valueBytes_ -= bytes;
    return true;
  }

 private:
  static bool Claim(int& left, int count) {
    if (count < 0 || count > left) return false;
    left -= count;
    return true;
  }
  int items_, valueNames_;
  uint64_t valueBytes_;
};

}  // namespace dd
