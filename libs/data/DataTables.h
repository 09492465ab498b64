#pragma once
// A fixed-width data file seen as tables: one table per record type (a VESK section), one
// row per line of that type, one column per item occurrence. A dictionary module describes
// the tables and reads each line into cells (DataLayout); a table writer writes one table
// as CSV, SPSS .sav or Stata .dta (TableWriter); WriteDataTables (DataRun.h) drives both.
// The value rules that every writer follows are written down in docs/data.md.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "libs/util/CodePage.h"

// What a code in a value set stands for, beside an ordinary value.
enum class SpecialKind : uint8_t { None, Missing, NotAppl, Default };

// "MISSING", "NOTAPPL", "DEFAULT" (empty for None): how CSV writes a special value.
const char* SpecialWord(SpecialKind kind);

// A value label of a numeric item: one value and its text (UTF-8).
struct NumericLabel {
  double value = 0;
  std::string label;
};

// A value label of an alpha item: the value as the field holds it, trailing blanks removed.
struct TextLabel {
  std::string value;
  std::string label;
};

// A code that the dictionary marks as missing, not applicable or default, with its label.
// A range of codes (from..to) marks every value in it.
struct SpecialCode {
  SpecialKind kind = SpecialKind::None;
  double from = 0, to = 0;
  std::string label;

  // True when value is one of the codes (within rounding: a code with decimals is read
  // back through a double).
  bool Covers(double value) const {
    const double tolerance = 1e-9 * std::max(1.0, std::fabs(value));
    return value >= from - tolerance && value <= to + tolerance;
  }
};

struct DataColumn {
  std::string name;      // as the CSV header shows it: "AGE", "H_ASSET_1"
  std::string item;      // the item it reads, the same for each occurrence: "H_ASSET"
  std::string label;     // UTF-8; the item's label
  bool numeric = true;   // false: alpha (text)
  int width = 1;         // characters of the field
  int decimals = 0;      // decimals of the value
  bool decimalsWritten = false;  // the field holds the decimal point (else they are implied)
  std::vector<NumericLabel> labels;    // numeric items: single values, specials included
  std::vector<TextLabel> textLabels;   // alpha items
  std::vector<SpecialCode> specials;   // numeric items: the codes marked special
  std::vector<std::string> rangeLabels;  // labels of ranges of ordinary values ("1-20 Number of rooms")
  SpecialKind blankMeans = SpecialKind::None;  // what a blank field is, when a code says so
};

struct DataTable {
  std::string name;   // the record's (section's) name; the file is <name>.<ext>
  std::string label;  // UTF-8
  std::vector<DataColumn> columns;  // after the line number
};

// One value of a row.
struct DataCell {
  enum class Kind : uint8_t {
    Number,   // number holds the value
    Special,  // special says which; number holds the field's code when hasCode
    Blank,    // a blank numeric field that no code marks: not applicable, no value
    Text,     // text holds the alpha field, UTF-8, trailing blanks removed
  };
  Kind kind = Kind::Blank;
  SpecialKind special = SpecialKind::None;
  bool hasCode = false;
  double number = 0;
  std::string text;

  // A number as the field wrote it: digits / 10^scale, exactly (digits holds the sign).
  // Numbers made otherwise (a VESK transformation) have no digits.
  int64_t digits = 0;
  int scale = 0;
  bool hasDigits = false;

  void SetNumber(double value) {
    kind = Kind::Number;
    number = value;
    hasDigits = false;
  }
  void SetNumber(double value, int64_t fieldDigits, int fieldScale) {
    SetNumber(value);
    digits = fieldDigits;
    scale = fieldScale;
    hasDigits = true;
  }
  void SetSpecial(SpecialKind which, bool withCode, double code) {
    kind = Kind::Special;
    special = which;
    hasCode = withCode;
    number = code;
  }
  void SetBlank() { kind = Kind::Blank; }
  // An alpha field: its text from the old files' code page, trailing blanks removed.
  void SetText(std::string_view field, const OemTextDecoder& decoder);
  // True for every value that the outputs mark missing (a special value or a blank).
  bool IsMarkedMissing() const { return kind == Kind::Special || kind == Kind::Blank; }
};

// A dictionary's view of its data file: the tables, and how each line is told apart and read.
class DataLayout {
 public:
  virtual ~DataLayout() = default;

  const std::vector<DataTable>& Tables() const { return tables_; }
  // The bytes of a line that are ever looked at: the longest record and the record type.
  // The rest of a longer line is passed over.
  virtual size_t LineBytes() const = 0;
  // The table a line belongs to, or -1 when its record type belongs to none.
  virtual int TableOf(std::string_view line) const = 0;
  // The record type of a line as the data holds it, for messages.
  virtual std::string RecordTypeOf(std::string_view line) const = 0;
  // Reads line (shorter lines read as blank beyond their end) into cells, one per column
  // of the table (cells is resized to fit).
  virtual void ReadLine(int table, std::string_view line, std::vector<DataCell>& cells) = 0;
  // The same for the text columns alone (the others are left as they are), for a pass that
  // only measures the texts.
  virtual void ReadTexts(int table, std::string_view line, std::vector<DataCell>& cells) {
    ReadLine(table, line, cells);
  }
  // Why a table's lines cannot be read; empty when they can.
  virtual std::string TableProblem(int table) const {
    (void)table;
    return {};
  }
  // What messages call a table: "record", or "section" for VESK.
  virtual const char* TableWord() const { return "record"; }
  // The dictionary's label, for the file label.
  const std::string& Label() const { return label_; }
  void SetLabel(std::string label) { label_ = std::move(label); }

 protected:
  std::vector<DataTable> tables_;
  std::string label_;
};

// The outputs a data file can be written as.
enum class DataFormat { Csv, Sav, Dta };

// "csv", "sav", "dta".
const char* DataFormatExtension(DataFormat format);

// Writes one table into one file, row by row.
class TableWriter {
 public:
  virtual ~TableWriter() = default;
  // Starts the file path for table, which will get rows rows (a writer that does not need
  // the count is given -1). fileLabel is the dictionary's label. False with the reason in error.
  virtual bool Begin(const std::string& path, const DataTable& table, long rows, const std::string& fileLabel,
                     std::string& error) = 0;
  // Writes one row: the line number, then one cell per column. False once writing failed.
  virtual bool Row(long line, const std::vector<DataCell>& cells) = 0;
  // Finishes the file and gives it its name; false with the reason in error (the previous
  // file is then kept).
  virtual bool Commit(std::string& error) = 0;
  // Drops the file: the previous one is kept.
  virtual void Abandon() = 0;
  // What Begin could not carry into the file, one text per item and problem: a label cut,
  // a value label dropped, a missing code that could not be declared, a name changed.
  const std::vector<std::string>& Notes() const { return notes_; }

 protected:
  std::vector<std::string> notes_;
};

// What names a column in a note about what a format cannot carry: its item, so that the
// occurrences of one item give one note.
inline const std::string& NoteName(const DataColumn& column) { return column.item.empty() ? column.name : column.item; }

// A writer for format.
std::unique_ptr<TableWriter> MakeTableWriter(DataFormat format);
// The CSV writer; the SPSS and Stata writers (ReadStat) live in StatWriters.cpp.
std::unique_ptr<TableWriter> MakeCsvWriter();
std::unique_ptr<TableWriter> MakeSavWriter();
std::unique_ptr<TableWriter> MakeDtaWriter();
