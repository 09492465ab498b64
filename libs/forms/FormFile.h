#pragma once
// The Travo forms model. A forms file holds levels and forms. A level holds groups; a
// group holds items (fields, texts, groups, rosters). A form shows items on a page: its
// own (texts laid out on it) and items that groups hold. The .fmf file format is
// described in docs/fmf-format.md.
//
// Ownership. Every Add operation takes a heap object by pointer. The level tree owns what
// it is given: a forms file its levels and forms, a level its groups, a group its items.
// A form owns an item only while nothing in the level tree holds it; an item that a
// group or level holds is merely referred to by the forms that show it. So:
//   - CDEForm::AddItem owns an item that nobody holds yet, and refers to one already held
//     (by a group, a level or another form);
//   - CDEGroup::AddItem and CDELevel::AddGroup take an item over from a form that owns
//     it (the form keeps referring to it), and refuse one that a group or level holds;
//   - whoever owns an object frees it when it is destroyed; references are never freed.
// A refused add returns -1 and leaves the object where it was (with the caller when
// nobody held it). A form that refers to items must not outlive their owners; inside one
// forms file they all live and die together.
#include <memory>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "libs/dict/DataDict.h"
#include "libs/forms/DrawTypes.h"
#include "libs/forms/TextMeasure.h"
#include "libs/util/VornString.h"

class CDEForm;
class CDEGroup;
class CDELevel;

// Name, label and rectangle: what forms and the items on them have in common.
class CDEFormBase {
 public:
  // Kind of an item. Groups, rosters and blocks hold further items.
  enum eItemType { UnknownItem = 0, Group = 1, Field = 2, Text = 3, Roster = 4, Block = 5 };

  virtual ~CDEFormBase() = default;
  CDEFormBase(const CDEFormBase&) = delete;
  CDEFormBase& operator=(const CDEFormBase&) = delete;

  const CVornString& GetName() const { return m_sName; }
  void SetName(const CVornString& s) { m_sName = s; }
  virtual const CVornString& GetLabel() const { return m_sLabel; }
  virtual void SetLabel(const CVornString& s) { m_sLabel = s; }

  void SetDims(int left, int top, int right, int bottom) { m_rDims = CRect(left, top, right, bottom); }
  void SetDims(const CRect& r) { m_rDims = r; }
  const CRect& GetDims() const { return m_rDims; }
  int GetX() const { return m_rDims.left; }
  int GetY() const { return m_rDims.top; }
  int GetX2() const { return m_rDims.right; }
  int GetY2() const { return m_rDims.bottom; }

 protected:
  CDEFormBase() = default;

 private:
  CVornString m_sName;
  CVornString m_sLabel;
  CRect m_rDims;
};

// What every item on a form has: its kind, the number of the form it lies on, and who owns it.
class CDEItemBase : public CDEFormBase {
 public:
  eItemType GetItemType() const { return m_eItemType; }
  // The kind is fixed by the class, since code that walks items casts by it. Returns
  // true when type is the item's own kind; any other value changes nothing.
  bool SetItemType(int type) { return type == m_eItemType; }
  // True for items that hold further items (groups and rosters).
  bool HoldsItems() const { return m_eItemType == Group || m_eItemType == Roster || m_eItemType == Block; }

  int GetFormNum() const { return m_iFormNum; }
  void SetFormNum(int n) { m_iFormNum = n; }

 protected:
  explicit CDEItemBase(eItemType type) : m_eItemType(type) {}

 private:
  friend class CDEForm;
  friend class CDEGroup;
  friend class CDELevel;
  friend class FmfReader;
  enum class Holder : unsigned char { None, Level, Group, Form };
  eItemType m_eItemType;
  int m_iFormNum = 0;
  Holder m_eHolder = Holder::None;
  void* m_pHolder = nullptr;  // the CDELevel, CDEGroup or CDEForm that owns the item
};

// A text shown on a form. Its label is its text.
class CDEText : public CDEItemBase {
 public:
  CDEText() : CDEItemBase(Text), m_font(DefaultFormFont()) {}
  const CVornString& GetText() const { return GetLabel(); }
  void SetText(const CVornString& s) { SetLabel(s); }
  const LOGFONT& GetLogFont() const { return m_font; }
  void SetLogfont(const LOGFONT& font) { m_font = font; }

 private:
  LOGFONT m_font;
};

// An entry field for one dictionary item. Its label is shown by a text item of its own,
// with a rectangle and font of its own; GetLabel and GetText both read that text.
class CDEField : public CDEItemBase {
 public:
  CDEField() : CDEItemBase(Field) {}

