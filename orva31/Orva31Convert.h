#pragma once
// The ORVA 3.1 conversions and their steps: kind 0 (a .dd file into a one-level Travo
// dictionary) and kind 2 (a Travo dictionary into a .dd file). Each conversion owns the
// access layer's reader or writer it works with, and reports through its context.
#include <memory>

#include "libs/format/Format.h"

class CDataDict;
class CDictRecord;
class DdReader;
class DdWriter;
namespace dd {
class ClaimBudget;
}

namespace orva31 {

// Where a conversion into ORVA 3.1 stands: the ORVA record being filled (-1 for COMMON)
// and the index of the next item in it. The caller decides where the two are kept.
struct OrvaCursor {
  int& record;
  int& item;
};

// ---- Kind 0 ----
// The dictionary as the conversion builds it, validated, nothing written; progress is
// shown (when the context asks for it) and Cancel polled as the conversion does. Null after
// the message that says why, or on Cancel.
std::unique_ptr<CDataDict> ReadDictionary(const InputFile& input, FormatContext& context);
ConversionResult ConvertToTravo(const ConversionRequest& request, FormatContext& context);
// Reads record (-1: COMMON) of the open file into target; 0 after the message that says
// why. budget: what the file's tables have left to give; records that claim more are
// unreadable.
int ConvertRecord(DdReader& reader, FormatContext& context, int record, CDictRecord& target,
                  dd::ClaimBudget& budget);
// Removes the record items that overlap COMMON items (with their subitems), and lists them
// in one message.
void RemoveCommonOverlaps(FormatContext& context, CDataDict& dict);

// ---- Kind 2 ----
ConversionResult ConvertFromTravo(const ConversionRequest& request, FormatContext& context, OrvaCursor cursor);
// Adds a record of level (-2: the level's id items, into the cursor's record) with its
// items to the image at the cursor; 0 after the message that says why.
int ConvertTravoRecord(DdWriter& writer, FormatContext& context, OrvaCursor cursor, CDataDict& dict, int level,
                       int record);

}  // namespace orva31
