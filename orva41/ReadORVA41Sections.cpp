// The section readers of the ORVA 4.1 text dictionary: a common or record section with
// its items, an item with its value sets, a value set with its values, and one value.
// Each object is added empty to its parent and then read in place: the model stores deep
// copies, and copying a whole item or record once it is read costs more than reading it.
#include <initializer_list>
#include <string>

#include "libs/dict/DataDict.h"
#include "libs/util/Numbers.h"
#include "libs/util/SpecFile.h"
#include "orva41/ORVA41Lines.h"
#include "orva41/ORVA41Reader.h"
#include "orva41/Orva41Messages.h"

namespace orva41 {

namespace {

// The section lines that end a section of each kind; they are given back to the reader
// of the enclosing section.
const std::initializer_list<const char*> kRecordEnds = {"[Record]"};
const std::initializer_list<const char*> kItemEnds = {"[Item]", "[Record]"};
const std::initializer_list<const char*> kValueSetEnds = {"[ValueSet]", "[Item]", "[Record]"};

bool IsOneOf(const CVornString& section, std::initializer_list<const char*> names) {
  for (const char* name : names) {
    if (IsCommand(section, name)) return true;
  }
  return false;
}

// What a section's reader made of a command line.
enum class CommandUse { Applied, Unknown, EndsSection };

// Reads the lines of one section. Command lines go to onCommand; the line of the child
// section (when there is one) goes to onChild, which reads the child; a section line in
// ends is given back and ends the section; any other section line is reported and skipped.
template <class OnCommand, class OnChild>
void ReadSectionLines(IReporter& reporter, CSpecFile& file, std::initializer_list<const char*> ends, const char* child,
                      OnCommand onCommand, OnChild onChild) {
  CVornString command, argument;
  while (file.GetLine(command, argument, true) == 0) {
    if (!IsSectionLine(command)) {
      const CommandUse use = onCommand(command, argument);
      if (use == CommandUse::EndsSection) return;
      if (use == CommandUse::Unknown) ReportUnknownCommand(reporter, file, command, argument, " = ");
    } else if (child && IsCommand(command, child)) {
      onChild();
    } else if (IsOneOf(command, ends)) {
      file.UngetLine();
      return;
    } else {
      ReportUnknownSection(reporter, file, command);
      file.SkipSection();
    }
  }
}

CommandUse UseOf(bool applied) { return applied ? CommandUse::Applied : CommandUse::Unknown; }

// The first character of the argument, upper-cased; '\0' for an empty argument.
char FirstLetter(const CVornString& argument) {
  return argument.empty() ? '\0' : static_cast<char>(std::toupper(static_cast<unsigned char>(argument[0])));
}

CVornString MadeName(CVornString text) {
  text.MakeName();
  return text;
}

// The name an unnamed item takes when its first value set starts: the label with its
// dashes made underscores ("Head-of-household" gives "Head_of_household"). A label that
// is still no valid name that way ("Age of head") is made one by MakeName instead, so
// that no name with blanks or other strange characters reaches the dictionary.
CVornString ItemNameFromLabel(const CVornString& label) {
  CVornString name = DashesToUnderscores(label);
  CVornString upper = name;
  upper.MakeUpper();
  return MadeName(upper) == upper ? name : MadeName(label);
}

CVornString RewriteNumber(const CVornString& text, int decimals, char decimalChar) {
  char buffer[64];
  return CVornString(dtoa(atod(text.c_str(), decimals), buffer, decimals, decimalChar, 0));
}

// The old files write numeric values as typed; Travo wants them in the item's decimals
// with the user's decimal character.
void NormaliseNumericValues(CDictItem& item, char decimalChar) {
  const int decimals = item.GetDecimal();
  for (int s = 0; s < item.GetNumVSets(); ++s) {
    CDictVSet* vset = item.GetVSet(s);
    for (int v = 0; v < vset->GetNumValues(); ++v) {
      CDictValue* value = vset->GetValue(v);
      if (value->IsSpecial()) continue;
      for (int p = 0; p < value->GetNumVPairs(); ++p) {
        CDictVPair* pair = value->GetVPair(p);
        pair->SetFrom(RewriteNumber(pair->GetFrom(), decimals, decimalChar));
        if (!pair->GetTo().empty()) pair->SetTo(RewriteNumber(pair->GetTo(), decimals, decimalChar));
      }
    }
  }
}

// A value that is a single blank is how the old files write "not applicable".
void MarkNotApplicable(CDictValue& value) {
  if (value.GetNumVPairs() == 1 && value.GetVPair(0)->GetFrom().IsBlank() && !value.IsSpecial()) {
    value.SetSpecial(true);
    value.SetValueType(NotAppType);
    value.SetName("NOTAPPL");
  }
}

// Everything after the first ';' is the value's label; the range list keeps what is before.
void TakeValueLabel(CVornString& rangeList, CDictValue& value) {
  size_t semicolon = rangeList.find(';');
  if (semicolon == std::string::npos) return;
  value.SetLabel(rangeList.Mid(static_cast<int>(semicolon) + 1));
  rangeList.resize(semicolon);
}

// Index of the ':' or ',' that separates the first range from what follows, -1 when there
// is none. A leading quoted text separates nothing; an unclosed quote leaves no separator.
int FindRangeSeparator(const CVornString& rangeList) {
  size_t start = 0;
  if (!rangeList.empty() && (rangeList[0] == '"' || rangeList[0] == '\'')) {
    start = rangeList.find(rangeList[0], 1);
    if (start == std::string::npos) return -1;
  }
  size_t separator = rangeList.find_first_of(":,", start);
  return separator == std::string::npos ? -1 : static_cast<int>(separator);
}

// Reads the range list of a Value line into value's pairs. An empty range list continues
// on the next line; a line that cannot continue it (or the end of the file) ends the
// value with a message, and is given back so that it is read as what it is.
void ReadValueRanges(IReporter& reporter, CSpecFile& file, CDictValue& value, const CVornString& command,
                     const CVornString& argument) {
  CVornString rangeList = argument;
  TakeValueLabel(rangeList, value);
  for (;;) {
    const int separator = FindRangeSeparator(rangeList);
    if (separator < 0 && rangeList.empty()) {
      CVornString nextCommand, nextArgument;
      if (file.GetLine(nextCommand, nextArgument, true) != 0) {
        ReportInvalidSyntax(reporter, file, command, argument);
        return;
      }
      if (file.GetState() == CSpecFile::SF_NOCONTINUE) {
        ReportInvalidSyntax(reporter, file, nextCommand, nextArgument);
        file.UngetLine();
        return;
      }
      rangeList = nextCommand;
      rangeList.TrimLeft();
      TakeValueLabel(rangeList, value);
      continue;
    }
    CVornString from, to;
    bool done = true;
    if (separator < 0) {
      from = rangeList.GetToken(" ,");
    } else {
      char ender = '\0';
      from = rangeList.GetToken(" ,:", &ender);
      if (ender == ':') to = rangeList.GetToken(" ,");
      done = rangeList.empty();
    }
    value.AddVPair(CDictVPair(from, to));
    if (done) return;
  }
}

bool ApplyRecordCommand(CDictRecord& record, const CVornString& command, const CVornString& argument) {
  if (ApplyLabelNameOrNote(record, command, argument)) return true;
  if (IsCommand(command, "RecordTypeValue")) {
    CVornString tokens = argument;
    record.SetRecTypeVal(tokens.GetToken(" ,"));
  } else if (IsCommand(command, "RecordLen")) {
    record.SetRecLen(ReadNumber(argument));
  } else if (IsCommand(command, "Required")) {
    record.SetRequired(FirstLetter(argument) == 'Y');
  } else if (IsCommand(command, "MaxRecords")) {
    record.SetMaxRecs(ReadNumber(argument));
  } else {
    return false;
  }
  return true;
}

bool ApplyItemCommand(CDictItem& item, const CVornString& command, const CVornString& argument) {
  if (ApplyLabelNameOrNote(item, command, argument)) return true;
  if (IsCommand(command, "Start")) {
    item.SetStart(ReadNumber(argument));
  } else if (IsCommand(command, "Len")) {
    item.SetLen(ReadNumber(argument));
  } else if (IsCommand(command, "ItemType")) {
    const char type = FirstLetter(argument);
    if (type == 'I') item.SetItemType(Item);
    if (type == 'S') item.SetItemType(SubItem);
  } else if (IsCommand(command, "DataType")) {
    const char type = FirstLetter(argument);
    if (type == 'N') item.SetDataType(NumericType);
    if (type == 'A' || type == 'M') item.SetDataType(AlphaType);
  } else if (IsCommand(command, "Occurrences")) {
    item.SetOccurs(ReadNumber(argument));
  } else if (IsCommand(command, "Decimal")) {
    item.SetDecimal(ReadNumber(argument));
  } else if (!IsCommand(command, "Signed")) {
    return false;
  }
  return true;
}

bool ApplyValueSetCommand(CDictVSet& vset, const CVornString& command, const CVornString& argument) {
  if (IsCommand(command, "Label")) {
    vset.SetLabel(argument);
  } else if (IsCommand(command, "Note")) {
    AppendNote(vset, argument);
  } else if (!IsCommand(command, "Name")) {  // value set names are generated
    return false;
  }
  return true;
}

}  // namespace

void ReadRecord(CSpecFile& specFile, FormatContext& context, CDictRecord& target, bool common) {
  CDictRecord* record = &target;
  bool inSubitemRun = false;
  auto readItem = [&] {
    CDictItem fresh;
    fresh.SetZeroFill(true);
    const int index = record->AddItem(&fresh);
    CDictItem* item = record->GetItem(index);
    ReadItem(specFile, context, *item);
    if (item->GetDataType() == NumericType) NormaliseNumericValues(*item, context.decimalChar);
    // Travo has no subitems among the id items: a run of them replaces the item they
    // subdivide, and the user is told once per run.
    const bool promoted = common && item->GetItemType() == SubItem;
    if (promoted) {
      if (!inSubitemRun) {
        if (index > 0) record->RemoveItemAt(index - 1);
        context.reporter.Report(SubitemsPromoted());
      }
      item->SetItemType(Item);
    }
    inSubitemRun = promoted;
  };
  ReadSectionLines(
      context.reporter, specFile, kRecordEnds, "[Item]",
      [&](const CVornString& command, const CVornString& argument) {
        return UseOf(ApplyRecordCommand(*record, command, argument));
      },
      readItem);
  if (record->GetName().empty()) record->SetName(MadeName(record->GetLabel()));
}

void ReadItem(CSpecFile& specFile, FormatContext& context, CDictItem& target) {
  CDictItem* item = &target;
  auto readValueSet = [&] {
    CDictVSet fresh;
    fresh.SetLabel(item->GetLabel());
    if (item->GetName().empty()) item->SetName(ItemNameFromLabel(item->GetLabel()));
    fresh.SetName(item->GetName() + "_VS" + std::to_string(item->GetNumVSets() + 1));
    ReadValueSet(specFile, context, *item->GetVSet(item->AddVSet(&fresh)));
  };
  ReadSectionLines(
      context.reporter, specFile, kItemEnds, "[ValueSet]",
      [&](const CVornString& command, const CVornString& argument) {
        return UseOf(ApplyItemCommand(*item, command, argument));
      },
      readValueSet);
  if (item->GetName().empty()) item->SetName(MadeName(item->GetLabel()));
}

void ReadValueSet(CSpecFile& specFile, FormatContext& context, CDictVSet& target) {
  CDictVSet* vset = &target;
  auto onCommand = [&](const CVornString& command, const CVornString& argument) {
    if (!IsCommand(command, "Value")) return UseOf(ApplyValueSetCommand(*vset, command, argument));
    specFile.UngetLine();  // the value reader starts at its Value line
    const CDictValue fresh;
    CDictValue* value = vset->GetValue(vset->AddValue(&fresh));
    ReadValue(specFile, context, *value);
    MarkNotApplicable(*value);
    return CommandUse::Applied;
  };
  ReadSectionLines(context.reporter, specFile, kValueSetEnds, nullptr, onCommand, [] {});
}

void ReadValue(CSpecFile& specFile, FormatContext& context, CDictValue& target) {
  CDictValue* value = &target;
  bool started = false;
  auto onCommand = [&](const CVornString& command, const CVornString& argument) {
    if (IsCommand(command, "Note")) {
      AppendNote(*value, argument);
    } else if (!IsCommand(command, "Value")) {
      return CommandUse::Unknown;
    } else if (started) {  // the next value begins
      specFile.UngetLine();
      return CommandUse::EndsSection;
    } else {
      started = true;
      ReadValueRanges(context.reporter, specFile, *value, command, argument);
    }
    return CommandUse::Applied;
  };
  ReadSectionLines(context.reporter, specFile, kValueSetEnds, nullptr, onCommand, [] {});
}

}  // namespace orva41
