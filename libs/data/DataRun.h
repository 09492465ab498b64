#pragma once
// Writes a fixed-width data file as tables, one file per record type that has records,
// through a dictionary's DataLayout and the table writer of the format chosen.
//
// The data file is read line by line, so memory does not grow with its size. The SPSS and
// Stata writers need each table's row count before its first row: for them a first pass
// counts the lines of each record type (and how long their texts are in UTF-8), and a
// second pass writes. CSV is written in one pass.
#include <iosfwd>
#include <string>
#include <vector>

#include "libs/data/DataTables.h"
#include "libs/util/Reporter.h"

struct DataRunOptions {
  DataFormat format = DataFormat::Csv;
  std::string dataPath;  // the data file
  std::string folder;    // where the tables go; made when missing
  // Ask the reporter before an existing file is replaced (a No leaves the table out).
  bool askBeforeReplacing = true;
  bool showProgress = true;  // a progress window from the reporter, which can cancel
};

struct DataRunSummary {
  struct TableRows {
    std::string name;  // the record's name
    std::string file;  // the file written
    long rows = 0;
  };
  std::vector<TableRows> tables;   // each table written, in the dictionary's order
  long markedMissing = 0;          // numeric values written as missing (specials and blanks)
  long refusedLines = 0;           // lines left out
  std::vector<std::string> notes;  // what the format could not carry, once each
  double seconds = 0;
  bool interrupted = false;        // the progress window's Cancel was pressed
};

// Reads options.dataPath through layout and writes its tables into options.folder. Every
// problem is a line on messages (lines of unknown record types, tables that cannot be read,
// files that cannot be written, labels the format cannot carry). True when everything was
// written; false when something was left out or failed (what could be written is written,
// each file whole), or when cancelled (then nothing is written).
bool WriteDataTables(DataLayout& layout, const DataRunOptions& options, IReporter& reporter, std::ostream& messages,
                     DataRunSummary& summary);

// The summary line: "wrote 3 tables into out: HOUSING 200, PERSON 812, INCOME 355 records;
// 97 values marked missing; 0 lines refused; 0.05 s".
std::string DataSummaryLine(const DataRunSummary& summary, const std::string& folder);
