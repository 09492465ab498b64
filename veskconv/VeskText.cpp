#include "veskconv/VeskText.h"

#include <cstring>
#include <vector>

#include "libs/util/CodePage.h"

namespace veskconv {

VarObject::VarObject(const CString& name, int start, int len) : Var(nullptr, nullptr), m_sName(name) {
  std::strncpy(this->name, name.c_str(), sizeof this->name - 1);
  varType = 'A';
  this->start = static_cast<int16_t>(start);
  this->len = static_cast<int16_t>(len);
}

char* ReadFirstLabel(Lab* lab, char* out, int width) {
  if (!out) return nullptr;
  Lab::cleanstr(out, 0);
  if (!lab || !lab->Load()) return nullptr;
  return lab->GetLabel(out, lab->text + 2, width);
}

void OemToAnsi(CString& s) { s = OemToHost(s); }

CString LabelOrName(Lab* lab, int width, const CString& name) {
  std::vector<char> line(static_cast<size_t>(width) + 1);
  ReadFirstLabel(lab, line.data(), width);
  CString label = line.data();
  label.TrimRight();
  OemToAnsi(label);
  return label.IsEmpty() ? name : label;
}

CString VarName(const Var* var) {
  if (const auto* made = dynamic_cast<const VarObject*>(var)) return made->m_sName;
  return var->name;
}

CString DicNameOf(const Var* var) {
  return var && var->sec && var->sec->dic ? var->sec->dic->dicName : CString();
}

}  // namespace veskconv