  const CVornString& GetLabel() const override { return m_text.GetLabel(); }
  void SetLabel(const CVornString& s) override { m_text.SetLabel(s); }
  const CVornString& GetText() const { return m_text.GetLabel(); }
  CDEText* GetDETextPtr() { return &m_text; }
  const CDEText* GetDETextPtr() const { return &m_text; }
  const CRect& GetTextDims() const { return m_text.GetDims(); }
  void SetTextDims(const CRect& r) { m_text.SetDims(r); }
  void SetTextDims(int left, int top, int right, int bottom) { m_text.SetDims(left, top, right, bottom); }

  const CVornString& GetItemName() const { return m_sItemName; }
  void SetItemName(const CVornString& s) { m_sItemName = s; }
  const CVornString& GetItemDict() const { return m_sItemDict; }
  void SetItemDict(const CVornString& s) { m_sItemDict = s; }
  int GetOcc() const { return m_iOcc; }  // -1: the field is not tied to one occurrence
  void SetOcc(int occ) { m_iOcc = occ; }

  // The dictionary item the field shows (not owned, not saved; see UpdatePointers).
  const CDictItem* GetDictItem() const { return m_pDictItem; }
  void SetDictItem(const CDictItem* item) { m_pDictItem = item; }

  bool IsEnterKeyRequired() const { return m_bEnterKeyRequired; }
  void IsEnterKeyRequired(bool b) { m_bEnterKeyRequired = b; }
  void SetEnterKeyRequired(bool b) { m_bEnterKeyRequired = b; }
  bool IsProtected() const { return m_bProtected; }
  void IsProtected(bool b) { m_bProtected = b; }
  void SetProtected(bool b) { m_bProtected = b; }

 private:
  CDEText m_text;
  CVornString m_sItemName;
  CVornString m_sItemDict;
  int m_iOcc = -1;
  const CDictItem* m_pDictItem = nullptr;
  bool m_bEnterKeyRequired = false;
  bool m_bProtected = false;
};

// A group of items that are entered together; it owns its items.
class CDEGroup : public CDEItemBase {
 public:
  CDEGroup() : CDEItemBase(Group) {}
  ~CDEGroup() override;

  bool GetRequired() const { return m_bRequired; }
  bool IsRequired() const { return m_bRequired; }
  void SetRequired(bool b) { m_bRequired = b; }
  // How many times the group may be entered (the rows of a roster).
  int GetMaxLoops() const { return m_iMaxLoops; }
  void SetMaxLoops(int n) { m_iMaxLoops = n; }

  // Takes item (see the ownership rules above); returns its index, -1 when refused: null,
  // already held by a group or level, this group itself or a group that contains it.
  int AddItem(CDEItemBase* item);
  int GetNumItems() const { return static_cast<int>(m_aItems.size()); }
  CDEItemBase* GetItem(int i) const;  // null when absent

 protected:
  explicit CDEGroup(eItemType type) : CDEItemBase(type) {}

 private:
  bool m_bRequired = false;
  int m_iMaxLoops = 1;
  std::vector<std::unique_ptr<CDEItemBase>> m_aItems;
};

// A roster: a grid whose columns are the fields of a record or of a repeating item.
class CDERoster2 : public CDEGroup {
 public:
  CDERoster2() : CDEGroup(Roster) {}
};

// A level of the questionnaire; owns its groups.
class CDELevel {
 public:
  CDELevel() = default;
  ~CDELevel();
  CDELevel(const CDELevel&) = delete;
  CDELevel& operator=(const CDELevel&) = delete;

  const CVornString& GetName() const { return m_sName; }
  void SetName(const CVornString& s) { m_sName = s; }
  const CVornString& GetLabel() const { return m_sLabel; }
  void SetLabel(const CVornString& s) { m_sLabel = s; }

  // Takes group (see the ownership rules above); -1 when refused.
  int AddGroup(CDEGroup* group);
  int GetNumGroups() const { return static_cast<int>(m_aGroups.size()); }
  CDEGroup* GetGroup(int i) const;  // null when absent

 private:
  friend class CDEFormFile;
  CVornString m_sName;
  CVornString m_sLabel;
  std::vector<std::unique_ptr<CDEGroup>> m_aGroups;
  bool m_bHeld = false;  // added to a forms file
};

// A page of the data-entry screen.
class CDEForm : public CDEFormBase {
 public:
  CDEForm() = default;
  ~CDEForm() override;

