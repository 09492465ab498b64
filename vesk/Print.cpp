// Printing of a loaded dictionary: the listing of Dic::PrintDic, the form dump of
// Frm::Print, and the HTML page of a form (Frm::PrintWWW) with an input box in place of
// every field, chained to its neighbours by BACK and NEXT links. The texts of the listing
// and the dump are written as the file holds them; the page is UTF-8.
#include <algorithm>
#include <cctype>
#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <sstream>
#include <string>

#include "libs/util/CodePage.h"
#include "libs/util/SafeFile.h"
#include "vesk/Dic.h"
#include "vesk/Frm.h"
#include "vesk/Key.h"
#include "vesk/Sec.h"
#include "vesk/Var.h"
#include "vesk/VeskFile.h"

namespace {

std::string Format(const char* fmt, ...) __attribute__((format(printf, 1, 2)));
std::string Format(const char* fmt, ...) {
  va_list args;
  va_start(args, fmt);
  va_list again;
  va_copy(again, args);
  int n = std::vsnprintf(nullptr, 0, fmt, args);
  va_end(args);
  std::string out(n > 0 ? static_cast<size_t>(n) : 0, '\0');
  if (n > 0) std::vsnprintf(out.data(), out.size() + 1, fmt, again);
  va_end(again);
  return out;
}

template <class T>
T* At(Lst* list, uint16_t pos) {
  return static_cast<T*>((*list)[pos]);
}

// A text of the file as the page shows it: UTF-8, with the characters that HTML reads as
// markup written as entities.
std::string HtmlText(std::string_view oem) {
  std::string host = OemToHost(oem);
  std::string out;
  out.reserve(host.size());
  for (char c : host) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      default: out += c;
    }
  }
  return out;
}

// A page name as the target of a link: bytes other than letters, digits and "-._~" are
// percent-encoded, so no name breaks the attribute or reads as a query or fragment.
std::string Href(const std::string& page) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string out;
  for (unsigned char c : page) {
    if (std::isalnum(c) && c < 0x80) {
      out += static_cast<char>(c);
    } else if (c == '-' || c == '.' || c == '_' || c == '~') {
      out += static_cast<char>(c);
    } else {
      out += '%';
      out += kHex[c >> 4];
      out += kHex[c & 0xF];
    }
  }
  return out;
}

// A screen line being given its input tags. The field columns count bytes of the OEM
// line, as on the screen; every byte remembers whether it is screen text, a literal part
// of a tag, or the field name inside a tag, so that only text is escaped and converted.
class TaggedLine {
 public:
  enum Kind : char { kText = 't', kTag = 'g', kName = 'n' };

  explicit TaggedLine(std::string oem) : bytes_(std::move(oem)), kinds_(bytes_.size(), kText) {}

  size_t size() const { return bytes_.size(); }

  // Replaces count bytes at col (cut at the end of the line) by the tag's parts.
  void Replace(size_t col, size_t count, const std::string& head, const std::string& name,
               const std::string& tail) {
    count = std::min(count, bytes_.size() - col);
    bytes_.replace(col, count, head + name + tail);
    kinds_.replace(col, count, std::string(head.size(), kTag) + std::string(name.size(), kName) +
                                   std::string(tail.size(), kTag));
  }

  std::string Html() const {
    std::string out;
    for (size_t i = 0; i < bytes_.size();) {
      size_t j = i;
      while (j < bytes_.size() && kinds_[j] == kinds_[i]) ++j;
      std::string_view run(bytes_.data() + i, j - i);
      out += kinds_[i] == kTag ? std::string(run) : HtmlText(run);
      i = j;
    }
    return out;
  }

 private:
  std::string bytes_;
  std::string kinds_;
};

}  // namespace

// ---- the listing

