#pragma once
// The ORVA 3.1 file access layer. Reading opens one dictionary and serves its records,
// items, value names and value pairs by index through small windows onto the file, so a
// dictionary of any size is read in little memory. Writing builds a whole dictionary in
// fixed-capacity tables in memory and writes it in one pass. A DdReader holds one input
// file and a DdWriter one output image; each conversion has its own, so two conversions
// share nothing. The layer shows no messages.
//
// Result codes: 0 or more success (for additions the new element's index in its parent);
// -1 an I/O error, a file that contradicts itself, no room, or (writing) a field that does
// not fit its 16 bits; -2 an index out of range (opening: not an ORVA 3.1 dictionary);
// -3 another version; -4 marked not usable; -5 in use by another process. Record -1
// stands for COMMON everywhere.
//
// Names and texts are 8-bit OEM text as stored; every buffer is NUL-terminated.
#include <memory>
#include <string>

enum : int {
  DD_OK = 0,
  DD_IO_ERROR = -1,
  DD_NOT_FOUND = -2,  // opening: not an ORVA 3.1 dictionary
  DD_OTHER_VERSION = -3,
  DD_NOT_USABLE = -4,
  DD_IN_USE = -5,
};

// The reading windows and the image's capacities.
enum : int {
  DD_RECORD_WINDOW = 5,
  DD_ITEM_WINDOW = 50,
  DD_VALUE_NAME_WINDOW = 100,
  DD_VALUE_WINDOW = 2000,
  DD_MAX_RECORDS = 100,
  DD_MAX_ITEMS = 1000,
  DD_MAX_COMMON_ITEMS = 100,
  DD_MAX_VALUE_NAMES = 2800,
  DD_MAX_VALUE_BYTES = 20000,
};

struct DdFileInfo {
  char date[9];  // 8 characters as stored
  char time[9];
  int maxRecordLength;
  int numRecords;
  int recTypeStart;  // 0-based, -1 none
  int recTypeLen;    // -1 none
  // The totals of the file's tables, which bound a walk of the whole dictionary.
  int numItems;
  int numValueNames;
  int valueAreaSize;
};

struct DdRecordInfo {
  char name[17];           // 16 characters, blank padded
  char recTypeValue[16];   // up to 15 characters; the writer keeps the first 12 bytes
  int required;
  int maxOccurrences;
  int numItems;  // filled on reading only
};

struct DdItemInfo {
  char name[17];
  int start;  // 0-based
  int length;
  int dataType;  // 0 numeric, 1 alphanumeric
  int decimals;
  int occurrences;
  int itemType;       // 0 item, 1 subitem
  int numValueNames;  // filled on reading only
};

struct DdValueNameInfo {
  char name[17];
  int numPairs;  // filled on reading only
};

struct DdValuePair {
  char from[16];  // on reading exactly the item length (at most 15) characters
  char to[16];
};

// What a reader has loaded since it last opened a file: window loads and bytes read.
struct DdReadStats {
  long loads = 0;
  long bytesRead = 0;
};

// The reading half: one dictionary file at a time, served through small windows.
class DdReader {
 public:
  DdReader();
  ~DdReader();  // closes the file
  DdReader(const DdReader&) = delete;
  DdReader& operator=(const DdReader&) = delete;

  // Opens base + ".DD" (on a case-sensitive file system base + ".dd" next, then any letter
  // case of the extension in base's folder), as OpenFile does.
  int Open(const std::string& base, DdFileInfo* info);
  // Opens the file at path, whatever its name, takes a shared lock and checks the header.
  // Once a file was opened it stays open whatever the result, until Close.
  int OpenFile(const std::string& path, DdFileInfo* info);
  int GetRecord(int record, DdRecordInfo* info);
  int GetItem(int record, int item, DdItemInfo* info);
  int GetValueName(int record, int item, int valueName, DdValueNameInfo* info);
  int GetValue(int record, int item, int valueName, int pair, DdValuePair* value);
  int Close();
  DdReadStats ReadStats() const;

 private:
  struct State;
  std::unique_ptr<State> state_;
};

// The writing half: one image in memory, written whole into one file.
class DdWriter {
 public:
  DdWriter();
  ~DdWriter();  // discards a file Write did not complete
  DdWriter(const DdWriter&) = delete;
  DdWriter& operator=(const DdWriter&) = delete;

  // Starts writing base + ".dd" (CreateFile: path as given). The file is made in its folder
  // without a name and replaces the old one whole at Write; until then, and when anything
  // fails, an existing file stays as it was. Returns 0 or -1 (errno tells why; EAGAIN:
  // another process holds a lock on the file; WriteError gives the reason in words).
  int Create(const std::string& base);
  int CreateFile(const std::string& path);
  void New();
  void SetRecordType(int start, int length);
  int AddRecord(const DdRecordInfo* info);
  int AddItem(int record, const DdItemInfo* info);
  int AddValueName(int record, int item, const DdValueNameInfo* info);
  int AddValue(int record, int item, int valueName, const DdValuePair* value);
  // Completes the header with the 8-character date and time, writes the image and puts the
  // file in place of the old one. 0 or -1.
  int Write(const char* date, const char* time);
  // Ends writing; a file Write did not complete is discarded. Returns 0.
  int CloseOutput();
  // Why the last Create or Write failed: a sentence naming the file and the reason.
  const std::string& WriteError() const;
  // The longest record over COMMON and record, or over COMMON and every record for -1.
  int MaxRecordLength(int record) const;

 private:
  struct State;
  std::unique_ptr<State> state_;
};

// True when another process holds a lock on path that a writer would conflict with.
bool DdFileInUse(const std::string& path);
