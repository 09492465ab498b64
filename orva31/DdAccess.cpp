#include "orva31/DdAccess.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <thread>

#include "libs/util/SafeFile.h"
#include "orva31/DdFormat.h"

namespace {

// Attempts and pause of an opening while another process holds a write lock.
constexpr int kLockAttempts = 8;
constexpr auto kLockPause = std::chrono::milliseconds(250);
// A value pair is served from the value window only when it starts within this many
// bytes of the window start; later pairs reload the window at the pair.
constexpr int kValueWindowServed = 1980;
constexpr int kStagingSize = 32768;

// ---- File helpers ----

// Reads up to size bytes at offset; a short count near the end of the file is no error.
bool ReadAt(int fd, uint64_t offset, uint8_t* buffer, int size, int* got) {
  int total = 0;
  while (total < size) {
    ssize_t n = pread(fd, buffer + total, size - total, static_cast<off_t>(offset + total));
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return false;
    if (n == 0) break;
    total += static_cast<int>(n);
  }
  *got = total;
  return true;
}

// Tries a whole-file advisory lock without waiting. Returns 1 when held, 0 when another
// process holds a conflicting lock, -1 when the file system offers no locks (the file is
// then used unlocked: the locks are advisory only).
int TryLock(int fd, short type) {
  struct flock fl = {};
  fl.l_type = type;
  fl.l_whence = SEEK_SET;
  while (fcntl(fd, F_SETLK, &fl) != 0) {
    if (errno == EINTR) continue;
    return (errno == EACCES || errno == EAGAIN) ? 0 : -1;
  }
  return 1;
}

bool PathExists(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0;
}

bool IsDirectory(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// base + ".DD", then base + ".dd", then any letter case of the extension in base's folder.
std::string FindInputFile(const std::string& base) {
  for (const char* ext : {".DD", ".dd"}) {
    if (PathExists(base + ext)) return base + ext;
  }
  namespace fs = std::filesystem;
  const fs::path basePath(base);
  const std::string stem = basePath.filename().string();
  const fs::path folder = basePath.has_parent_path() ? basePath.parent_path() : fs::path(".");
  std::error_code ec;
  for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
    const std::string name = it->path().filename().string();
    if (name.size() == stem.size() + 3 && name.compare(0, stem.size(), stem) == 0 && name[stem.size()] == '.' &&
        (name[stem.size() + 1] | 0x20) == 'd' && (name[stem.size() + 2] | 0x20) == 'd') {
      return (folder / name).string();
    }
  }
  return {};
}

void CopyText(char* out, size_t capacity, const char* text, size_t length) {
  length = std::min(length, capacity - 1);
  std::memcpy(out, text, length);
  out[length] = '\0';
}

// ---- Reading windows ----

// A window onto a table: the block of kCount entries that holds the last one asked for.
template <int kCount, int kEntrySize>
struct TableWindow {
  uint8_t bytes[kCount * kEntrySize];
  int first = 0;
  int entries = 0;  // entries fully loaded

  bool Holds(int index) const { return index >= first && index < first + entries; }
  const uint8_t* Entry(int index) const { return bytes + (index - first) * kEntrySize; }
  void Reset() { first = entries = 0; }
};

// Closes a file handle of the layer: 0, or -1 when closing failed.
int CloseHandle(int& fd) {
  if (fd < 0) return 0;
  const int rc = close(fd) == 0 ? 0 : -1;
  fd = -1;
  return rc;
}

// The file keeps positions, lengths and counts in 16 bits; a value outside them would be
// stored wrapped, so the writer refuses it.
bool FitsI16(long long value) { return value >= INT16_MIN && value <= INT16_MAX; }

// An item whose fields, and whose end in the data record, fit the file.
bool ItemFits(const DdItemInfo& info) {
  return FitsI16(info.start) && FitsI16(info.length) && FitsI16(info.dataType) && FitsI16(info.decimals) &&
         FitsI16(info.occurrences) && FitsI16(info.itemType) &&
         FitsI16(static_cast<long long>(info.start) + static_cast<long long>(info.length) * info.occurrences);
}

void CopyName(char* field, const char* name) {
  std::memcpy(field, name, dd::kNameLength);
  field[dd::kNameLength] = '\0';
}

// Opens a gap of one entry at position in a table of count entries.
template <typename Entry>
void OpenGap(Entry* table, int count, int position) {
  std::move_backward(table + position, table + count, table + count + 1);
}

void PutFixedText(char* field, size_t size, const char* text) {
  const size_t n = text ? strnlen(text, size) : 0;
  std::memset(field, ' ', size);
  if (n) std::memcpy(field, text, n);
  field[size] = '\0';
}

}  // namespace

