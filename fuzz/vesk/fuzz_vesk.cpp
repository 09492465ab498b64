// Feeds bytes to the VESK dictionary reader as a dictionary file and as a work
// dictionary, converts each into a Travo dictionary (kind 3, no host: silent) and into a
// dictionary and forms file (kind 4, with the fixed text measurer), then uses everything
// that loaded: every list, label, form text, query, the printing (listing, field
// occurrences, pages) and the key rewriting.
// A dictionary or forms file the conversion writes must read back, and every field of the
// forms file must name an item of the dictionary written with it; the fuzzer is told
// when either does not hold.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "app/ConvertApp.h"
#include "libs/dict/DataDict.h"
#include "libs/forms/FormFile.h"
#include "vesk/Vesk.h"
#include "vesk/VeskData.h"
#include "vesk/VeskInspect.h"
#include "veskconv/VeskFormat.h"

namespace {

// One scratch folder per process for the input copies and the converted files, removed
// at exit.
struct Scratch {
  std::string folder;
  Scratch() {
    char pattern[] = "/tmp/vesk-fuzz-XXXXXX";
    char* dir = mkdtemp(pattern);
    if (!dir) std::abort();
    folder = dir;
  }
  ~Scratch() {
    std::error_code ec;
    std::filesystem::remove_all(folder, ec);
  }
};

const std::string& ScratchFolder() {
  static const Scratch scratch;
  return scratch.folder;
}

bool WriteBytes(const std::string& path, const uint8_t* data, size_t size) {
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return false;
  bool ok = std::fwrite(data, 1, size, f) == size;
  return std::fclose(f) == 0 && ok;
}

void UseLabels(Lab* lab) {
  if (!lab || !lab->Load()) return;
  char line[64];
  const char* cursor = lab->text + 2;
  for (int i = 0; i < 50 && cursor; ++i) cursor = lab->GetLabel(line, cursor, 60);
}

void UseVariable(Var* var) {
  UseLabels(var->labels);
  char out[256];
  var->GetVarLabel(out);
  var->GetCatLabel("1", out);
  var->GetCatLabel("99999", out);
  var->CalculateNcells();
  for (int i = 0; i < 4; ++i) var->GetCatValue(i);
  var->IsSingle();
}

void Fail(const char* what, const std::string& detail);

// The occurrence buffers of every section, over blank records and over records filled
// from the input's own bytes (as they are, then as digits, signs and points): read,
// checked, written back and read again, occurrences inserted and deleted; then every key
// over them.
void UseBuffers(Dic& dic, const std::string& bytes) {
  static const char kNumberish[] = "0123456789 -.,";
  Lst all;
  all.ownsObjects = 0;
  std::vector<std::unique_ptr<Sex>> sexes;
  std::vector<std::unique_ptr<Lst>> lists;
  size_t cursor = 0;
  for (uint16_t s = 0; s < dic.secs->count; ++s) {
    Sec* sec = static_cast<Sec*>(dic.secs->NodeAt(s)->obj);
    auto sex = std::make_unique<Sex>(sec);
    auto vaxes = std::make_unique<Lst>();
    for (uint16_t v = 0; sec->vars && v < sec->vars->count; ++v) {
      Var* var = static_cast<Var*>(sec->vars->NodeAt(v)->obj);
      Vax* vax = new Vax(var, sex.get());
      vaxes->Put(var->name, vax);
      all.Put(var->name, vax);
    }
    sex->DoGrx(vaxes.get());
    for (int pass = 0; pass < 3; ++pass) {
      for (short i = 0; pass > 0 && !bytes.empty() && i < sex->MaxOcc(); ++i) {
        char* record = sex->Addr(i);
        for (int c = 0; record && c < sex->secLen; ++c) {
          const unsigned char b = static_cast<unsigned char>(bytes[cursor++ % bytes.size()]);
          record[c] = pass == 1 ? static_cast<char>(b) : kNumberish[b % (sizeof kNumberish - 1)];
        }
      }
      sex->SetNumOcc(static_cast<short>(sex->MaxOcc()));
      sex->UpdateOcc(0);
      for (uint16_t v = 0; v < vaxes->count; ++v) {
        Vax* vax = static_cast<Vax*>(vaxes->NodeAt(v)->obj);
        vax->UpdateOcc(0);
        vax->CharToDouble();
        for (short k = 0; k < vax->Count(); ++k) vax->CheckVal(vax->values[k]);
        vax->DoubleToChar();
        vax->CharToDouble();
      }
    }
    sex->Delete(0);
    sex->Insert(0);
    if (sex->grx) {
      sex->grx->UpdateOcc(1);
      sex->grx->Insert(0);
      sex->grx->Delete(1);
      sex->grx->ClearOcc(0);
    }
    for (uint16_t v = 0; v < vaxes->count; ++v) static_cast<Vax*>(vaxes->NodeAt(v)->obj)->ClearOcc(0);
    sexes.push_back(std::move(sex));
    lists.push_back(std::move(vaxes));
  }
  for (uint16_t k = 0; k < dic.keys->count; ++k) {
    Key* key = static_cast<Key*>(dic.keys->NodeAt(k)->obj);
    Kex kex(key, &all);
    kex.DoKey();
    if (kex.keyBuf && std::strlen(kex.keyBuf) > key->keyLen) Fail("a key value is longer than its key", key->name);
  }
}

void UseDictionary(Dic& dic) {
  UseLabels(dic.labels);
  for (Nod* n = dic.secs->First(); n; n = dic.secs->Next()) {
    Sec* sec = static_cast<Sec*>(n->obj);
    UseLabels(sec->labels);
    sec->CalcSecLen();
    if (sec->grp) sec->grp->GLen();
    for (uint16_t i = 0; i < sec->vars->count; ++i) UseVariable(static_cast<Var*>((*sec->vars)[i]));
    for (uint16_t i = 0; i < sec->forms->count; ++i) {
      Frm* frm = static_cast<Frm*>((*sec->forms)[i]);
      frm->Read(0);
      frm->Read(1);
      for (int k = 0; k < 8; ++k) frm->GetCell(k);
      frm->FreeBuf();
    }
  }
  for (uint16_t i = 0; i < dic.vars->count; ++i) dic.GetVar(dic.GetVar(static_cast<short>(i))->name);
  for (uint16_t i = 0; i < dic.keys->count; ++i) dic.GetKey(dic.GetKey(static_cast<short>(i))->name.c_str());
  for (uint16_t i = 0; i < dic.forms->count; ++i) static_cast<Frm*>((*dic.forms)[i])->Read(1);
  dic.ReorderSections();
}

// The listing into memory, and every form's fields in each sort mode and its page, written
// into the scratch folder and removed again.
void PrintDictionary(Dic& dic) {
  std::ostringstream listing;
  dic.PrintDic(listing);
  for (uint16_t i = 0; i < dic.forms->count; ++i) {
    Frm* frm = static_cast<Frm*>((*dic.forms)[i]);
    for (int mode : {0, 1, 2}) std::free(frm->DoHtmlVars(mode));
    const std::string page = ScratchFolder() + "/page.htm";
    frm->PrintWWW(page.c_str());
    unlink(page.c_str());
  }
}

void Fail(const char* what, const std::string& detail) {
  std::fprintf(stderr, "%s: %s\n", what, detail.c_str());
  std::abort();
}

// The dictionary at dcf, read back; the fuzzer is told when it does not read.
void OpenDictionary(const std::string& dcf, CDataDict& dict) {
  if (!dict.Open(dcf)) Fail("the converted dictionary does not read back", dict.GetLastError());
}

void CheckFieldsName(const CDataDict& dict, const CDEItemBase* item) {
  if (item->GetItemType() == CDEFormBase::Field) {
    const auto* field = static_cast<const CDEField*>(item);
    if (!dict.LookupName(field->GetItemName()))
      Fail("a field of the forms file names no item of the dictionary", field->GetName() + " -> " +
                                                                         field->GetItemName());
  }
  if (!item->HoldsItems()) return;
  const auto* group = static_cast<const CDEGroup*>(item);
  for (int i = 0; i < group->GetNumItems(); ++i) CheckFieldsName(dict, group->GetItem(i));
}

// Converts path with kind into out.dcf (and out.fmf for kind 4) in the scratch folder and
// checks what was written; the outputs are gone afterwards.
void ConvertAndReadBack(const std::string& path, ConversionKind kind) {
  const std::string dcf = ScratchFolder() + "/out.dcf";
  const std::string fmf = ScratchFolder() + "/out.fmf";
  CSilentReporter silent;
  CConvertApp app(silent);
  const bool wrote = app.RunConversion(kind, path, dcf);
  const bool dcfExists = access(dcf.c_str(), F_OK) == 0;
  const bool fmfExists = access(fmf.c_str(), F_OK) == 0;
  if (wrote && !dcfExists) Fail("the conversion said it wrote a dictionary, but there is none", dcf);
  if (fmfExists && kind != KIND_VESK_TO_TRAVO_FORMS) Fail("kind 3 wrote a forms file", fmf);
  if (fmfExists && !dcfExists) Fail("a forms file was written without its dictionary", fmf);
  if (dcfExists) {
    CDataDict dict;
    OpenDictionary(dcf, dict);
    if (fmfExists) {
      CDEFormFile forms;
      if (!forms.Open(fmf)) Fail("the converted forms file does not read back", forms.GetLastError());
      for (int f = 0; f < forms.GetNumForms(); ++f)
        for (int i = 0; i < forms.GetForm(f)->GetNumItems(); ++i) CheckFieldsName(dict, forms.GetForm(f)->GetItem(i));
      for (int l = 0; l < forms.GetNumLevels(); ++l)
        for (int g = 0; g < forms.GetLevel(l)->GetNumGroups(); ++g) CheckFieldsName(dict, forms.GetLevel(l)->GetGroup(g));
    }
  }
  unlink(dcf.c_str());
  unlink(fmf.c_str());
}

void Exercise(const std::string& path) {
  // First, while the copy is as given: the key rewriting below changes it.
  ConvertAndReadBack(path, KIND_VESK_TO_TRAVO);
  ConvertAndReadBack(path, KIND_VESK_TO_TRAVO_FORMS);
  {
    Dic dic;
    CString name = path;
    dic.SetDicName(name);
    dic.SetDicType(Dic::IsWorkDict(path.c_str()) ? Dic_eWorkDict : Dic_eDictFile);
    if (dic.Open(true) && dic.DictLoad()) {
      PrintDictionary(dic);
      UseDictionary(dic);
    }
  }
  {
    std::ostringstream out;
    std::string error;
    InspectVesk(path, true, out, error);
  }
  // Read as either VESK format, whatever the name says.
  for (const FormatModule* vesk : {&VeskDictFormat(), &VeskWorkFormat()}) {
    CSilentReporter silent;
    FormatContext context{silent, '.', false};
    std::unique_ptr<CDataDict> dict = vesk->readDictionary({path, path}, context);
    std::ostringstream out;
    std::string error;
    vesk->describe({path, path}, false, out, error);
  }
  {
    // The buffers, and the input read as data through its own dictionary into CSV files.
    std::ifstream in(path, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    Dic dic;
    CString name = path;
    dic.SetDicName(name);
    dic.SetDicType(Dic::IsWorkDict(path.c_str()) ? Dic_eWorkDict : Dic_eDictFile);
    if (dic.Open(true) && dic.DictLoad()) UseBuffers(dic, bytes);
    std::ostringstream messages;
    const std::string csv = ScratchFolder() + "/csv";
    WriteVeskDataCsv(path, path, csv, messages);
    std::error_code ec;
    std::filesystem::remove_all(csv, ec);
  }
  {
    // Rewriting the keys and cutting them off again works on the scratch copy.
    Dic dic;
    CString name = path;
    dic.SetDicName(name);
    dic.SetDicType(Dic::IsWorkDict(path.c_str()) ? Dic_eWorkDict : Dic_eDictFile);
    if (dic.Open(false) && dic.DictLoad() && dic.ReplaceIndex()) dic.Trunc();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string base = ScratchFolder() + "/input";
  for (const char* ext : {".dic", ".wst"}) {
    std::string path = base + ext;
    if (WriteBytes(path, data, size)) Exercise(path);
  }
  return 0;
}
