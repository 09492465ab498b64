#include "vesk/VeskInspect.h"

#include <cmath>
#include <cstring>
#include <nlohmann/json.hpp>
#include <sstream>
#include <vector>

#include "libs/util/CodePage.h"
#include "libs/util/JsonStream.h"
#include "libs/util/TextTools.h"
#include "vesk/Vesk.h"

namespace {

using nlohmann::ordered_json;

std::string Host(const std::string& oem) { return OemToHost(oem); }

std::string TrimmedRight(std::string s) {
  s.erase(s.find_last_not_of(" \t\r") + 1);
  return s;
}

// A code of missing, not-applicable or default values: a marker's name, a number, or
// null for bits that are no number.
ordered_json Code(double value) {
  if (SameBits(value, MISSING)) return "MISSING";
  if (SameBits(value, NOTAPPL)) return "NOTAPPL";
  if (SameBits(value, DEFAULT)) return "DEFAULT";
  if (SameBits(value, BLANK)) return "BLANK";
  if (!std::isfinite(value)) return nullptr;
  return value;
}

ordered_json Number(double value) { return std::isfinite(value) ? ordered_json(value) : ordered_json(nullptr); }

// The label lines of a run (each ended by a newline), loaded on demand.
std::vector<std::string> LabelLines(Lab* lab) {
  std::vector<std::string> lines;
  if (!lab || !lab->Load()) return lines;
  const char* p = lab->text + 2;
  const char* end = lab->text + lab->Length();
  while (p < end) {
    const char* newline = static_cast<const char*>(std::memchr(p, '\n', static_cast<size_t>(end - p)));
    if (!newline) break;
    lines.push_back(Host(TrimmedRight(std::string(p, static_cast<size_t>(newline - p)))));
    p = newline + 1;
  }
  return lines;
}

ordered_json Strings(const std::vector<std::string>& lines) {
  ordered_json out = ordered_json::array();
  for (const auto& line : lines) out.push_back(line);
  return out;
}

template <class T>
T* At(Lst* list, uint16_t pos) {
  return static_cast<T*>((*list)[pos]);
}

ordered_json VariableJson(Var* var) {
  ordered_json v;
  v["name"] = Host(var->name);
  v["start"] = var->start;
  v["length"] = var->len;
  v["type"] = Host(std::string(1, var->varType));
  v["decimals"] = var->decimals;
  v["kind"] = var->varKind == 'S' ? "single" : "multiple";
  v["occurrences"] = var->nOcc;
  v["zeroFill"] = var->zeroFill != 0;
  v["form"] = Host(var->formName);
  v["formRow"] = var->formRow;
  v["formCol"] = var->formCol;
  v["fieldMode"] = std::string(1, var->fieldMode);
  v["codes"] = {{"missing", Code(var->missing)}, {"notApplicable", Code(var->notAppl)}, {"default", Code(var->dflt)}};
  ordered_json ranges = ordered_json::array();
  for (uint16_t i = 0; var->cats && i < var->cats->count; ++i) {
    const Rng* r = At<Rng>(var->cats, i);
    ranges.push_back({Number(r->lo), Number(r->hi)});
  }
  v["ranges"] = ranges;
  ordered_json tras = ordered_json::array();
  for (uint16_t i = 0; var->tras && i < var->tras->count; ++i) {
    const Tra* t = At<Tra>(var->tras, i);
    tras.push_back({{"source", Host(t->text ? t->text : "")}, {"value", Number(t->value)}});
  }
  v["transformations"] = tras;

  // The first line is the variable's label, then value code and label pairs; a pair of
  // two empty lines ends them, as it does for the readers of the library.
  std::vector<std::string> lines = LabelLines(var->labels);
  v["label"] = lines.empty() ? "" : lines[0];
  ordered_json values = ordered_json::array();
  for (size_t i = 1; i + 1 < lines.size() && values.size() < 1000; i += 2) {
    std::string code = lines[i];
    code.erase(0, code.find_first_not_of(' '));
    if (code.empty() && lines[i + 1].empty()) break;
    values.push_back({{"code", code}, {"label", lines[i + 1]}});
  }
  v["valueLabels"] = values;
  return v;
}

ordered_json FormJson(Frm* frm) {
  ordered_json f;
  f["name"] = Host(frm->name);
  f["width"] = frm->width;
  f["lines"] = frm->nLines;
  f["fields"] = frm->nFields;
  const char* text = frm->Read(0);
  f["text"] = text ? Host(text) : "";
  f["textStatus"] = text ? (frm->status == Frm::kTextCut ? "cut" : "complete") : "unreadable";
  frm->FreeBuf();
  ordered_json vars = ordered_json::array();
  for (uint16_t i = 0; i < frm->vars->count; ++i) {
    const Var* var = At<Var>(frm->vars, i);
    vars.push_back({{"name", Host(var->name)}, {"row", var->formRow}, {"col", var->formCol}});
  }
  f["variables"] = vars;
  ordered_json cells = ordered_json::array();
  // Entry k + 1 holds occurrence k; the cells hold n + 4 entries for n occurrences.
  for (int k = 2; frm->cells && k < frm->nCellEntries - 2; ++k) {
    uint16_t cell = frm->GetCell(k);
    cells.push_back({{"row", cell >> 8}, {"col", cell & 0xFF}});
  }
  f["occurrenceOffsets"] = cells;
  return f;
}

// A section's fields before its variables and forms.
ordered_json SectionHead(Sec* sec) {
  ordered_json s;
  s["name"] = Host(sec->name);
  s["code"] = Host(TrimmedRight(sec->code));
  s["level"] = sec->level;
  s["kind"] = sec->secKind == 'M' ? "multiple" : "single";
  s["occurrences"] = {{"min", Number(sec->occ->lo)}, {"max", Number(sec->occ->hi)}};
  int32_t length = sec->CalcSecLen();
  s["length"] = length >= 0 ? ordered_json(length) : ordered_json(nullptr);
  if (sec->grp) {
    sec->grp->GLen();
    s["group"] = {{"occurrences", sec->grp->nOcc}, {"start", sec->grp->start}, {"length", sec->grp->len}};
  } else {
    s["group"] = nullptr;
  }
  s["labels"] = Strings(LabelLines(sec->labels));
  return s;
}

ordered_json KeyJson(Key* key) {
  ordered_json k;
  k["name"] = Host(key->name);
  k["type"] = key->keyType == 1 ? "main" : "secondary";
  k["flags"] = key->keyFlags;
  k["length"] = key->keyLen;
  k["recordedVariables"] = key->nVars;
  ordered_json vars = ordered_json::array();
  for (uint16_t i = 0; i < key->vars->count; ++i) vars.push_back(Host(key->vars->NodeAt(i)->name));
  k["variables"] = vars;
  k["status"] = key->status;
  return k;
}

// The dictionary's fields before its sections and keys.
ordered_json DictionaryHead(Dic& dic, const std::string& shown) {
  ordered_json d;
  d["file"] = shown;
  d["kind"] = dic.GetDicType() == Dic_eWorkDict ? "work dictionary" : "dictionary";
  d["status"] = dic.status;
  ordered_json header;
  header["name"] = Host(dic.dicName);
  header["created"] = Host(dic.created);
  header["modified"] = Host(dic.modified);
  header["recordType"] = {{"start", dic.recTypeStart}, {"length", dic.recTypeLen}};
  ordered_json levels = ordered_json::array();
  for (int i = 0; i < 4; ++i)
    if (dic.levelIdLen[i] > 0)
      levels.push_back({{"level", i + 1}, {"idStart", dic.levelIdStart[i]}, {"idLength", dic.levelIdLen[i]}});
  header["levels"] = levels;
  header["labels"] = Strings(LabelLines(dic.labels));
  d["header"] = header;
  return d;
}

Sec* SectionAt(Dic& dic, uint16_t i) { return dic.GetSec(static_cast<short>(i)); }
Key* KeyAt(Dic& dic, uint16_t i) { return dic.GetKey(static_cast<short>(i)); }

// The whole description, one section, variable, form and key at a time.
void WriteJson(Dic& dic, const std::string& shown, CJsonStreamWriter& w) {
  w.BeginObject();
  w.Fields(DictionaryHead(dic, shown));
  w.Key("sections");
  w.BeginArray();
  for (uint16_t i = 0; i < dic.secs->count && w.Good(); ++i) {
    Sec* sec = SectionAt(dic, i);
    w.BeginObject();
    w.Fields(SectionHead(sec));
    w.Key("variables");
    w.BeginArray();
    for (uint16_t v = 0; v < sec->vars->count && w.Good(); ++v) w.Value(VariableJson(At<Var>(sec->vars, v)));
    w.EndArray();
    w.Key("forms");
    w.BeginArray();
    for (uint16_t f = 0; f < sec->forms->count && w.Good(); ++f) w.Value(FormJson(At<Frm>(sec->forms, f)));
    w.EndArray();
    w.EndObject();
  }
  w.EndArray();
  w.Key("keys");
  w.BeginArray();
  for (uint16_t i = 0; i < dic.keys->count && w.Good(); ++i) w.Value(KeyJson(KeyAt(dic, i)));
  w.EndArray();
  w.EndObject();
  w.Finish();
}

// ---- text

// A value of the description as a terminal may show it.
std::string Show(const ordered_json& value) {
  return value.is_string() ? VisibleText(value.get<std::string>()) : value.dump();
}

void WriteVariableText(const ordered_json& v, std::ostream& out) {
  out << "  Variable " << Show(v["name"]) << ": start " << v["start"] << ", length " << v["length"] << ", type "
      << Show(v["type"]) << ", decimals " << v["decimals"] << ", " << Show(v["kind"]) << ", occurrences "
      << v["occurrences"] << (v["zeroFill"].get<bool>() ? ", zero fill" : "") << '\n';
  if (!v["form"].get<std::string>().empty())
    out << "    Form " << Show(v["form"]) << " at row " << v["formRow"] << ", column " << v["formCol"] << ", mode '"
        << Show(v["fieldMode"]) << "'\n";
  const auto& codes = v["codes"];
  out << "    Codes: missing " << Show(codes["missing"]) << ", not applicable " << Show(codes["notApplicable"])
      << ", default " << Show(codes["default"]) << '\n';
  for (const auto& r : v["ranges"]) out << "    Range " << Show(r[0]) << " to " << Show(r[1]) << '\n';
  for (const auto& t : v["transformations"])
    out << "    Transformation \"" << Show(t["source"]) << "\" to " << Show(t["value"]) << '\n';
  if (!v["label"].get<std::string>().empty()) out << "    Label: " << Show(v["label"]) << '\n';
  for (const auto& l : v["valueLabels"]) out << "    Value " << Show(l["code"]) << ": " << Show(l["label"]) << '\n';
}

void WriteFormText(const ordered_json& f, std::ostream& out) {
  out << "  Form " << Show(f["name"]) << ": width " << f["width"] << ", lines " << f["lines"] << ", fields "
      << f["fields"] << ", text " << Show(f["textStatus"]) << '\n';
  std::istringstream lines(f["text"].get<std::string>());
  for (std::string line; std::getline(lines, line);) out << "    | " << VisibleText(line) << '\n';
  for (const auto& v : f["variables"])
    out << "    Field " << Show(v["name"]) << " at row " << v["row"] << ", column " << v["col"] << '\n';
  int k = 1;
  for (const auto& c : f["occurrenceOffsets"])
    out << "    Occurrence " << k++ << " offset: row " << c["row"] << ", column " << c["col"] << '\n';
}

void WriteSectionText(Sec* sec, std::ostream& out) {
  const ordered_json s = SectionHead(sec);
  out << "\nSection " << Show(s["name"]) << ": code \"" << Show(s["code"]) << "\", level " << s["level"] << ", "
      << Show(s["kind"]) << ", occurrences " << Show(s["occurrences"]["min"]) << " to "
      << Show(s["occurrences"]["max"]) << ", record length " << Show(s["length"]) << '\n';
  if (!s["group"].is_null())
    out << "  Group: " << s["group"]["occurrences"] << " occurrences, start " << s["group"]["start"]
        << ", length " << s["group"]["length"] << '\n';
  for (const auto& l : s["labels"]) out << "  Label: " << Show(l) << '\n';
  for (uint16_t v = 0; v < sec->vars->count && out; ++v) WriteVariableText(VariableJson(At<Var>(sec->vars, v)), out);
  for (uint16_t f = 0; f < sec->forms->count && out; ++f) WriteFormText(FormJson(At<Frm>(sec->forms, f)), out);
}

void WriteKeyText(const ordered_json& k, std::ostream& out) {
  out << "\nKey " << Show(k["name"]) << " (" << Show(k["type"]) << "): length " << k["length"] << ", variables";
  for (const auto& v : k["variables"]) out << ' ' << Show(v);
  out << '\n';
  if (k["status"] != Key::kOk) out << "  Note: " << DescribeVeskStatus(k["status"].get<int>()) << '\n';
}

void WriteText(Dic& dic, const std::string& shown, std::ostream& out) {
  const ordered_json d = DictionaryHead(dic, shown);
  const auto& h = d["header"];
  out << "VESK " << Show(d["kind"]) << ": " << Show(d["file"]) << '\n';
  out << "Name: " << Show(h["name"]) << ", created " << Show(h["created"]) << ", modified " << Show(h["modified"])
      << '\n';
  out << "Record type: start " << h["recordType"]["start"] << ", length " << h["recordType"]["length"] << '\n';
  for (const auto& l : h["levels"])
    out << "Level " << l["level"] << ": identification start " << l["idStart"] << ", length " << l["idLength"]
        << '\n';
  for (const auto& l : h["labels"]) out << "Label: " << Show(l) << '\n';
  if (d["status"] != Dic::kOk) out << "Note: " << DescribeVeskStatus(d["status"].get<int>()) << '\n';
  for (uint16_t i = 0; i < dic.secs->count && out; ++i) WriteSectionText(SectionAt(dic, i), out);
  for (uint16_t i = 0; i < dic.keys->count && out; ++i) WriteKeyText(KeyJson(KeyAt(dic, i)), out);
}

}  // namespace