// ---------------------------------------------------------------- Reading

// The open file, its checked header and the windows onto its tables.
struct DdReader::State {
  int fd = -1;
  dd::Header header;
  TableWindow<DD_RECORD_WINDOW, dd::kRecordEntrySize> records;
  TableWindow<DD_ITEM_WINDOW, dd::kItemEntrySize> items;
  TableWindow<DD_VALUE_NAME_WINDOW, dd::kValueNameEntrySize> valueNames;
  uint8_t values[DD_VALUE_WINDOW];
  int valuesFirst = 0;   // value-area offset of values[0]
  int valuesLoaded = 0;  // bytes held
  DdReadStats stats;

  template <typename Window>
  bool LoadBlock(Window& w, int index, int entrySize, int perBlock, uint64_t tableOffset) {
    const int block = index / perBlock;
    int got = 0;
    ++stats.loads;
    if (!ReadAt(fd, tableOffset + uint64_t(block) * perBlock * entrySize, w.bytes, perBlock * entrySize, &got))
      return false;
    stats.bytesRead += got;
    w.first = block * perBlock;
    w.entries = got / entrySize;
    return true;
  }

  // The entry bytes of index, loading its block when the window does not hold it.
  template <typename Window>
  const uint8_t* WindowEntry(Window& w, int index, int entrySize, int perBlock, uint64_t tableOffset) {
    if (!w.Holds(index) && !LoadBlock(w, index, entrySize, perBlock, tableOffset)) return nullptr;
    return w.Holds(index) ? w.Entry(index) : nullptr;
  }

  bool LoadValues(int position) {
    int got = 0;
    ++stats.loads;
    if (!ReadAt(fd, uint64_t(header.valueAreaOffset) + position, values, DD_VALUE_WINDOW, &got)) return false;
    stats.bytesRead += got;
    valuesFirst = position;
    valuesLoaded = got;
    return true;
  }

  bool ValueWindowServes(int position, int size) const {
    return position >= valuesFirst && position - valuesFirst < kValueWindowServed &&
           position + size <= valuesFirst + valuesLoaded;
  }

  // ---- Locating elements; every step checks its indexes and the file's own counts ----

  int LocateRecord(int record, dd::RecordEntry* entry) {
    if (fd < 0) return DD_IO_ERROR;
    if (record < -1 || record >= header.numRecords) return DD_NOT_FOUND;
    if (record == -1) {
      *entry = dd::RecordEntry{};
      entry->numItems = header.numCommonItems;
      return DD_OK;
    }
    const uint8_t* p = WindowEntry(records, record, dd::kRecordEntrySize, DD_RECORD_WINDOW, header.recordTableOffset);
    if (!p) return DD_IO_ERROR;
    dd::DecodeRecord(p, *entry);
    if (!dd::RangeFits(entry->firstItem, entry->numItems, header.numItems)) return DD_IO_ERROR;
    return DD_OK;
  }

  int LocateItem(int record, int item, dd::ItemEntry* entry) {
    dd::RecordEntry r;
    if (int rc = LocateRecord(record, &r); rc < 0) return rc;
    // COMMON's items are addressed by their table index, checked against the whole table.
    const int limit = record == -1 ? header.numItems : r.numItems;
    if (item < 0 || item >= limit) return DD_NOT_FOUND;
    const int index = record == -1 ? item : r.firstItem + item;
    const uint8_t* p = WindowEntry(items, index, dd::kItemEntrySize, DD_ITEM_WINDOW, header.itemTableOffset);
    if (!p) return DD_IO_ERROR;
    dd::DecodeItem(p, *entry);
    if (!dd::RangeFits(entry->firstValueName, entry->numValueNames, header.numValueNames)) return DD_IO_ERROR;
    return DD_OK;
  }

  int LocateValueName(int record, int item, int valueName, dd::ItemEntry* itemEntry, dd::ValueNameEntry* entry) {
    if (int rc = LocateItem(record, item, itemEntry); rc < 0) return rc;
    if (valueName < 0 || valueName >= itemEntry->numValueNames) return DD_NOT_FOUND;
    const int index = itemEntry->firstValueName + valueName;
    const uint8_t* p =
        WindowEntry(valueNames, index, dd::kValueNameEntrySize, DD_VALUE_NAME_WINDOW, header.valueNameTableOffset);
    if (!p) return DD_IO_ERROR;
    dd::DecodeValueName(p, *entry);
    if (!dd::CheckPairs(*entry, itemEntry->length, header.valueAreaSize).empty()) return DD_IO_ERROR;
    return DD_OK;
  }
};