void Dic::PrintDic(std::ostream& out) {
  out << "\n****** KEYWORDS INFORMATION\n";
  if (keys && keys->count > 0) {
    for (uint16_t i = 0; i < keys->count; ++i) {
      Key* key = At<Key>(keys, i);
      out << "\n*** KEYWORD='" << key->name.c_str() << "'\n";
      for (uint16_t j = 0; key->vars && j < key->vars->count; ++j)
        out << "VAR='" << At<Var>(key->vars, j)->name << "'\n";
    }
  } else {
    out << "\n*** NONE\n";
  }
  out << "\n"
      << "\n****** SECTION INFORMATION\n";
  if (secs && secs->count > 0) {
    for (uint16_t s = 0; s < secs->count; ++s) {
      Sec* sec = At<Sec>(secs, s);
      out << "\n*** SECCION='" << sec->name.c_str() << "'\n";
      for (uint16_t v = 0; sec->vars && v < sec->vars->count; ++v) {
        Var* var = At<Var>(sec->vars, v);
        out << "VAR='" << var->name << "'\n";
        for (uint16_t t = 0; var->tras && t < var->tras->count; ++t) {
          const Tra* tra = At<Tra>(var->tras, t);
          // No blank before "to": the listing has always been written so.
          out << Format("TRAN: '%s'to %f\n", tra->text ? tra->text : "", tra->value);
        }
      }
      for (uint16_t f = 0; sec->forms && f < sec->forms->count; ++f) {
        Frm* frm = At<Frm>(sec->forms, f);
        out << "FRM='" << frm->name.c_str() << "'\n";
        frm->Print(out);
      }
    }
    out << "\n";
  } else {
    out << "\n*** NONE\n";
  }
}

void Dic::PrintDic(const char* path) {
  std::ostringstream text;
  PrintDic(text);
  const std::string listing = text.str();
  if (path && WriteFileAtomically(path, listing)) return;
  std::fwrite(listing.data(), 1, listing.size(), stdout);
  std::fflush(stdout);
}

// ---- the form dump

void Frm::Print(std::ostream& out) {
  out << "PRINTING FORM: '" << name.c_str() << "'\n";
  if (const char* screen = Read(1)) out << screen;
  if (vars && vars->count > 0) {
    for (uint16_t i = 0; i < vars->count; ++i) {
      const Var* var = At<Var>(vars, i);
      out << Format("VAR='%s', ROW=%d, COL=%d\n", var->name, var->formRow, var->formCol);
    }
  } else {
    out << "NO Vars\n";
  }
  FreeBuf();
}

void Frm::Print(FILE* stream) {
  std::ostringstream text;
  Print(text);
  const std::string dump = text.str();
  std::fwrite(dump.data(), 1, dump.size(), stream);
}

// ---- the field occurrences

HTML_VAR* Frm::DoHtmlVars(int mode) {
  if (!vars || vars->count == 0 || nFields < 1) return nullptr;
  auto* entries = static_cast<HTML_VAR*>(std::calloc(static_cast<size_t>(nFields), sizeof(HTML_VAR)));
  if (!entries) return nullptr;

  // Occurrence k of the variable at p comes after every variable of the section's k - 1
  // earlier occurrences.
  int64_t stride = 0;
  if (sec) {
    int64_t occurrences = sec->grp ? sec->grp->nOcc : sec->occ ? vesk::TruncInt(sec->occ->hi) : 0;
    stride = occurrences * (sec->vars ? sec->vars->count : 0);
  }
  auto occurrenceKey = [stride](int k, int p) {
    int64_t key = (k - 1) * stride + p;
    return static_cast<int32_t>(std::clamp<int64_t>(key, std::numeric_limits<int32_t>::min(),
                                                    std::numeric_limits<int32_t>::max()));
  };

  int filled = 0;
  auto place = [&](int p, int k, int row, int col) {
    HTML_VAR& e = entries[filled];
    e.varPos = static_cast<int16_t>(p);
    e.occNo = static_cast<int16_t>(k);
    e.row = static_cast<int16_t>(row);
    e.col = static_cast<int16_t>(col);
    e.sortKey = mode == 1 ? e.row * 256 + e.col : mode == 2 ? filled : k == 0 ? p : occurrenceKey(k, p);
    ++filled;
  };
  for (int p = 0; p < vars->count && filled < nFields; ++p) {
    const Var* var = At<Var>(vars, static_cast<uint16_t>(p));
    if (var->IsSingle()) {
      place(p, 0, var->formRow, var->formCol);
      continue;
    }
    // A repeating field without occurrence offsets, or with more occurrences than the
    // form has fields, cannot be placed: no array rather than a wrong one.
    if (var->nOcc > 0 && !cells) {
      std::free(entries);
      return nullptr;
    }
    for (int k = 1; k <= var->nOcc; ++k) {
      if (filled >= nFields) {
        std::free(entries);
        return nullptr;
      }
      uint16_t offset = GetCell(k + 1);
      place(p, k, var->formRow + (offset >> 8), var->formCol + (offset & 0xFF));
    }
  }
  std::stable_sort(entries, entries + nFields,
                   [](const HTML_VAR& a, const HTML_VAR& b) { return a.sortKey < b.sortKey; });
  return entries;
}