  int GetLevel() const { return m_iLevel; }  // index of the level the form belongs to
  void SetLevel(int i) { m_iLevel = i; }
  // The group the form shows (not owned; null when none).
  CDEGroup* GetGroup() const { return m_pGroup; }
  void SetGroup(CDEGroup* group) { m_pGroup = group; }

  // Shows item on the form, owning it when nobody holds it yet (see above); returns its
  // index, -1 when item is null or already on this form.
  int AddItem(CDEItemBase* item);
  int GetNumItems() const { return static_cast<int>(m_aItems.size()); }
  CDEItemBase* GetItem(int i) const;  // null when absent
  // True when the form itself owns item; false when it only refers to it.
  bool OwnsItem(const CDEItemBase* item) const;

 private:
  friend class CDEGroup;
  friend class CDELevel;
  friend class CDEFormFile;
  friend class FmfReader;
  void Adopt(CDEItemBase* item);  // makes item the form's own without showing it
  // For a group or level about to own item: the item, wrapped for its new owner, when
  // nobody holds it or a form owns it (the form then keeps showing it without owning
  // it); null when a group or level holds it already.
  static std::unique_ptr<CDEItemBase> TakeForLevelTree(CDEItemBase* item);
  int m_iLevel = 0;
  CDEGroup* m_pGroup = nullptr;
  std::vector<CDEItemBase*> m_aItems;                 // in display order
  std::unordered_set<const CDEItemBase*> m_setItems;  // the same, for lookups
  std::vector<std::unique_ptr<CDEItemBase>> m_aOwned;
  bool m_bHeld = false;  // added to a forms file
};

// Settings that the group and roster builders follow.
class CDEDragOptions {
 public:
  void UseEnterKey(bool b) { m_bUseEnterKey = b; }
  bool GetUseEnterKey() const { return m_bUseEnterKey; }
  void UseRosters(int n) { m_iUseRosters = n; }
  int GetUseRosters() const { return m_iUseRosters; }
  void UseSubitems(bool b) { m_bUseSubitems = b; }
  bool GetUseSubitems() const { return m_bUseSubitems; }
  void SetTextLayout(int n) { m_iTextLayout = n; }
  int GetTextLayout() const { return m_iTextLayout; }

 private:
  bool m_bUseEnterKey = false;
  int m_iUseRosters = 0;
  bool m_bUseSubitems = false;
  int m_iTextLayout = 0;
};

// A forms file: header, dictionary names, default fonts, levels and forms.
class CDEFormFile {
 public:
  CDEFormFile();
  ~CDEFormFile();
  CDEFormFile(const CDEFormFile&) = delete;
  CDEFormFile& operator=(const CDEFormFile&) = delete;

  const CVornString& GetFileName() const { return m_sFileName; }
  void SetFileName(const CVornString& s) { m_sFileName = s; }
  const CVornString& GetVersion() const { return m_sVersion; }
  void SetVersion(const CVornString& s) { m_sVersion = s; }
  const CVornString& GetName() const { return m_sName; }
  void SetName(const CVornString& s) { m_sName = s; }
  const CVornString& GetLabel() const { return m_sLabel; }
  void SetLabel(const CVornString& s) { m_sLabel = s; }
  const CVornString& GetPrimaryDictName() const { return m_sPrimaryDict; }
  void SetPrimaryDictName(const CVornString& s) { m_sPrimaryDict = s; }
  // Dictionary file names are kept with their full path.
  bool IsPathOn() const { return m_bPathOn; }
  void IsPathOn(bool b) { m_bPathOn = b; }
  // Repeating records and items are entered as rosters.
  bool ConvertRoster() const { return m_bConvertRoster; }
  void ConvertRoster(bool b) { m_bConvertRoster = b; }

  // Dictionary file names. The pointer form takes a heap string and frees it.
  void AddDict(const CVornString& name) { m_aDicts.push_back(name); }
  void AddDict(CVornString* name);
  int GetNumDicts() const { return static_cast<int>(m_aDicts.size()); }
  const CVornString& GetDictName(int i) const { return m_aDicts.at(i); }

  const LOGFONT& GetDefFldLF() const { return m_fieldFont; }
  void SetDefFldLF(const LOGFONT& f) { m_fieldFont = f; }
  const LOGFONT& GetDefTxtLF() const { return m_textFont; }
  void SetDefTxtLF(const LOGFONT& f) { m_textFont = f; }

  // Take a heap object and own it; -1 when null or already in a forms file.
  int AddLevel(CDELevel* level);
  int AddForm(CDEForm* form);
  int GetNumLevels() const { return static_cast<int>(m_aLevels.size()); }
  CDELevel* GetLevel(int i) const;  // null when absent
  int GetNumForms() const { return static_cast<int>(m_aForms.size()); }
  CDEForm* GetForm(int i) const;  // null when absent

