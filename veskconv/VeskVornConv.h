#pragma once
// CVeskVornConv: a loaded VESK dictionary into a Travo dictionary (conversion kind 3) and,
// for kind 4, into a Travo forms file. One converter serves one conversion: construct it,
// call Convert (or ReadDictionary) once, destroy it.
//
// The work is split by what it builds:
//   ConvertVESK.cpp    the driver: phases, output names, reading-phase messages, headers
//   MakeDictItems.cpp  identification records, levels, records and items
//   MakeValueSets.cpp  value sets from ranges, value labels and special codes
//   MakeForms.cpp      forms, levels, groups, fields and rosters of the forms file
//   FormLayout.cpp     screen text into text items, pixel positions, sizes, form growth
// docs/vesk-conversion.md maps every VESK object to its Travo object.
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "app/ConvertApp.h"
#include "libs/dict/DataDict.h"
#include "libs/forms/FormFile.h"
#include "libs/util/VornString.h"
#include "vesk/Vesk.h"

class CProgressDlg;

// One labelled value of a variable, as its pair will hold it.
class CVeskValue {
 public:
  CString m_sValue;    // the value text of the pair
  CString m_sLabel;    // its label, in the host code page
  CString m_sSpecial;  // "MISSING", "NOTAPPL", "DEFAULT" or empty
};

// A closed range of two numbers, low then high.
template <class T>
struct CRange {
  T low;
  T high;
};

// A variable made up by the converter for identification columns that no variable
// covers. Its name may be longer than a VESK name (LEVEL1ID_12) and reaches the item whole.
class VarObject : public Var {
 public:
  VarObject(const CString& name, int start, int len);
  CString m_sName;
};

class CVeskVornConv {
 public:
  CVeskVornConv();
  virtual ~CVeskVornConv();
  CVeskVornConv(const CVeskVornConv&) = delete;
  CVeskVornConv& operator=(const CVeskVornConv&) = delete;

  // The whole conversion: true when it ran to the end, false on any failure or Cancel.
  // Messages and progress go through the installed host.
  bool Convert(CString inputPath, CString outputPath, bool showProgress, bool wantForms);
  // The Travo dictionary the conversion would save, built and validated in memory with
  // nothing written and no progress shown; null after the message that says why.
  std::unique_ptr<CDataDict> ReadDictionary(const CString& inputPath);
  // True once the Travo dictionary file has been written whole (also when a Cancel came
  // after that).
  bool DictionarySaved() const { return !m_written.dictionary.empty(); }
  // True once the forms file has been written whole.
  bool FormsSaved() const { return !m_written.forms.empty(); }
  // The files written whole so far, with what they hold, counted as they were saved.
  const WrittenFiles& Written() const { return m_written; }

  // The two output names: the output path without the extension of its file name, with
  // ".dcf" and ".fmf".
  static CString DcfPathFor(const CString& outputPath);
  static CString FmfPathFor(const CString& outputPath);

  // Header and labels.
  void MakeDictHeader(Dic& dic);
  // Null out gives null. Loads the label text; the first line, blank-padded to width,
  // goes to out (width + 1 bytes). Returns the cursor of the next line, null without text.
  char* ReadFirstLabel(Lab* lab, char* out, int width);
  // The first three lines, 30 characters each; all empty when there is no text.
  void ReadThreeLabels(Lab* lab, char* a, char* b, char* c);
  // An OEM code page text of a VESK file into the host code page.
  void OemToAnsi(CString& s);
  void InitSpecialValues();

  // Dictionary building.
  int PrepareIdItems(Dic& dic);
  bool OverlapsLevelId(Dic& dic, Var* var);
  void MakeIdItem(CDictRecord* idRec, int levelIndex, int part, int start, int len);
  CDictItem* MakeItemFromVar(Var* var, int start, CString* label);
  void MakeRecords(Dic& dic, bool showProgress, CProgressDlg* dialog);
  CDictLevel* MakeLevel(int& levelNo, Dic& dic, Sec* sec);
  void MakeItems(CDictRecord* rec, Sec* sec, bool showProgress, CProgressDlg* dialog);

  // Value sets.
  void MakeValueSet(CDictItem* item, Var* var, Lab* lab);
  std::vector<CVeskValue*>* ReadValueLabels(Var* var, Lab* lab, int* count);
  void NameValueSet(CDictVSet* vset, const CString& name, const CString& label);
  void AddValuePair(const CString* from, const CString* to, const CString* label, CDictValue* value);
  bool MarkSpecial(const CString& special, CDictValue* value);
  CVeskValue* FindValueLabel(std::vector<CVeskValue*>* list, double x);
  void CutPoint(double* x, double eps);