DdReader::DdReader() : state_(std::make_unique<State>()) {}

DdReader::~DdReader() { Close(); }

int DdReader::Open(const std::string& base, DdFileInfo* info) { return OpenFile(FindInputFile(base), info); }

int DdReader::OpenFile(const std::string& path, DdFileInfo* info) {
  Close();
  State& in = *state_;
  in.stats = DdReadStats{};
  if (path.empty() || IsDirectory(path)) return DD_IO_ERROR;
  int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return DD_IO_ERROR;
  struct stat st;
  if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    close(fd);
    return DD_IO_ERROR;
  }
  // A reader shares the file with other readers but not with a writer.
  for (int attempt = 1; TryLock(fd, F_RDLCK) == 0; ++attempt) {
    if (attempt == kLockAttempts) {
      close(fd);
      return DD_IN_USE;
    }
    std::this_thread::sleep_for(kLockPause);
  }
  in.fd = fd;

  uint8_t header[dd::kHeaderSize] = {};
  int got = 0;
  if (!ReadAt(fd, 0, header, dd::kHeaderSize, &got)) return DD_IO_ERROR;
  if (std::memcmp(header, dd::kOldVersionMagic, 8) == 0) return DD_OTHER_VERSION;
  if (std::memcmp(header, dd::kMagic, 8) != 0) return DD_NOT_FOUND;
  if (std::memcmp(header + dd::hdr::kVersion, dd::kVersion, 12) != 0) return DD_OTHER_VERSION;
  // Only a header that describes this file is kept: the gets rely on its counts.
  dd::Header checked;
  dd::DecodeHeader(header, checked);
  if (checked.usable == 0) return DD_NOT_USABLE;
  if (!dd::CheckHeaderLayout(checked, static_cast<uint64_t>(st.st_size)).empty()) return DD_IO_ERROR;
  in.header = checked;

  std::memcpy(info->date, in.header.date, sizeof info->date);
  std::memcpy(info->time, in.header.time, sizeof info->time);
  info->maxRecordLength = in.header.maxRecordLength;
  info->numRecords = in.header.numRecords;
  info->recTypeStart = in.header.recTypeStart;
  info->recTypeLen = in.header.recTypeLen;
  info->numItems = in.header.numItems;
  info->numValueNames = in.header.numValueNames;
  info->valueAreaSize = static_cast<int>(in.header.valueAreaSize);

  const dd::Header& h = in.header;
  if (!in.LoadBlock(in.records, 0, dd::kRecordEntrySize, DD_RECORD_WINDOW, h.recordTableOffset) ||
      !in.LoadBlock(in.items, 0, dd::kItemEntrySize, DD_ITEM_WINDOW, h.itemTableOffset) ||
      !in.LoadBlock(in.valueNames, 0, dd::kValueNameEntrySize, DD_VALUE_NAME_WINDOW, h.valueNameTableOffset) ||
      !in.LoadValues(0))
    return DD_IO_ERROR;
  return DD_OK;
}

int DdReader::GetRecord(int record, DdRecordInfo* info) {
  dd::RecordEntry e;
  if (int rc = state_->LocateRecord(record, &e); rc < 0) return rc;
  CopyText(info->name, sizeof info->name, e.name, std::strlen(e.name));
  CopyText(info->recTypeValue, sizeof info->recTypeValue, e.recType, strnlen(e.recType, dd::kRecTypeFieldSize));
  info->required = e.required;
  info->maxOccurrences = e.maxOccurs;
  info->numItems = e.numItems;
  return DD_OK;
}

int DdReader::GetItem(int record, int item, DdItemInfo* info) {
  dd::ItemEntry e;
  if (int rc = state_->LocateItem(record, item, &e); rc < 0) return rc;
  CopyText(info->name, sizeof info->name, e.name, std::strlen(e.name));
  info->start = e.start;
  info->length = e.length;
  info->dataType = e.dataType;
  info->decimals = e.decimals;
  info->occurrences = e.occurs;
  info->itemType = e.itemType;
  info->numValueNames = e.numValueNames;
  return DD_OK;
}

