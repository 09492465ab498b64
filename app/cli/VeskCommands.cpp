// `vesk-report` (the listing of a VESK dictionary, on stdout or into a file) and
// `vesk-html` (one HTML page per form, DIR/<FORM>.HTM, linked in file order).
#include <sys/stat.h>

#include <filesystem>
#include <iostream>
#include <sstream>

#include "app/cli/CommandRunners.h"
#include "app/cli/ExitStatus.h"
#include "libs/util/SafeFile.h"
#include "vesk/Vesk.h"
#include "vesk/VeskInspect.h"

namespace fs = std::filesystem;

namespace {

// Loads path as InspectVesk does: a ".wst" extension in any case makes it a work
// dictionary. On failure says on stderr, in a sentence naming the file and the status, why.
bool LoadDictionary(const std::string& path, Dic& dic) {
  // A named pipe or a device would keep the reader waiting.
  struct stat info {};
  std::string error;
  if (stat(path.c_str(), &info) == 0 && !S_ISREG(info.st_mode)) {
    error = "Cannot load VESK dictionary " + path + ": it is not a regular file.";
  } else if (LoadVeskFile(path, dic, error)) {
    return true;
  }
  std::cerr << error << '\n';
  return false;
}

}  // namespace

int RunVeskReport(const CommandArguments& args, std::string&) {
  const std::vector<std::string>& files = args.files;
  const std::string output = args.Value("-o");
  Dic dic;
  if (!LoadDictionary(files[0], dic)) return kExitFailed;
  std::string error;
  std::ostringstream listing;
  dic.PrintDic(listing);
  if (output.empty()) {
    // A listing cut short (a full disk, a closed pipe) is not a listing written.
    if (!(std::cout << listing.str()).flush()) {
      std::cerr << "travo-convert-cli: cannot write the listing of " << files[0] << '\n';
      return kExitFailed;
    }
    return kExitWritten;
  }
  if (!WriteFileAtomically(output, listing.str(), &error)) {
    std::cerr << error << '\n';
    return kExitFailed;
  }
  return kExitWritten;
}

int RunVeskHtml(const CommandArguments& args, std::string&) {
  const std::vector<std::string>& files = args.files;
  const std::string folder = args.Value("-d");
  Dic dic;
  if (!LoadDictionary(files[0], dic)) return kExitFailed;
  std::string error;
  if (!MakeFolder(folder, &error)) {
    std::cerr << error << '\n';
    return kExitFailed;
  }
  if (!dic.forms || dic.forms->count == 0) {
    std::cerr << "VESK dictionary " << files[0] << " has no forms; no page was written.\n";
    return kExitWritten;
  }
  // The forms list is in file order, the order of the BACK and NEXT links. A form that
  // cannot be shown gets its error page; only a page that cannot be written fails.
  for (uint16_t i = 0; i < dic.forms->count; ++i) {
    Frm* frm = static_cast<Frm*>((*dic.forms)[i]);
    const std::string page = (fs::path(folder) / frm->PageFileName()).string();
    if (!frm->PrintWWW(page.c_str(), &error)) {
      std::cerr << error << '\n';
      return kExitFailed;
    }
  }
  return kExitWritten;
}
