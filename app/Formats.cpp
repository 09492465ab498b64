#include "app/Formats.h"

#include <filesystem>
#include <fstream>

#include "libs/dict/DataDict.h"
#include "libs/util/FileNames.h"
#include "libs/util/Numbers.h"
#include "orva31/Orva31Format.h"
#include "orva41/Orva41Format.h"
#include "travo/TravoDataLayout.h"
#include "travo/TravoFormat.h"
#include "veskconv/VeskFormat.h"

const std::vector<const FormatModule*>& FormatModules() {
  // The binary formats bid first: their first bytes are never text that a text format takes.
  static const std::vector<const FormatModule*> modules = {
      &Orva31Format(), &VeskDictFormat(), &VeskWorkFormat(), &Orva41Format(), &TravoDictFormat(), &TravoFormsFormat(),
  };
  return modules;
}

const FormatModule* ModuleOf(FileFormat format) {
  for (const FormatModule* module : FormatModules()) {
    if (module->format == format) return module;
  }
  return nullptr;
}

FileFormat DetectFormatOfBytes(std::string_view bytes) {
  for (const FormatModule* module : FormatModules()) {
    if (module->detect(bytes)) return module->format;
  }
  return FileFormat::Unknown;
}

FileFormat DetectFileFormat(const std::string& path) {
  // Only regular files are looked into: opening a named pipe would wait for a writer.
  std::error_code ec;
  if (!std::filesystem::is_regular_file(path, ec)) return FileFormat::Unknown;
  std::ifstream in(path, std::ios::binary);
  if (!in) return FileFormat::Unknown;
  std::string bytes(kProbeBytes, '\0');
  in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  bytes.resize(static_cast<size_t>(in.gcount()));
  return DetectFormatOfBytes(bytes);
}

FileFormat FormatFromExtension(const std::string& path) {
  const std::string ext = GetLowerFileExtension(path);
  for (const FormatModule* module : FormatModules()) {
    if (ext == module->extension) return module->format;
  }
  return FileFormat::Unknown;
}

FileFormat FormatToRead(const std::string& path) {
  const FileFormat content = DetectFileFormat(path);
  return content != FileFormat::Unknown ? content : FormatFromExtension(path);
}

bool ContentOverrulesExtension(const std::string& path) {
  const FileFormat content = DetectFileFormat(path);
  return content != FileFormat::Unknown && content != FormatFromExtension(path);
}

const char* FormatExtension(FileFormat format) {
  const FormatModule* module = ModuleOf(format);
  return module ? module->extension : "";
}

const char* FormatDescription(FileFormat format) {
  const FormatModule* module = ModuleOf(format);
  return module ? module->description : "not a dictionary";
}

namespace {

// What a module's read gives for path, without progress; null with the messages of the
// reading in error (they also go to shownTo when it is given).
template <class Result>
std::unique_ptr<Result> ReadWithModule(std::unique_ptr<Result> (*read)(const InputFile&, FormatContext&),
                                       const std::string& path, std::string& error, IReporter* shownTo) {
  CSilentReporter nobody;
  CCollectingReporter messages(shownTo ? *shownTo : nobody);
  FormatContext context{messages, ReadLocaleDecimalChar(), false};
  std::unique_ptr<Result> result = read({path, path}, context);
  if (!result) error = messages.Messages().empty() ? "cannot read " + path : messages.Text("\n");
  return result;
}

}  // namespace

std::unique_ptr<CDataDict> ReadDictionaryAs(FileFormat format, const std::string& path, std::string& error,
                                            IReporter* shownTo) {
  const FormatModule* module = ModuleOf(format);
  if (!module || !module->readDictionary) {
    error = NotADictionaryMessage(path);
    return nullptr;
  }
  return ReadWithModule(module->readDictionary, path, error, shownTo);
}

FileFormat DictionaryFormatOf(const std::string& path, std::string& error) {
  std::error_code ec;
  if (!std::filesystem::is_regular_file(path, ec)) {
    error = path + ": cannot be read (no such file, or not a regular file)";
    return FileFormat::Unknown;
  }
  // Read as its extension says, such a file could pass for an empty dictionary.
  if (error = UnknownContentOf(path); !error.empty()) return FileFormat::Unknown;
  const FileFormat format = FormatToRead(path);
  if (format == FileFormat::TravoForms) {
    error = path + ": a Travo forms file, not a dictionary";
    return FileFormat::Unknown;
  }
  return format;
}

std::unique_ptr<DataLayout> ReadDataLayoutAs(FileFormat format, const std::string& path, std::string& error,
                                             IReporter* shownTo) {
  const FormatModule* module = ModuleOf(format);
  if (!module || !module->dataLayout) {
    std::unique_ptr<CDataDict> dict = ReadDictionaryAs(format, path, error, shownTo);
    return dict ? MakeTravoDataLayout(*dict, error) : nullptr;
  }
  return ReadWithModule(module->dataLayout, path, error, shownTo);
}

std::string NotADictionaryMessage(const std::string& path) {
  return path + ": not a dictionary this tool knows (ORVA 3.1, ORVA 4.1, VESK or Travo)";
}

std::string DetectedNothingOf(const std::string& path) {
  std::error_code ec;
  if (!std::filesystem::is_regular_file(path, ec)) return {};
  if (FormatToRead(path) != FileFormat::Unknown) return {};
  return NotADictionaryMessage(path);
}

std::string UnknownContentOf(const std::string& path) {
  std::error_code ec;
  if (!std::filesystem::is_regular_file(path, ec) || DetectFileFormat(path) != FileFormat::Unknown) return {};
  return NotADictionaryMessage(path);
}
