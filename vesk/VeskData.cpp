#include "vesk/VeskData.h"

#include "libs/data/DataRun.h"
#include "vesk/Dic.h"
#include "vesk/VeskDataLayout.h"

bool WriteVeskDataCsv(const std::string& dictionaryPath, const std::string& dataPath, const std::string& folder,
                      std::ostream& messages) {
  std::string error;
  std::unique_ptr<DataLayout> layout = MakeVeskDataLayout(dictionaryPath, dictionaryPath, Dic::IsWorkDict(dictionaryPath.c_str()), error);
  if (!layout) {
    messages << error << '\n';
    return false;
  }
  DataRunOptions options;
  options.dataPath = dataPath;
  options.folder = folder;
  options.askBeforeReplacing = false;  // vesk-data has always replaced its CSV files
  options.showProgress = false;
  CSilentReporter nobody;
  DataRunSummary summary;
  return WriteDataTables(*layout, options, nobody, messages, summary);
}
