#include "vesk/VeskData.h"

#include <errno.h>
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <charconv>
#include <cstring>
#include <filesystem>
#include <memory>
#include <set>
#include <vector>

#include "libs/util/CodePage.h"
#include "libs/util/SafeFile.h"
#include "libs/util/TextTools.h"
#include "vesk/Vesk.h"
#include "vesk/VeskInspect.h"

namespace {

namespace fs = std::filesystem;

// Lines whose record type belongs to no section are named one by one up to this many;
// the rest are counted in one message.
constexpr long kNamedUnknownLines = 100;

// Reads a file line by line (LF or CRLF) through a fixed buffer; of each line it keeps at
// most `cap` bytes and passes over the rest.
class LineReader {
 public:
  explicit LineReader(int fd) : fd_(fd) {}

  // The next line without its end; false at the end of the file or on a read error.
  bool Next(std::string& line, size_t cap) {
    line.clear();
    size_t total = 0;
    char last = 0;
    bool any = false;
    for (;;) {
      if (pos_ == end_ && !Fill()) {
        if (!any) return false;
        break;
      }
      any = true;
      const char* start = buffer_ + pos_;
      const char* newline = static_cast<const char*>(std::memchr(start, '\n', end_ - pos_));
      const size_t n = newline ? static_cast<size_t>(newline - start) : end_ - pos_;
      if (n > 0) {
        const size_t room = cap > line.size() ? cap - line.size() : 0;
        line.append(start, std::min(n, room));
        total += n;
        last = start[n - 1];
      }
      pos_ += n;
      if (newline) {
        ++pos_;
        break;
      }
    }
    if (last == '\r' && total <= cap) line.pop_back();
    return true;
  }

  int Error() const { return err_; }

 private:
  bool Fill() {
    if (done_) return false;
    ssize_t n;
    do n = read(fd_, buffer_, sizeof buffer_);
    while (n < 0 && errno == EINTR);
    if (n <= 0) {
      if (n < 0) err_ = errno;
      done_ = true;
      return false;
    }
    pos_ = 0;
    end_ = static_cast<size_t>(n);
    return true;
  }

