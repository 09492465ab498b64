#pragma once
// A raw view of an ORVA 3.1 dictionary file: the header's fields, then COMMON's items and
// every record with its items (0-based starts, table indexes), value names (offsets into
// the value area) and value pairs, as text (control characters shown visibly) or JSON
// (docs/orva31.md).
#include <ostream>
#include <string>

// Writes the layout of the .dd file at path to out. False with a sentence naming the file
// and the reason in error when it cannot be read or contradicts itself.
bool InspectOrva31(const std::string& path, bool json, std::ostream& out, std::string& error);
// The same, naming the file shown (as given) where path is the one to read.
bool InspectOrva31(const std::string& path, const std::string& shown, bool json, std::ostream& out,
                   std::string& error);