  // Forms building.
  void MakeFormFileHeader(Dic& dic, CString dcfPath);
  void MakeForms(Dic& dic);
  void MakeForm(CDEForm* form, Frm* frm);
  void MakeGroup(CDEGroup* grp, Frm* frm, int formNum);
  int FilterRecordItems(CDictRecord* rec, bool filter, Frm* frm);
  int FindFormIndex(const CString& formName, Dic* dic);
  CDEField* FindField(CDEGroup* grp, const CString& name);
  void SetFieldMode(CDEField* field, char mode);
  // A roster of a record or of a repeating item at pt; its right and bottom are -1 (sized
  // to its content). built (when given) gets the rectangle the rows and columns take.
  CDERoster2* MakeRoster(const CDictRecord* source, int formNum, CPoint* pt, CRect* built = nullptr);
  CDERoster2* MakeRoster(const CDictItem* source, int formNum, CPoint* pt, CRect* built = nullptr);

  // Form layout.
  void MeasureFonts(CDEFormFile* formFile);
  static int ColumnToX(int column);
  void GrowForm(CDEForm* form, int x, int y);
  bool SizeField(CDEField* field);
  bool SizeText(CDEText* text);
  // The text items of a form's screen text.
  void MakeFormTexts(CDEForm* form, Frm* frm);
  CSize FieldCell() const { return m_sizeFieldCell; }

  // The variable an item was made from (its symbol), or null.
  Var* VarOfSymbol(int symbol) const;
  // The identification records, one per level.
  const std::vector<CDictRecord*>& IdRecords() const { return m_aIdRecords; }
  CDataDict* GetDataDict() const { return m_pDataDict; }
  CDEFormFile* GetFormFile() const { return m_pFormFile; }

 private:
  // Keeps obj until the converter is destroyed; returns it.
  template <class T>
  T* Own(T* obj);
  int SymbolOf(Var* var);
  // The name a variable gives its item (a VarObject's whole name).
  static CString VarName(const Var* var);
  // The label of a section or variable: its first label line cut to width, without
  // trailing blanks, in the host code page; the name when that is blank.
  CString LabelOrName(Lab* lab, int width, const CString& name);
  // The name of the dictionary a variable belongs to, empty when it has none.
  static CString DicNameOf(const Var* var);

  // Reading phase; false after its message.
  bool CheckOutputsWritable(const CString& dcfPath, const CString& fmfPath, bool wantForms);
  std::unique_ptr<Dic> LoadVeskDictionary(const CString& inputPath);
  // The VESK dictionary loaded and the Travo dictionary (m_pDataDict) built from it and
  // validated; null after the message that says why. Returns the VESK dictionary, which
  // the forms are made from.
  std::unique_ptr<Dic> BuildDictionary(const CString& inputPath, bool showProgress, CProgressDlg& dialog);
  bool SectionLevelsKnown(Dic& dic);
  bool VariablesNamed(Dic& dic);
  bool SaveDictionary(const CString& dcfPath);
  void AddLevelToDict(CDictLevel* level);
  // The forms phase; false after a message or on Cancel.
  bool ConvertForms(Dic& dic, const CString& dcfPath, const CString& fmfPath, bool showProgress,
                    CProgressDlg& dialog);
  // The variables of a single section's form laid out at their screen positions.
  void LayOutFields(CDEGroup* grp, Frm* frm, int formNum);
  // A group member on a form without occurrence cells: a roster of its group, once per
  // group run and form.
  void MakeMemberRoster(CDEGroup* grp, CDEForm* form, Var* var, int formNum);
  void SetColumnModes(CDERoster2* roster, Sec* sec);
  // A working copy of a section's record for the builders (son numbers when asked).
  std::unique_ptr<CDictRecord> CopyRecord(const CDictRecord* source, bool sonNumbers);
  // Shows every item of the group on the form and grows the form around them.
  void ShowGroupItems(CDEGroup* grp, CDEForm* form);

  using OwnedPtr = std::unique_ptr<void, void (*)(void*)>;

  std::vector<CDictRecord*> m_aIdRecords;  // one per level, at index level - 1; owned below
  std::unique_ptr<std::vector<OwnedPtr>> m_pOwned;
  CDataDict* m_pDataDict = nullptr;
  CDEFormFile* m_pFormFile = nullptr;
  std::vector<Var*> m_aSymbols;  // symbol n is the variable at n - 1
  // Filled while the forms are made: where each form name first stands (from 1), and the
  // rosters already made for a group run on a form.
  std::unordered_map<std::string, int> m_mapFormIndex;
  std::vector<std::pair<const CDictItem*, const CDEForm*>> m_aMemberRosters;
  CSize m_sizeFieldCell;  // the extent of "9" in the default field font
  // The value ranges of the variable whose value set is being made.
  std::vector<CRange<double>> m_aRanges;
  WrittenFiles m_written;
};

template <class T>
T* CVeskVornConv::Own(T* obj) {
  m_pOwned->emplace_back(obj, [](void* p) { delete static_cast<T*>(p); });
  return obj;
}