  // Builders: they fill a group or a roster with fields (and their label texts) for
  // dictionary items, laid out as docs/forms-layout.md describes. Field and text sizes
  // come from the default field and text fonts of this forms file measured with dc (null:
  // the installed measurer). Every made item gets form number formNum; fields name their
  // item and the dictionary of the record (or dict) and link to the item given. They
  // return false, adding nothing, for a null group, roster, record or item, and the
  // roster builders for a roster that already holds items. Null options mean the
  // defaults (no enter key, no rosters, no subitems).
  //
  // CreateGroup: one field per item of record, top to bottom; with options->GetUseSubitems()
  // an item that has subitems is replaced by them, otherwise subitems are left out; an item
  // with several occurrences becomes a roster of its own when options->GetUseRosters() is
  // set, else one field per occurrence. Labels take at most maxLabelWidth pixels before the
  // fields' column; a wider label puts its field on the row below. bHorizontal lays the
  // items out left to right in one row; bNamesAsLabels shows item names instead of labels.
  // Items the group holds already stay; the new ones go below them. The group is named
  // after the record and its rectangle is made to enclose everything it holds.
  bool CreateGroup(CDEGroup* group, const CDictRecord* record, int formNum, ITextMeasurer* dc, int maxLabelWidth,
                   const CDEDragOptions* options, bool bHorizontal, bool bNamesAsLabels);
  // A roster of a record: one column per item (subitems as for CreateGroup), one row per
  // record occurrence (GetMaxRecs, at least 1), its top left corner at pt; with bHeadings
  // each column shows its label as a heading above its first row.
  bool CreateRoster2(CDERoster2* roster, const CDictRecord* record, int formNum, CPoint pt,
                     const CDEDragOptions* options, bool bHeadings);
  // A roster of a repeating item: one column (the item, or its subitems when the options
  // ask for them and the item's record gives it some), one row per occurrence; dict names
  // the fields' dictionary (the item's own when null).
  bool CreateRoster2(CDERoster2* roster, const CDictItem* item, int formNum, CPoint pt, ITextMeasurer* dc,
                     const CDEDragOptions* options, int occurrences, bool bHeadings, const CDataDict* dict);

  // The dictionary the fields refer to (not owned, not saved).
  const CDataDict* GetDataDict() const { return m_pDataDict; }
  void SetDataDict(const CDataDict* dict) { m_pDataDict = dict; }
  // With a dictionary set, links every field whose dictionary name is empty or that
  // dictionary's to the item of its item name (null when the dictionary has none).
  // Without one, the links stay as they are.
  void UpdatePointers();

  // Reads a .fmf file. On failure returns false, leaves the model as it was and puts in
  // GetLastError a sentence naming the file and, for a malformed file, the line.
  bool Open(const std::string& path);
  // Writes the .fmf file atomically; false with the reason in GetLastError.
  bool Save(const std::string& path);
  const std::string& GetLastError() const { return m_sLastError; }

  // Every saved field equal, including which items each form owns and which it refers
  // to. Links to dictionary items are not compared.
  bool operator==(const CDEFormFile& other) const;

 private:
  friend class FmfReader;
  void TakeContentFrom(CDEFormFile& other);  // moves everything that the file holds
  CVornString m_sFileName, m_sVersion, m_sName, m_sLabel, m_sPrimaryDict;
  bool m_bPathOn = false;
  bool m_bConvertRoster = false;
  std::vector<CVornString> m_aDicts;
  LOGFONT m_fieldFont;
  LOGFONT m_textFont;
  std::vector<std::unique_ptr<CDELevel>> m_aLevels;
  std::vector<std::unique_ptr<CDEForm>> m_aForms;
  const CDataDict* m_pDataDict = nullptr;
  std::string m_sLastError;
};

// The height of one row of a roster whose column is field (the box made by a roster
// builder): row k of the column is the field's box moved down by k times this.
int RosterRowHeight(const CDEField& field);

// .fmf text of a forms file and back, for Save and Open and for tools that work in
// memory. FmfToText fails (with the reason) only for a model that a file cannot hold: a
// form that shows an item or group the forms file does not hold, or groups nested deeper
// than kMaxFmfNesting. FmfFromText fails with "line N: reason" and leaves formFile as it was.
constexpr int kMaxFmfNesting = 32;
bool FmfToText(const CDEFormFile& formFile, std::string& text, std::string* error = nullptr);
bool FmfFromText(std::string_view text, CDEFormFile& formFile, std::string* error = nullptr);