int DdReader::GetValueName(int record, int item, int valueName, DdValueNameInfo* info) {
  dd::ItemEntry it;
  dd::ValueNameEntry e;
  if (int rc = state_->LocateValueName(record, item, valueName, &it, &e); rc < 0) return rc;
  CopyText(info->name, sizeof info->name, e.name, std::strlen(e.name));
  info->numPairs = e.numPairs;
  return DD_OK;
}

int DdReader::GetValue(int record, int item, int valueName, int pair, DdValuePair* value) {
  State& in = *state_;
  dd::ItemEntry it;
  dd::ValueNameEntry v;
  if (int rc = in.LocateValueName(record, item, valueName, &it, &v); rc < 0) return rc;
  if (pair < 0 || pair >= v.numPairs) return DD_NOT_FOUND;
  const int length = it.length;  // 0 to 15: checked with the value name
  const int position = static_cast<int>(v.valueOffset) + 2 * length * pair;
  if (!in.ValueWindowServes(position, 2 * length) && !in.LoadValues(position)) return DD_IO_ERROR;
  if (position + 2 * length > in.valuesFirst + in.valuesLoaded) return DD_IO_ERROR;
  const char* text = reinterpret_cast<const char*>(in.values + (position - in.valuesFirst));
  CopyText(value->from, sizeof value->from, text, length);
  CopyText(value->to, sizeof value->to, text + length, length);
  return DD_OK;
}

int DdReader::Close() {
  State& in = *state_;
  const int rc = CloseHandle(in.fd);
  in.header = dd::Header{};
  in.records.Reset();
  in.items.Reset();
  in.valueNames.Reset();
  in.valuesFirst = in.valuesLoaded = 0;
  return rc;
}

DdReadStats DdReader::ReadStats() const { return state_->stats; }

// ---------------------------------------------------------------- Writing

// The image a writer builds: fixed tables, filled by additions only.
struct DdWriter::State {
  CAtomicFileWriter file;  // the file takes its name whole at Write
  std::string error;       // why the last Create or Write failed
  dd::Header header;
  dd::RecordEntry records[DD_MAX_RECORDS + 1];  // the last one is COMMON's pseudo-entry
  dd::ItemEntry items[DD_MAX_ITEMS];
  dd::ValueNameEntry valueNames[DD_MAX_VALUE_NAMES];
  uint8_t values[DD_MAX_VALUE_BYTES];
  uint8_t staging[kStagingSize];

  dd::RecordEntry* Record(int record) {
    if (record == -1) return &records[DD_MAX_RECORDS];
    if (record < 0 || record >= header.numRecords) return nullptr;
    return &records[record];
  }

  // The item-table index of item in record, or -1 when there is no such item.
  int ItemIndex(int record, int item) {
    const dd::RecordEntry* r = Record(record);
    if (!r || item < 0 || item >= r->numItems) return -1;
    return r->firstItem + item;
  }

  // Inserts block bytes at position of the value area; the area holds size bytes.
  void OpenValueGap(int size, int position, int block) {
    std::memmove(values + position + block, values + position, size - position);
  }

  bool WriteOut(const uint8_t* bytes, size_t size) {
    return file.Write(std::string_view(reinterpret_cast<const char*>(bytes), size));
  }

  // Appends the table of count entries to the file.
  template <typename Entry>
  bool WriteTable(const Entry* entries, int count, int entrySize, void (*encode)(const Entry&, uint8_t*), int pieces) {
    int done = 0;
    for (int piece = 1; piece <= pieces; ++piece) {
      // Piece p of n ends at entry count * p / n: two pieces are the first half, then the rest.
      const int end = piece == pieces ? count : count * piece / pieces;
      for (int i = done; i < end; ++i) encode(entries[i], staging + (i - done) * entrySize);
      if (!WriteOut(staging, size_t(end - done) * entrySize)) return false;
      done = end;
    }
    return true;
  }
};

DdWriter::DdWriter() : state_(std::make_unique<State>()) {}

DdWriter::~DdWriter() { CloseOutput(); }

int DdWriter::Create(const std::string& base) { return CreateFile(base + ".dd"); }

int DdWriter::CreateFile(const std::string& path) {
  CloseOutput();
  State& out = *state_;
  // A file another process reads or writes is not replaced under it.
  if (DdFileInUse(path)) {
    out.error = "Cannot write " + path + ": it is in use.";
    errno = EAGAIN;
    return DD_IO_ERROR;
  }
  if (!out.file.Open(path, &out.error)) {
    if (errno == 0) errno = EIO;
    return DD_IO_ERROR;
  }
  return DD_OK;
}

