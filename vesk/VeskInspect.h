#pragma once
// Shows what the library reads from a VESK dictionary (.dic) or work dictionary (.wst):
// the header and levels, every section with its variables and forms, and the keys. As
// text, or as JSON (layout in docs/vesk.md). Texts go from the OEM code page to UTF-8; the
// text form shows their control characters visibly (VisibleText).
#include <cstdint>
#include <ostream>
#include <string>

// Writes the description of path to out; on failure writes nothing, returns false and
// sets error to a sentence naming the file and the reason.
bool InspectVesk(const std::string& path, bool json, std::ostream& out, std::string& error);
// The same, naming the file shown (as given) where path is the one to read (also in error).
bool InspectVesk(const std::string& path, const std::string& shown, bool json, std::ostream& out,
                 std::string& error);
// The same, path read as a work dictionary (work) or as a dictionary with its header,
// whatever its extension says; error names the file as shown.
bool InspectVesk(const std::string& path, const std::string& shown, bool work, bool json, std::ostream& out,
                 std::string& error);

class Dic;
// Opens and loads the file exactly as named into dic (a ".wst" extension in any case makes
// it a work dictionary). False with error set to "Cannot open (or load) VESK dictionary
// PATH: words (status N)." when it cannot.
bool LoadVeskFile(const std::string& path, Dic& dic, std::string& error);
// The same as a work dictionary (work) or a dictionary with its header, whatever the
// extension says; error names the file as shown.
bool LoadVeskFile(const std::string& path, const std::string& shown, bool work, Dic& dic, std::string& error);

// What a status code of the library means, in a few English words ("" for no error).
std::string DescribeVeskStatus(int code);
