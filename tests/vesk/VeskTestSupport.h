#pragma once
// Loading builder output through the library, for the VESK tests.
#include <memory>
#include <string>

#include "RecordingHost.h"
#include "VeskBuilder.h"
#include "vesk/Vesk.h"

namespace vesktest {

// A small valid dictionary header: one level, identification in column 1 to 3.
inline HeaderSpec OneLevel() { return HeaderSpec{}; }

// Writes the builder's bytes to dir/fileName, opens the file (read-write when asked) and
// loads it as a work dictionary when the name says so. *result gets DictLoad's result.
inline std::unique_ptr<Dic> Load(const TempDir& dir, const VeskBuilder& b, short* result,
                                 const std::string& fileName = "T.DIC", bool readOnly = true) {
  std::string path = dir.file(fileName);
  b.WriteTo(path);
  auto dic = std::make_unique<Dic>(path.c_str());
  dic->SetDicType(Dic::IsWorkDict(path.c_str()) ? Dic_eWorkDict : Dic_eDictFile);
  short opened = dic->Open(readOnly);
  *result = opened ? dic->DictLoad() : 0;
  return dic;
}

inline Var* VarOf(Lst* list, int pos) { return static_cast<Var*>((*list)[static_cast<uint16_t>(pos)]); }
inline Frm* FrmOf(Lst* list, int pos) { return static_cast<Frm*>((*list)[static_cast<uint16_t>(pos)]); }

}  // namespace vesktest
