#include "app/cli/VeskCommands.h"

#include <sys/stat.h>

#include <filesystem>
#include <iostream>
#include <sstream>

#include "libs/util/SafeFile.h"
#include "vesk/Vesk.h"
#include "vesk/VeskInspect.h"

namespace fs = std::filesystem;

namespace {

constexpr int kExitWritten = 0;
constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;

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

// Splits args into files and the value of one option (-o or -d); false with the reason
// on a usage error.
bool ParseArgs(const std::vector<std::string>& args, const std::string& option, std::vector<std::string>& files,
               std::string& value, std::string& usageError) {
  bool given = false;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (arg == option) {
      if (i + 1 >= args.size() || given) {
        usageError = given ? option + " is given twice" : option + " needs a value";
        return false;
      }
      value = args[++i];
      given = true;
    } else if (arg.size() > 1 && arg[0] == '-') {
      usageError = "unknown option '" + arg + "'";
      return false;
    } else {
      files.push_back(arg);
    }
  }
  if (given && value.empty()) {
    usageError = option + " needs a value";
    return false;
  }
  return true;
}

}  // namespace

int RunVeskReport(const std::vector<std::string>& args, std::string& usageError) {
  std::vector<std::string> files;
  std::string output;
  if (!ParseArgs(args, "-o", files, output, usageError)) return kExitUsage;
  if (files.size() != 1) {
    usageError = "vesk-report needs one DIC";
    return kExitUsage;
  }
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

int RunVeskHtml(const std::vector<std::string>& args, std::string& usageError) {
  std::vector<std::string> files;
  std::string folder;
  if (!ParseArgs(args, "-d", files, folder, usageError)) return kExitUsage;
  if (files.size() != 1 || folder.empty()) {
    usageError = "vesk-html needs one DIC and -d DIR";
    return kExitUsage;
  }
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