void DdWriter::New() {
  State& out = *state_;
  out.header = dd::Header{};
  std::memcpy(out.header.magic, dd::kMagic, sizeof out.header.magic);
  std::memcpy(out.header.version, dd::kVersion, sizeof out.header.version);
  dd::RecordEntry& common = out.records[DD_MAX_RECORDS];
  common = dd::RecordEntry{};
  common.firstItem = -1;
}

void DdWriter::SetRecordType(int start, int length) {
  state_->header.recTypeStart = start;
  state_->header.recTypeLen = length;
}

int DdWriter::AddRecord(const DdRecordInfo* info) {
  State& out = *state_;
  if (out.header.numRecords >= DD_MAX_RECORDS) return DD_IO_ERROR;
  if (!FitsI16(info->required) || !FitsI16(info->maxOccurrences)) return DD_IO_ERROR;
  dd::RecordEntry& e = out.records[out.header.numRecords];
  e = dd::RecordEntry{};
  CopyName(e.name, info->name);
  std::memcpy(e.recType, info->recTypeValue, dd::kRecTypeWritten);
  e.required = info->required;
  e.maxOccurs = info->maxOccurrences;
  e.numItems = 0;
  e.firstItem = 0;
  return out.header.numRecords++;
}

int DdWriter::AddItem(int record, const DdItemInfo* info) {
  State& out = *state_;
  dd::Header& h = out.header;
  dd::RecordEntry* r = out.Record(record);
  if (!r) return DD_NOT_FOUND;
  const int limit = record == -1 ? DD_MAX_COMMON_ITEMS : DD_MAX_ITEMS;
  if (r->numItems >= limit || h.numItems >= DD_MAX_ITEMS) return DD_IO_ERROR;
  if (!ItemFits(*info)) return DD_IO_ERROR;

  if (r->numItems == 0) {
    r->firstItem = h.numItems;
    for (int next = record + 1; next < h.numRecords; ++next) {
      if (out.records[next].numItems > 0) {
        r->firstItem = out.records[next].firstItem;
        break;
      }
    }
  }
  const int position = r->firstItem + r->numItems;
  OpenGap(out.items, h.numItems, position);
  for (int later = record + 1; later < h.numRecords; ++later) {
    if (out.records[later].numItems > 0) ++out.records[later].firstItem;
  }
  dd::ItemEntry& e = out.items[position];
  e = dd::ItemEntry{};
  CopyName(e.name, info->name);
  e.start = info->start;
  e.length = info->length;
  e.dataType = info->dataType;
  e.decimals = info->decimals;
  e.occurs = info->occurrences;
  e.itemType = info->itemType;
  e.numValueNames = 0;
  e.firstValueName = -1;
  ++h.numItems;
  if (record == -1) ++h.numCommonItems;
  return r->numItems++;
}

int DdWriter::AddValueName(int record, int item, const DdValueNameInfo* info) {
  State& out = *state_;
  dd::Header& h = out.header;
  const int index = out.ItemIndex(record, item);
  if (index < 0) return DD_NOT_FOUND;
  if (h.numValueNames >= DD_MAX_VALUE_NAMES) return DD_IO_ERROR;
  dd::ItemEntry& it = out.items[index];

  if (it.numValueNames == 0) {
    it.firstValueName = h.numValueNames;
    for (int next = index + 1; next < h.numItems; ++next) {
      if (out.items[next].numValueNames > 0) {
        it.firstValueName = out.items[next].firstValueName;
        break;
      }
    }
  }
  const int position = it.firstValueName + it.numValueNames;
  OpenGap(out.valueNames, h.numValueNames, position);
  for (int later = index + 1; later < h.numItems; ++later) {
    if (out.items[later].numValueNames > 0) ++out.items[later].firstValueName;
  }
  dd::ValueNameEntry& e = out.valueNames[position];
  e = dd::ValueNameEntry{};
  CopyName(e.name, info->name);
  ++h.numValueNames;
  if (record == -1) ++h.commonValueNames;
  return it.numValueNames++;
}