// ---- the page

std::string Frm::PageFileName() const {
  std::string page = OemToHost(name.c_str());
  std::replace(page.begin(), page.end(), '/', '_');
  return page + ".HTM";
}

void Frm::PrintWWWLinks(std::string& page) {
  const std::string open = "<P><FONT SIZE=\"4\" face=\"Courier New\"><CENTER>";
  const std::string close = "</CENTER></FONT></P>\n";
  auto link = [](const Frm* to, const char* word) {
    return "<a href=\"" + Href(to->PageFileName()) + "\"><em><strong>" + word + "</strong></em></a>";
  };
  if (prev && next)
    page += open + link(prev, "BACK") + "    " + link(next, "NEXT") + close;
  else if (next)
    page += open + "        " + link(next, "NEXT") + close;
  else if (prev)
    page += open + link(prev, "BACK") + "        " + close;
}

std::string Frm::WWWPage() {
  const Dic* dic = sec ? sec->dic : nullptr;
  std::string page = "<HTML>\n<HEAD>\n<TITLE>DICTIONARY '" + HtmlText(dic ? dic->dicName.c_str() : "") +
                     "' SECTION '" + HtmlText(sec ? sec->name.c_str() : "") + "' FORM '" +
                     HtmlText(name.c_str()) + "'</TITLE>\n</HEAD>\n<BODY>\n";
  const char* screen = Read(1);
  HTML_VAR* fields = screen ? DoHtmlVars(1) : nullptr;
  if (!fields) {
    const char* why = nFields < 1 ? "*** ERROR: Formulario NO tiene campos\n"
                      : !screen   ? "*** ERROR: No puede cargar el formulario del disco\n"
                                  : "*** ERROR: No hay memoria para arreglo interno de variables\n";
    FreeBuf();
    return page + "<PRE>\n" + why + "</PRE>\n</BODY>\n</HTML>\n";
  }

  page += "<FONT SIZE=\"3\" FACE=\"MS LineDraw\">\n<PRE>\n";
  PrintWWWLinks(page);
  // One cursor over the fields, sorted by line and column, for the whole text.
  int cursor = 0;
  int row = 0;
  for (const char* line = screen; *line; ++row) {
    const char* end = std::strchr(line, '\n');
    if (!end) end = line + std::strlen(line);
    TaggedLine tagged(std::string(line, end));
    // Every tag put in moves the fields after it on the line by its growth.
    int64_t shift = 0;
    for (; cursor < nFields; ++cursor) {
      const HTML_VAR& e = fields[cursor];
      if (e.row < row) continue;
      if (e.row > row) break;
      const Var* var = At<Var>(vars, static_cast<uint16_t>(e.varPos));
      if (!var) continue;
      const int len = var->len;
      const std::string head = "<INPUT TYPE=TEXT NAME=";
      const std::string fieldName = e.occNo == 0 ? std::string(var->name) : Format("%s_%04d", var->name, e.occNo);
      const std::string tail = Format(" SIZE=%d MAXLENGTH=%d>", len, len);
      const int64_t col = e.col + shift;
      if (col < 0 || col >= static_cast<int64_t>(tagged.size())) continue;
      tagged.Replace(static_cast<size_t>(col), static_cast<size_t>(std::max(len, 0)), head, fieldName, tail);
      shift += static_cast<int64_t>(head.size() + fieldName.size() + tail.size()) - len;
    }
    page += tagged.Html();
    page += '\n';
    line = *end ? end + 1 : end;
  }
  page += "<HR>\n";
  PrintWWWLinks(page);
  page += "</PRE>\n</FONT>\n</BODY>\n</HTML>\n";
  FreeBuf();
  std::free(fields);
  return page;
}

bool Frm::PrintWWW(const char* path, std::string* error) {
  const std::string target = path ? std::string(path) : PageFileName();
  return WriteFileAtomically(target, WWWPage(), error);
}