std::string DescribeVeskStatus(int code) {
  switch (code) {
    case 3011: return "reading an object tag failed";
    case 3021: return "stepping back over an object tag failed";
    case 3033: return "the object scan ended at a byte that is no object tag";
    case 4013: return "the file name is empty";
    case 4022: return "the file cannot be opened";
    case 4033: return "closing the file failed";
    case 4041: return "the header is shorter than 64 bytes";
    case 4051: return "writing failed";
    case 4061: return "positioning in the file failed, or a block count is negative";
    case 4083: return "the header declares no level";
    case 4093: return "the file is not open";
    case 4101: return "shortening the file failed";
    case 4113: return "the dictionary has no keys";
    case 4123: return "no key is a main index";
    case 4134: return "out of memory";
    case 4143: return "the dictionary type does not match the file";
    case 5011: return "a section record is short or its level is not 1 to 9";
    case 5021: return "positioning after a section record failed, or a block count is negative";
    case 5034: return "out of memory reading a section";
    case 5043: return "a multiple variable belongs to a section without a group";
    case 5053: return "the section has no variables";
    case 5063: return "the section's record is 10000 characters or longer";
    case 6011: return "a form record or its text is short";
    case 6021: return "positioning in a form failed, or a block count is negative";
    case 6034: return "out of memory reading a form";
    case 6041: return "the file is not open to read a form";
    case 6051: return "a form's text is longer than its buffer and was cut";
    case 6063: return "a form record comes before any section";
    case 7011: return "a variable record or its blocks are short";
    case 7021: return "positioning after a variable record failed, or a block count is negative";
    case 7034: return "out of memory reading a variable";
    case 7041: return "a variable's transformation text is not valid";
    case 7053: return "a variable record comes before any section";
    case 11014: return "out of memory reading a key";
    case 11021: return "a key record or its name blocks are short";
    case 11031: return "positioning in a key failed";
    case 11043: return "a key variable is not allowed in the key";
    case 11053: return "a key variable was not found";
    case 11061: return "writing a key failed";
    case 11073: return "a key has no variables";
    default: return code % 10 == 0 ? "" : "error " + std::to_string(code);
  }
}