int DdWriter::AddValue(int record, int item, int valueName, const DdValuePair* value) {
  State& out = *state_;
  dd::Header& h = out.header;
  const int itemIndex = out.ItemIndex(record, item);
  if (itemIndex < 0) return DD_NOT_FOUND;
  const dd::ItemEntry& it = out.items[itemIndex];
  if (valueName < 0 || valueName >= it.numValueNames) return DD_NOT_FOUND;
  const int length = it.length;
  // The pair texts hold at most 15 characters; longer items carry no values.
  if (length < 0 || length > dd::kMaxValueLength) return DD_IO_ERROR;
  const int block = 2 * length;
  if (static_cast<int>(h.valueAreaSize) + block > DD_MAX_VALUE_BYTES) return DD_IO_ERROR;

  const int index = it.firstValueName + valueName;
  dd::ValueNameEntry& v = out.valueNames[index];
  if (v.numPairs == 0) {
    v.valueOffset = h.valueAreaSize;
    for (int next = index + 1; next < h.numValueNames; ++next) {
      if (out.valueNames[next].numPairs > 0) {
        v.valueOffset = out.valueNames[next].valueOffset;
        break;
      }
    }
  }
  const int position = static_cast<int>(v.valueOffset) + block * v.numPairs;
  out.OpenValueGap(static_cast<int>(h.valueAreaSize), position, block);
  for (int later = index + 1; later < h.numValueNames; ++later) {
    if (out.valueNames[later].numPairs > 0) out.valueNames[later].valueOffset += block;
  }
  std::memcpy(out.values + position, value->from, length);
  std::memcpy(out.values + position + length, value->to, length);
  h.valueAreaSize += block;
  if (record == -1) h.commonValueBytes += block;
  return v.numPairs++;
}

int DdWriter::MaxRecordLength(int record) const {
  const State& out = *state_;
  const dd::Header& h = out.header;
  int longest = std::max(0, h.recTypeStart + h.recTypeLen);  // both -1 when there is no type
  const dd::RecordEntry& common = out.records[DD_MAX_RECORDS];
  for (int i = 0; i < common.numItems; ++i) {
    const dd::ItemEntry& e = out.items[common.firstItem + i];
    longest = std::max(longest, e.start + e.length);
  }
  for (int r = 0; r < h.numRecords; ++r) {
    if (record != -1 && r != record) continue;
    const dd::RecordEntry& entry = out.records[r];
    for (int i = 0; i < entry.numItems; ++i) {
      const dd::ItemEntry& e = out.items[entry.firstItem + i];
      longest = std::max(longest, e.start + e.length * e.occurs);
    }
  }
  return longest;
}

int DdWriter::Write(const char* date, const char* time) {
  State& out = *state_;
  if (!out.file.IsOpen()) return DD_IO_ERROR;
  dd::Header& h = out.header;
  const uint32_t itemTable = dd::kHeaderSize + uint32_t(h.numRecords) * dd::kRecordEntrySize;
  const uint32_t valueNameTable = itemTable + uint32_t(h.numItems) * dd::kItemEntrySize;
  const uint32_t valueArea = valueNameTable + uint32_t(h.numValueNames) * dd::kValueNameEntrySize;
  h.recordTableOffset = dd::kHeaderSize;
  h.itemTableOffset = itemTable;
  h.valueNameTableOffset = valueNameTable;
  h.valueAreaOffset = valueArea;
  PutFixedText(h.date, 8, date);
  PutFixedText(h.time, 8, time);
  h.maxRecordLength = MaxRecordLength(-1);
  h.usable = 1;

  dd::EncodeHeader(h, out.staging);
  // The header and the tables follow one another without gaps: written in order.
  out.WriteOut(out.staging, dd::kHeaderSize);
  out.WriteTable(out.records, h.numRecords, dd::kRecordEntrySize, dd::EncodeRecord, 1);
  out.WriteTable(out.items, h.numItems, dd::kItemEntrySize, dd::EncodeItem, 2);
  out.WriteTable(out.valueNames, h.numValueNames, dd::kValueNameEntrySize, dd::EncodeValueName, 2);
  out.WriteOut(out.values, h.valueAreaSize);
  // The file writer keeps the first failure; Commit reports it and leaves the old file.
  return out.file.Commit(&out.error) ? DD_OK : DD_IO_ERROR;
}

int DdWriter::CloseOutput() {
  state_->file.Abandon();
  return 0;
}

const std::string& DdWriter::WriteError() const { return state_->error; }

bool DdFileInUse(const std::string& path) {
  int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  struct flock fl = {};
  fl.l_type = F_WRLCK;
  fl.l_whence = SEEK_SET;
  const bool inUse = fcntl(fd, F_GETLK, &fl) == 0 && fl.l_type != F_UNLCK;
  close(fd);
  return inUse;
}
