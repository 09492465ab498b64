#include "orva31/DdFormat.h"

#include <cstring>

namespace dd {

namespace {

void GetText(const uint8_t* p, size_t size, char* out) {
  std::memcpy(out, p, size);
  out[size] = '\0';
}

// A name field: the 16 stored characters; the 17th byte is the terminator and is
// written as NUL whatever the caller's buffer holds there.
void GetName(const uint8_t* p, char* out) { GetText(p, kNameLength, out); }
void PutName(const char* name, uint8_t* p) {
  std::memcpy(p, name, kNameLength);
  p[kNameLength] = 0;
}

std::string Describe(const char* what, uint64_t end, uint64_t fileSize) {
  return std::string(what) + " ends at byte " + std::to_string(end) + ", past the end of the file (" +
         std::to_string(fileSize) + " bytes)";
}

}  // namespace

void DecodeHeader(const uint8_t* p, Header& h) {
  GetText(p + hdr::kMagic, 8, h.magic);
  GetText(p + hdr::kVersion, 12, h.version);
  GetText(p + hdr::kDate, 8, h.date);
  GetText(p + hdr::kTime, 8, h.time);
  h.usable = GetI16(p + hdr::kUsable);
  h.numRecords = GetI16(p + hdr::kNumRecords);
  h.numItems = GetI16(p + hdr::kNumItems);
  h.numCommonItems = GetI16(p + hdr::kNumCommonItems);
  h.numValueNames = GetI16(p + hdr::kNumValueNames);
  h.recTypeStart = GetI16(p + hdr::kRecTypeStart);
  h.recTypeLen = GetI16(p + hdr::kRecTypeLen);
  h.maxRecordLength = GetI16(p + hdr::kMaxRecordLength);
  h.valueAreaSize = GetU16(p + hdr::kValueAreaSize);
  h.commonValueBytes = GetU16(p + hdr::kCommonValueBytes);
  h.commonValueNames = GetI16(p + hdr::kCommonValueNames);
  h.recordTableOffset = GetU32(p + hdr::kRecordTableOffset);
  h.itemTableOffset = GetU32(p + hdr::kItemTableOffset);
  h.valueNameTableOffset = GetU32(p + hdr::kValueNameTableOffset);
  h.valueAreaOffset = GetU32(p + hdr::kValueAreaOffset);
}

void EncodeHeader(const Header& h, uint8_t* p) {
  std::memset(p, 0, kHeaderSize);
  std::memcpy(p + hdr::kMagic, h.magic, 8);
  std::memcpy(p + hdr::kVersion, h.version, 12);
  std::memcpy(p + hdr::kDate, h.date, 8);
  std::memcpy(p + hdr::kTime, h.time, 8);
  PutI16(p + hdr::kUsable, h.usable);
  PutI16(p + hdr::kNumRecords, h.numRecords);
  PutI16(p + hdr::kNumItems, h.numItems);
  PutI16(p + hdr::kNumCommonItems, h.numCommonItems);
  PutI16(p + hdr::kNumValueNames, h.numValueNames);
  PutI16(p + hdr::kRecTypeStart, h.recTypeStart);
  PutI16(p + hdr::kRecTypeLen, h.recTypeLen);
  PutI16(p + hdr::kMaxRecordLength, h.maxRecordLength);
  PutU16(p + hdr::kValueAreaSize, static_cast<uint16_t>(h.valueAreaSize));
  PutU16(p + hdr::kCommonValueBytes, static_cast<uint16_t>(h.commonValueBytes));
  PutI16(p + hdr::kCommonValueNames, h.commonValueNames);
  PutU32(p + hdr::kRecordTableOffset, h.recordTableOffset);
  PutU32(p + hdr::kItemTableOffset, h.itemTableOffset);
  PutU32(p + hdr::kValueNameTableOffset, h.valueNameTableOffset);
  PutU32(p + hdr::kValueAreaOffset, h.valueAreaOffset);
}

void DecodeRecord(const uint8_t* p, RecordEntry& e) {
  GetName(p + rec::kName, e.name);
  std::memcpy(e.recType, p + rec::kRecType, kRecTypeFieldSize);
  e.required = GetI16(p + rec::kRequired);
  e.maxOccurs = GetI16(p + rec::kMaxOccurs);
  e.numItems = GetI16(p + rec::kNumItems);
  e.firstItem = GetI16(p + rec::kFirstItem);
}

void EncodeRecord(const RecordEntry& e, uint8_t* p) {
  std::memset(p, 0, kRecordEntrySize);
  PutName(e.name, p + rec::kName);
  std::memcpy(p + rec::kRecType, e.recType, kRecTypeFieldSize);
  PutI16(p + rec::kRequired, e.required);
  PutI16(p + rec::kMaxOccurs, e.maxOccurs);
  PutI16(p + rec::kNumItems, e.numItems);
  PutI16(p + rec::kFirstItem, e.firstItem);
}

void DecodeItem(const uint8_t* p, ItemEntry& e) {
  GetName(p + item::kName, e.name);
  e.start = GetI16(p + item::kStart);
  e.length = GetI16(p + item::kLength);
  e.dataType = GetI16(p + item::kDataType);
  e.decimals = GetI16(p + item::kDecimals);
  e.occurs = GetI16(p + item::kOccurs);
  e.itemType = GetI16(p + item::kItemType);
  e.numValueNames = GetI16(p + item::kNumValueNames);
  e.firstValueName = GetI16(p + item::kFirstValueName);
}

void EncodeItem(const ItemEntry& e, uint8_t* p) {
  std::memset(p, 0, kItemEntrySize);
  PutName(e.name, p + item::kName);
  PutI16(p + item::kStart, e.start);
  PutI16(p + item::kLength, e.length);
  PutI16(p + item::kDataType, e.dataType);
  PutI16(p + item::kDecimals, e.decimals);
  PutI16(p + item::kOccurs, e.occurs);
  PutI16(p + item::kItemType, e.itemType);
  PutI16(p + item::kNumValueNames, e.numValueNames);
  PutI16(p + item::kFirstValueName, e.firstValueName);
}

void DecodeValueName(const uint8_t* p, ValueNameEntry& e) {
  GetName(p + vname::kName, e.name);
  e.valueOffset = GetU16(p + vname::kValueOffset);
  e.numPairs = GetI16(p + vname::kNumPairs);
}

void EncodeValueName(const ValueNameEntry& e, uint8_t* p) {
  std::memset(p, 0, kValueNameEntrySize);
  PutName(e.name, p + vname::kName);
  PutU16(p + vname::kValueOffset, static_cast<uint16_t>(e.valueOffset));
  PutI16(p + vname::kNumPairs, e.numPairs);
}

std::string CheckHeaderLayout(const Header& h, uint64_t fileSize) {
  if (fileSize < static_cast<uint64_t>(kHeaderKeptSize)) return "the header is incomplete";
  if (h.numRecords < 0 || h.numItems < 0 || h.numValueNames < 0) return "a count in the header is negative";
  if (h.numCommonItems < 0 || h.numCommonItems > h.numItems) return "the COMMON item count is outside the item table";
  if (h.commonValueNames < 0 || h.commonValueNames > h.numValueNames)
    return "the COMMON value-name count is outside the value-name table";
  if (h.commonValueBytes > h.valueAreaSize) return "the COMMON value bytes exceed the value area";
  if (h.recTypeStart < -1 || h.recTypeLen < -1) return "the record type position is negative";
  struct Area {
    const char* what;
    uint64_t offset, size;
  };
  const Area areas[] = {
      {"the record table", h.recordTableOffset, uint64_t(h.numRecords) * kRecordEntrySize},
      {"the item table", h.itemTableOffset, uint64_t(h.numItems) * kItemEntrySize},
      {"the value-name table", h.valueNameTableOffset, uint64_t(h.numValueNames) * kValueNameEntrySize},
      {"the value area", h.valueAreaOffset, h.valueAreaSize},
  };
  for (const Area& a : areas) {
    if (a.offset + a.size > fileSize) return Describe(a.what, a.offset + a.size, fileSize);
  }
  return {};
}

bool RangeFits(int first, int count, int total) {
  if (count < 0) return false;
  if (count == 0) return true;
  return first >= 0 && static_cast<int64_t>(first) + count <= total;
}

std::string CheckPairs(const ValueNameEntry& v, int itemLength, unsigned valueAreaSize) {
  if (v.numPairs < 0) return "a negative number of value pairs";
  if (v.numPairs == 0) return {};
  if (itemLength < 1 || itemLength > kMaxValueLength)
    return "value pairs on an item of length " + std::to_string(itemLength);
  const uint64_t end = uint64_t(v.valueOffset) + uint64_t(2 * itemLength) * uint64_t(v.numPairs);
  if (end > valueAreaSize) return "value pairs outside the value area";
  return {};
}

}  // namespace dd
