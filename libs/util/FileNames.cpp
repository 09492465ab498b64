#include "libs/util/FileNames.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <filesystem>
#include <string>

#include "res/StringTable.h"

namespace fs = std::filesystem;

namespace {

constexpr int kInvalidPathCharsId = 151;  // "\n\nThis path name contains invalid characters."

bool IsRefusedPathChar(unsigned char c) {
  if (c < 0x20 || c == 0x7F) return true;  // NUL and the other control characters
  switch (c) {
    case '<': case '>': case '"': case '|': case '?': case '*':
      return true;
    default:
      return false;
  }
}

// Shows why a name cannot be used; always 0, the result of the check that failed.
int Refuse(IReporter& reporter, const std::string& text) {
  reporter.Report({text, MB_OK | MB_ICONEXCLAMATION});
  return 0;
}

std::string FolderPart(const std::string& fullName) {
  size_t slash = fullName.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : fullName.substr(0, slash);
}

// A name typed without extension gets the whole list ("survey.dic,wst"): say what to do.
std::string ExtensionHint(const std::string& name) {
  std::string typed = GetFileExtension(name);
  if (typed.find(',') == std::string::npos) return "";
  std::string choices;
  for (char c : typed) choices += c == ',' ? std::string(", ") : std::string(1, c);
  return "\n\nGive the name with one of the extensions " + choices + ".";
}

int CheckInput(IReporter& reporter, const std::string& name) {
  struct stat info {};
  if (stat(name.c_str(), &info) != 0) return Refuse(reporter, "File " + name + " does not exist." + ExtensionHint(name));
  if (S_ISDIR(info.st_mode)) return Refuse(reporter, name + " is a folder, not a file.");
  if (!S_ISREG(info.st_mode)) return Refuse(reporter, name + " is not a regular file.");
  if (access(name.c_str(), R_OK) != 0) return Refuse(reporter, "File " + name + " cannot be read.");
  return 1;
}

int CheckOutput(IReporter& reporter, const std::string& name, int check) {
  const std::string folder = FolderPart(VornGetFullFileName(name));
  struct stat info {};
  if (stat(folder.c_str(), &info) != 0 || !S_ISDIR(info.st_mode))
    return Refuse(reporter, "Folder " + folder + " does not exist.");
  if (access(folder.c_str(), W_OK | X_OK) != 0) return Refuse(reporter, "Folder " + folder + " is not writable.");
  if (stat(name.c_str(), &info) != 0) return 1;  // a new file
  if (S_ISDIR(info.st_mode)) return Refuse(reporter, name + " is a folder, not a file.");
  if (!S_ISREG(info.st_mode)) return Refuse(reporter, name + " is not a regular file.");
  return check == 0 ? 1 : MayReplaceFile(reporter, name);
}

}  // namespace

int IsWinFileName(const std::string& text) {
  for (char c : text)
    if (IsRefusedPathChar(static_cast<unsigned char>(c))) return 0;
  return 1;
}

CVornString VornGetFullFileName(const std::string& name) {
  if (name.empty()) return CVornString();
  fs::path path(name);
  if (path.is_relative()) {
    std::error_code ec;
    fs::path current = fs::current_path(ec);
    path = (ec ? fs::path("/") : current) / path;
  }
  std::string full = path.lexically_normal().string();
  while (full.size() > 1 && full.back() == '/') full.pop_back();
  return CVornString(full);
}

int IsVornNameUsable(IReporter& reporter, const std::string& name) {
  if (name.empty()) return Refuse(reporter, "No file name given.");
  if (!IsWinFileName(name)) return Refuse(reporter, name + LoadResString(kInvalidPathCharsId));
  return 1;
}

int IsVornFileNameOK(IReporter& reporter, int mode, const std::string& name, const std::string& /*ext*/, int check) {
  if (!IsVornNameUsable(reporter, name)) return 0;
  return mode == 1 ? CheckInput(reporter, name) : CheckOutput(reporter, name, check);
}

int MayReplaceFile(IReporter& reporter, const std::string& name) {
  struct stat info {};
  if (stat(name.c_str(), &info) != 0) return 1;
  const Message question{name + "\n\nThis file already exists.\nDo you want to replace it?", MB_YESNO | MB_ICONQUESTION};
  return reporter.Report(question) == IDYES ? 1 : 0;
}

int IsSameFile(const std::string& name, const std::string& other) {
  struct stat a {}, b {};
  if (stat(name.c_str(), &a) != 0 || stat(other.c_str(), &b) != 0) return 0;
  return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

int IsOutputApartFromInput(IReporter& reporter, const std::string& output, const std::string& input) {
  if (!IsSameFile(output, input)) return 1;
  return Refuse(reporter, output + "\n\nThis file is the input of the conversion.\nIt cannot be replaced by the output.");
}

std::string GetFileExtension(const std::string& path) {
  size_t slash = path.rfind('/');
  size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
  size_t dot = path.rfind('.');
  if (dot == std::string::npos || dot < nameStart) return "";
  return path.substr(dot + 1);
}

std::string FileNamePart(const std::string& path) {
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string PathWithoutExtension(const std::string& path) {
  const size_t slash = path.rfind('/');
  const size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
  const size_t dot = path.rfind('.');
  if (dot == std::string::npos || dot <= nameStart) return path;
  return path.substr(0, dot);
}

std::string GetLowerFileExtension(const std::string& path) {
  std::string ext = GetFileExtension(path);
  for (char& c : ext) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return ext;
}
