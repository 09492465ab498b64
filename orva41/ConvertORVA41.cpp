// ORVA 4.1 text dictionary (.ddw) to Travo dictionary: the file and dictionary level, the
// conversion (read, validate, save) and the read-only load for inspect and compare.
#include <algorithm>
#include <climits>

#include "libs/dict/DataDict.h"
#include "libs/util/FileNames.h"
#include "libs/util/ProgressDlg.h"
#include "libs/util/SpecFile.h"
#include "orva41/ORVA41Lines.h"
#include "orva41/ORVA41Reader.h"
#include "orva41/Orva41Messages.h"
#include "res/ConverterStrings.h"
#include "res/StringTable.h"

namespace orva41 {

namespace {

constexpr const char* kVersion = "ORVA 4.1";

// The progress bar counts in units of 100 bytes of the input.
int ProgressUnits(long bytes) { return static_cast<int>(std::min<long>(bytes / 100, INT_MAX)); }

// The file name without folder and extension, made a valid name. The extension is cut
// from the file name, not the path, so that a dot in a folder name does not count.
CVornString DefaultDictName(const std::string& path) {
  std::string base = FileNamePart(path);
  size_t dot = base.find_last_of('.');
  if (dot != std::string::npos) base.resize(dot);
  CVornString name(base);
  name.MakeUpper();
  name.MakeName();
  return name;
}

void SetDictDefaults(CDataDict& dict, const std::string& path, const CVornString& name) {
  dict.SetLabel(FileNamePart(path));
  dict.SetName(name);
  dict.SetNote("");
  dict.SetRecTypeStart(0);
  dict.SetRecTypeLen(0);
  dict.SetPosRelative(false);
  dict.SetZeroFill(true);
  dict.SetDecChar(false);
}

bool ApplyDictCommand(CDataDict& dict, const CVornString& command, const CVornString& argument) {
  if (ApplyLabelNameOrNote(dict, command, argument)) return true;
  if (IsCommand(command, "RecordTypeStart")) {
    dict.SetRecTypeStart(ReadNumber(argument));
  } else if (IsCommand(command, "RecordTypeLen")) {
    dict.SetRecTypeLen(ReadNumber(argument));
  } else if (!IsCommand(command, "QuestId")) {
    return false;
  }
  return true;
}

// The one level of a converted dictionary, made by the first common or record section.
CDictLevel* QuestLevel(CDataDict& dict) {
  if (dict.GetNumLevels() == 0) {
    CDictLevel level;
    level.SetLabel(LoadResString(218));
    level.SetName(LoadResString(219));
    dict.AddLevel(&level);
  }
  return dict.GetLevel(0);
}

void OpenProgress(CProgressDlg& progress, long fileLength) {
  progress.Create();
  progress.SetWindowText(LoadResString(IDS_APP_TITLE));
  progress.SetRange(0, std::max(1, ProgressUnits(fileLength)));
  progress.SetStep(1);
  progress.SetStatus(IDS_CONVERTING);
}

// Moves the bar to where the reading stands; true when the user pressed Cancel.
bool SectionRead(CProgressDlg* progress, const CSpecFile& file) {
  if (!progress) return false;
  progress->SetPos(ProgressUnits(file.GetPosition()));
  return progress->CheckCancelButton();
}

// Reports how a reading ended when it ended before the end of the file, and hands on its
// outcome.
Orva41ReadResult Ended(Orva41ReadResult result, FormatContext& context, const InputFile& input,
                       const std::string& why = {}) {
  if (std::optional<Message> message = ReadEndMessage(result, input.shown, why)) context.reporter.Report(*message);
  return result;
}

}  // namespace

Orva41ReadResult ReadDictionary(const InputFile& input, FormatContext& context, CDataDict& dict,
                                CProgressDlg* progress) {
  CSpecFile file(0);
  if (!file.Open(input.path, 0)) return Ended(Orva41ReadResult::CannotOpen, context, input, file.GetOpenError());
  // The dictionary is named after the file read, whatever its extension.
  const CVornString defaultName = DefaultDictName(input.path);
  if (progress) OpenProgress(*progress, file.GetLength());

  CVornString command, argument;
  while (file.GetLine(command, argument, true) == 0) {
    if (!IsSectionLine(command)) {
      if (!ApplyDictCommand(dict, command, argument))
        ReportUnknownCommand(context.reporter, file, command, argument, "=");
    } else if (IsCommand(command, "[Dictionary]")) {
      if (!file.IsVersionOK(kVersion)) {
        if (progress) progress->DestroyWindow();
        return Ended(Orva41ReadResult::WrongVersion, context, input);
      }
      SetDictDefaults(dict, input.path, defaultName);
    } else if (IsCommand(command, "[Common]")) {
      ReadRecord(file, context, *QuestLevel(dict)->GetIdItemsRec(), true);
      if (SectionRead(progress, file)) return Orva41ReadResult::Cancelled;
    } else if (IsCommand(command, "[Record]")) {
      CDictLevel* level = QuestLevel(dict);
      const CDictRecord fresh;
      ReadRecord(file, context, *level->GetRecord(level->AddRecord(&fresh)), false);
      if (SectionRead(progress, file)) return Orva41ReadResult::Cancelled;
    } else {
      ReportUnknownSection(context.reporter, file, command);
      file.SkipSection();
    }
  }
  file.Close();
  dict.BuildNameList();
  return Orva41ReadResult::Read;
}

std::unique_ptr<CDataDict> LoadDictionary(const InputFile& input, FormatContext& context) {
  auto dict = std::make_unique<CDataDict>();
  CProgressDlg progress(context.reporter);
  if (ReadDictionary(input, context, *dict, context.showProgress ? &progress : nullptr) != Orva41ReadResult::Read)
    return nullptr;
  return dict;
}

ConversionResult ConvertToTravo(const ConversionRequest& request, FormatContext& context) {
  CDataDict dict;
  CProgressDlg progress(context.reporter);
  if (ReadDictionary(request.input, context, dict, context.showProgress ? &progress : nullptr) !=
      Orva41ReadResult::Read)
    return {};

  progress.SetStatus(IDS_VALIDATING);
  CDDRuleMgr rules;
  rules.SetCurrDict(&dict);
  rules.IsValid(&dict, false, true, false);  // advisory: the dictionary is saved whatever it says
  if (progress.CheckCancelButton()) return {};

  progress.SetStatus(IDS_SAVING);
  const bool saved = dict.Save(request.output);
  const ConversionResult result = saved ? DictionaryWritten(request.output, dict) : ConversionResult{};
  progress.DestroyWindow();
  context.reporter.Report(ConversionEnded(saved, dict.GetLastError()));
  return result;
}

}  // namespace orva41