bool LoadVeskFile(const std::string& path, const std::string& shown, bool work, Dic& dic, std::string& error) {
  CString name = path;
  dic.SetDicName(name);
  dic.SetDicType(work ? Dic_eWorkDict : Dic_eDictFile);
  const bool opened = dic.Open(true);
  if (opened && dic.DictLoad()) return true;
  error = std::string(opened ? "Cannot load" : "Cannot open") + " VESK dictionary " + shown + ": " +
          DescribeVeskStatus(dic.status) + " (status " + std::to_string(dic.status) + ").";
  return false;
}

bool LoadVeskFile(const std::string& path, Dic& dic, std::string& error) {
  return LoadVeskFile(path, path, Dic::IsWorkDict(path.c_str()), dic, error);
}

bool InspectVesk(const std::string& path, const std::string& shown, bool json, std::ostream& out,
                 std::string& error) {
  return InspectVesk(path, shown, Dic::IsWorkDict(path.c_str()), json, out, error);
}

bool InspectVesk(const std::string& path, const std::string& shown, bool work, bool json, std::ostream& out,
                 std::string& error) {
  Dic dic;
  if (!LoadVeskFile(path, shown, work, dic, error)) return false;
  if (json) {
    CJsonStreamWriter writer(out);
    WriteJson(dic, shown, writer);
  } else {
    WriteText(dic, shown, out);
  }
  return true;
}

bool InspectVesk(const std::string& path, bool json, std::ostream& out, std::string& error) {
  return InspectVesk(path, path, json, out, error);
}