  int fd_;
  char buffer_[1 << 16];
  size_t pos_ = 0, end_ = 0;
  bool done_ = false;
  int err_ = 0;
};

void AppendCsvCell(std::string& row, const std::string& text) {
  if (text.find_first_of(",\"\r\n") == std::string::npos) {
    row += text;
    return;
  }
  row += '"';
  for (char c : text) {
    if (c == '"') row += '"';
    row += c;
  }
  row += '"';
}

std::string TrimRight(std::string s) {
  s.erase(s.find_last_not_of(' ') + 1);
  return s;
}

// A file name for a section: its name less the characters no file name may hold.
std::string FileStem(const std::string& name) {
  std::string stem;
  for (unsigned char c : name) stem += c == '/' || c < 0x20 || c == 0x7F ? '_' : static_cast<char>(c);
  if (stem.empty() || stem == "." || stem == "..") stem = "_" + stem;
  return stem;
}

struct Column {
  Vax* vax;
  short occ;
};

struct SectionOut {
  Sec* sec = nullptr;
  std::string code;  // what the record-type columns of its lines hold
  std::unique_ptr<Sex> sex;
  Lst vaxes;         // owns the variable buffers
  std::vector<Column> columns;
  uint16_t status = 0;  // the code that keeps it from being read, 0 when it is ready
  bool reported = false;
  std::string name;  // file name
  CAtomicFileWriter out;
  bool opened = false;
};

std::string StatusText(int code) {
  std::string words = DescribeBufferStatus(code);
  if (words.empty()) words = DescribeVeskStatus(code);
  if (words.empty()) words = "an unknown failure";
  return words + " (status " + std::to_string(code) + ")";
}

void Build(SectionOut& s, const Dic& dic) {
  Sec* sec = s.sec;
  const int codeLen = std::max<int>(0, dic.recTypeLen);
  s.code.assign(static_cast<size_t>(codeLen), ' ');
  for (int k = 0; k < codeLen && k < 3; ++k) s.code[static_cast<size_t>(k)] = sec->code[k];
  s.sex = std::make_unique<Sex>(sec);
  if (s.sex->status != Sex::kOk) {
    s.status = s.sex->status;
    return;
  }
  for (uint16_t i = 0; sec->vars && i < sec->vars->count; ++i) {
    Var* var = static_cast<Var*>(sec->vars->NodeAt(i)->obj);
    Vax* vax = new Vax(var, s.sex.get());
    s.vaxes.Put(var->name, vax);
    if (vax->status != Vax::kOk) {
      s.status = vax->status;
      return;
    }
    if (var->varKind != 'S') {
      for (short k = 0; k < vax->Count(); ++k) s.columns.push_back({vax, k});
    } else {
      s.columns.push_back({vax, 0});
    }
  }
}

std::string HeaderRow(const SectionOut& s) {
  std::string row = "line";
  for (const Column& c : s.columns) {
    row += ',';
    std::string name = OemToHost(c.vax->var->name);
    if (c.vax->var->varKind != 'S') name += "_" + std::to_string(c.occ + 1);
    AppendCsvCell(row, name);
  }
  return row + "\r\n";
}

bool CodedAsBlank(const Var* var) {
  return SameBits(var->missing, BLANK) || SameBits(var->notAppl, BLANK) || SameBits(var->dflt, BLANK);
}

void AppendNumber(std::string& row, Vax* vax, short occ) {
  const double value = vax->values[occ];
  if (SameBits(value, MISSING)) return void(row += "MISSING");
  if (SameBits(value, NOTAPPL)) return void(row += "NOTAPPL");
  if (SameBits(value, DEFAULT)) {
    // A blank field that neither zero fill nor a code turned into something else is empty.
    if (SameBits(vax->ReadRaw(occ), BLANK) && !vax->var->zeroFill && !CodedAsBlank(vax->var)) return;
    return void(row += "DEFAULT");
  }
  char text[512];
  const double shown = value == 0 ? 0.0 : value;  // no "-0"
  auto [end, ec] = std::to_chars(text, text + sizeof text, shown, std::chars_format::fixed,
                                 std::max<int>(0, vax->decimals));
  if (ec == std::errc()) row.append(text, end);
}

void AppendAlpha(std::string& row, Vax* vax, short occ) {
  const char* field = vax->Addr(occ);
  if (!field) return;
  AppendCsvCell(row, OemToHost(TrimRight(std::string(field, static_cast<size_t>(vax->len)))));
}

// The record of a line in occurrence 0 of the section buffer, read into the values.
void Read(SectionOut& s, const std::string& line) {
  Sex& sex = *s.sex;
  char* record = sex.Addr(0);
  const size_t length = static_cast<size_t>(sex.secLen);
  const size_t n = std::min(length, line.size());
  std::memcpy(record, line.data(), n);
  std::memset(record + n, ' ', length - n);  // a short line reads as blank beyond its end
  sex.numOcc = 0;
  sex.UpdateOcc(0);
  for (uint16_t i = 0; i < s.vaxes.count; ++i) static_cast<Vax*>(s.vaxes.NodeAt(i)->obj)->CharToDouble();
}

std::string Row(SectionOut& s, long lineNo) {
  std::string row = std::to_string(lineNo);
  for (const Column& c : s.columns) {
    row += ',';
    if (c.vax->varType == 'N')
      AppendNumber(row, c.vax, c.occ);
    else
      AppendAlpha(row, c.vax, c.occ);
  }
  return row + "\r\n";
}

}  // namespace

