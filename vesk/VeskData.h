#pragma once
// The records of a data file described by a VESK dictionary, as one CSV file per section
// (docs/command-line.md, vesk-data). The data is read line by line through the occurrence
// buffers and each CSV is streamed into a temporary file, so memory does not grow with the
// size of the data file.
#include <ostream>
#include <string>

// Reads dataPath, a text file of fixed-width records described by the dictionary (a
// `.wst` extension, in any case, makes it a work dictionary), and writes folder/<SECTION>.csv
// for each section that has records (the folder is made when missing). True when
// everything was written; otherwise false, with every problem as a line on messages
// (lines whose record type belongs to no section are left out, and the other files are
// still written). Texts of the files in a message have their control characters shown
// visibly (VisibleText).
bool WriteVeskDataCsv(const std::string& dictionaryPath, const std::string& dataPath, const std::string& folder,
                      std::ostream& messages);
