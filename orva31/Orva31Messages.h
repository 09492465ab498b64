#pragma once
// Every message of the ORVA 3.1 conversions, built in this one place: the access layer's
// result codes (DD_*) and the conversions' own refusals become the texts and box styles
// the user sees. Nothing here shows anything; the conversions hand the messages to their
// reporter.
#include <string>

#include "libs/util/Reporter.h"

namespace orva31 {

// ---- Reading a .dd file (into Travo) ----
// A base name (the input without its extension) too long to be taken.
Message NameTooLong(const std::string& base);
// The file could not be opened as an ORVA 3.1 dictionary: rc is the opening's DD_* code.
Message OpenFailed(int rc);
// A record, or an item (or its values), could not be read: rc is the read's DD_* code.
Message RecordUnreadable(int rc, int record);
Message ItemUnreadable(int rc, int record, int item, unsigned style);
Message SubitemsPromoted();
// The names of the items removed, as the list after the message's first line.
Message OverlapsRemoved(const std::string& names);
// How the conversion ended: saved, or not with the saving's error when it gave one.
Message ConversionEnded(bool saved, const std::string& saveError);

// ---- Writing a .dd file (from Travo) ----
Message TravoUnreadable(const std::string& input, const std::string& why);
Message MoreThanOneLevel();
// The output file could not be started: reason is the errno (EAGAIN: in use).
Message OutputNotCreated(const std::string& output, int reason);
// The image could not take an element (a DD_* code of an addition).
Message RecordNotAdded(const std::string& name);
Message ItemNotAdded(const std::string& name);
Message TooManyValueNames();
Message TooManyValues();
// The image could not be written: why names the file and the reason.
Message NotSaved(const std::string& why);
// Items that ORVA 3.1 cannot hold as they are.
Message NumericTooLong(const std::string& item);
Message DecimalCharacter(const std::string& item);
Message NameTruncated(const std::string& name);
Message ValuesNotSaved(const std::string& item);

}  // namespace orva31