bool WriteVeskDataCsv(const std::string& dictionaryPath, const std::string& dataPath, const std::string& folder,
                      std::ostream& messages) {
  InitSpecialValues();
  Dic dic;
  if (std::string error; !LoadVeskFile(dictionaryPath, dic, error)) {
    messages << error << '\n';
    return false;
  }
  const uint16_t sectionCount = dic.secs ? dic.secs->count : 0;
  if (sectionCount == 0) {
    messages << "The VESK dictionary " << dictionaryPath << " has no sections: no line can be read.\n";
    return false;
  }
  if (dic.recTypeLen <= 0 && sectionCount > 1) {
    messages << "The VESK dictionary " << dictionaryPath << " has " << sectionCount
             << " sections but no record-type columns: its lines cannot be told apart.\n";
    return false;
  }

  std::error_code ec;
  const int fd = open(dataPath.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    messages << "Cannot read " << dataPath << ": " << std::strerror(errno) << ".\n";
    return false;
  }
  struct FdCloser {
    int fd;
    ~FdCloser() { close(fd); }
  } closer{fd};
  if (fs::is_directory(dataPath, ec)) {
    messages << dataPath << " is a folder, not a file.\n";
    return false;
  }

  if (fs::exists(folder, ec) && !fs::is_directory(folder, ec)) {
    messages << "Cannot write into " << folder << ": it is not a folder.\n";
    return false;
  }
  if (!fs::is_directory(folder, ec)) {
    std::string error;
    if (!MakeFolder(folder, &error)) {
      messages << error << '\n';
      return false;
    }
  }

  std::vector<std::unique_ptr<SectionOut>> sections;
  std::set<std::string> stems;
  size_t cap = 1;
  for (uint16_t i = 0; i < sectionCount; ++i) {
    auto s = std::make_unique<SectionOut>();
    s->sec = static_cast<Sec*>(dic.secs->NodeAt(i)->obj);
    Build(*s, dic);
    if (s->status == 0) cap = std::max(cap, static_cast<size_t>(s->sex->secLen));
    std::string stem = FileStem(OemToHost(std::string(s->sec->name)));
    std::string unique = stem;
    for (int k = 2; stems.count(unique); ++k) unique = stem + "_" + std::to_string(k);
    stems.insert(unique);
    s->name = (fs::path(folder) / (unique + ".csv")).string();
    sections.push_back(std::move(s));
  }
  const long codeStart = dic.recTypeLen > 0 ? dic.recTypeStart - 1L : 0;
  const long codeLen = std::max<long>(0, dic.recTypeLen);
  if (codeLen > 0) cap = std::max<size_t>(cap, static_cast<size_t>(std::max<long>(0, codeStart + codeLen)));

  bool ok = true;
  long unknown = 0;
  long lineNo = 0;
  std::string line, code(static_cast<size_t>(codeLen), ' ');
  auto reader = std::make_unique<LineReader>(fd);
  while (reader->Next(line, cap)) {
    ++lineNo;
    SectionOut* target = nullptr;
    if (codeLen == 0) {
      target = sections.front().get();
    } else {
      for (long k = 0; k < codeLen; ++k) {
        const long col = codeStart + k;
        code[static_cast<size_t>(k)] = col >= 0 && static_cast<size_t>(col) < line.size() ? line[static_cast<size_t>(col)] : ' ';
      }
      for (auto& s : sections) {
        if (s->code == code) {
          target = s.get();
          break;
        }
      }
    }
    if (!target) {
      ok = false;
      if (++unknown <= kNamedUnknownLines)
        messages << "Line " << lineNo << " of " << dataPath << ": record type \"" << VisibleText(OemToHost(code))
                 << "\" belongs to no section; the line is left out.\n";
      continue;
    }
    if (target->status != 0) {
      ok = false;
      if (!target->reported)
        messages << "Section " << VisibleText(OemToHost(std::string(target->sec->name))) << " cannot be read: "
                 << StatusText(target->status) << "; its lines are left out.\n";
      target->reported = true;
      continue;
    }
    if (!target->opened) {
      std::string error;
      if (!target->out.Open(target->name, &error)) {
        // Its lines are left out; the other sections are still written.
        messages << error << '\n';
        ok = false;
        target->status = Sex::kNoMemory;
        target->reported = true;
        continue;
      }
      target->opened = true;
      target->out.Write(HeaderRow(*target));
    }
    Read(*target, line);
    target->out.Write(Row(*target, lineNo));
  }
  if (reader->Error() != 0) {
    messages << "Cannot read " << dataPath << ": " << std::strerror(reader->Error()) << ".\n";
    for (auto& s : sections) s->out.Abandon();
    return false;
  }
  if (unknown > kNamedUnknownLines)
    messages << (unknown - kNamedUnknownLines) << " more lines of " << dataPath
             << " whose record type belongs to no section were left out.\n";
  for (auto& s : sections) {
    if (!s->opened) continue;
    std::string error;
    if (!s->out.Commit(&error)) {
      messages << error << '\n';
      ok = false;
    }
  }
  return ok;
}
