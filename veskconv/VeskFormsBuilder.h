#pragma once
// VESK forms into a Travo forms file: one form per VESK form (a multiple section gives only
// its first), one level per VESK level, and per form one group. A group is filled in one of
// three ways: a roster made by the forms library for a multiple section, a group laid out by
// the forms library for a single section whose form has occurrence cells, and fields placed
// at their screen positions for a single section whose form has none. Fields find their
// dictionary items through the links the dictionary builder keeps.
#include <memory>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <vector>

#include "libs/dict/DataDict.h"
#include "libs/forms/FormFile.h"
#include "libs/util/Reporter.h"
#include "veskconv/VeskFormLayout.h"
#include "vesk/Vesk.h"

class VeskDictBuilder;

class VeskFormsBuilder {
 public:
  // Builds into formFile the forms of the dictionary dict that links was built into; the
  // warning about a variable on no form goes to reporter. All must outlive the builder.
  // Measures the default field font of formFile.
  VeskFormsBuilder(CDEFormFile& formFile, const CDataDict& dict, const VeskDictBuilder& links, IReporter& reporter);

  // Version, name, label and dictionary (dcfPath) of the forms file.
  void MakeFormFileHeader(Dic& dic, const CString& dcfPath);
  // Forms, levels and groups. Trims the form names of dic.
  void MakeForms(Dic& dic);

  // Sets the Enter key and protection of a field by its VESK field mode ('R', 'P').
  static void SetFieldMode(CDEField* field, char mode);
  // The field named (letter case ignored) in grp or in a group or roster inside it, or null.
  static CDEField* FindField(CDEGroup* grp, const CString& name);
  // The number of the form named, counting from 1 over every form of every section of dic;
  // 0 for none.
  static int FindFormIndex(const CString& formName, Dic* dic);

 private:
  void MakeForm(CDEForm* form, Frm* frm);
  void MakeGroup(CDEGroup* grp, Frm* frm, int formNum);
  int FilterRecordItems(CDictRecord* rec, Frm* frm) const;
  // The form number of a form name, once MakeForms has listed them (trimmed).
  int FormIndex(const CString& formName, Dic* dic) const;
  // A roster of a record or of a repeating item at pt; its right and bottom are -1 (sized
  // to its content). built (when given) gets the rectangle the rows and columns take.
  CDERoster2* MakeRoster(const CDictRecord* source, int formNum, CPoint* pt, CRect* built = nullptr);
  CDERoster2* MakeRoster(const CDictItem* source, int formNum, CPoint* pt, CRect* built = nullptr);
  // The variables of a single section's form laid out at their screen positions.
  void LayOutFields(CDEGroup* grp, Frm* frm, int formNum);
  // A group member on a form without occurrence cells: a roster of its group, once per
  // group run and form.
  void MakeMemberRoster(CDEGroup* grp, CDEForm* form, Var* var, int formNum);
  void SetColumnModes(CDERoster2* roster, Sec* sec);
  // Shows every item of the group on the form and grows the form around them.
  void ShowGroupItems(CDEGroup* grp, CDEForm* form);

  CDEFormFile& m_formFile;
  const CDataDict& m_dict;
  const VeskDictBuilder& m_links;
  IReporter& m_reporter;
  VeskFormLayout m_layout;
  std::unordered_map<const Frm*, CDEForm*> m_forms;  // the form made of each VESK form
  std::unordered_set<const Sec*> m_namedGroups;      // sections whose first group is named
  // Where each form name first stands (from 1), and the rosters already made for a group
  // run on a form.
  std::unordered_map<std::string, int> m_mapFormIndex;
  std::vector<std::pair<const CDictItem*, const CDEForm*>> m_aMemberRosters;
};
