// The builders of CDEFormFile: groups and rosters of fields for dictionary items, laid
// out by the rules of docs/forms-layout.md (the constants below are the ones it names).
#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "libs/forms/FormFile.h"

namespace {

constexpr int kMargin = 10;    // between a group's rectangle and the items it holds
constexpr int kRowGap = 6;     // between the rows of a group
constexpr int kLabelGap = 10;  // between the label column and the field column
constexpr int kItemGap = 20;   // between the items of a horizontal group
constexpr int kCellPad = 4;    // around a box or a heading inside its roster cell

// Guards against absurd dictionaries: a box is sized for at most kMaxChars characters, a
// roster has at most kMaxRows rows and an item makes at most kMaxRows occurrence fields;
// a measured width or height is cut to kMaxExtent and a coordinate to +-kMaxCoord.
// Positions are summed in 64 bits, so nothing overflows on the way.
constexpr int kMaxChars = 32767;
constexpr int kMaxRows = 9999;
constexpr long long kMaxExtent = 1'000'000;
constexpr long long kMaxCoord = 1'000'000'000;

int Coord(long long v) { return static_cast<int>(std::clamp(v, -kMaxCoord, kMaxCoord)); }

CSize CutSize(CSize s) {
  return {static_cast<int>(std::clamp<long long>(s.cx, 0, kMaxExtent)),
          static_cast<int>(std::clamp<long long>(s.cy, 0, kMaxExtent))};
}

CRect MakeRect(long long left, long long top, CSize size) {
  return CRect(Coord(left), Coord(top), Coord(left + size.cx), Coord(top + size.cy));
}

bool IsEmptyRect(const CRect& r) { return r.right <= r.left || r.bottom <= r.top; }

// Occurrences as the builders count them: at least 1, at most kMaxRows.
int Rows(int occurrences) { return std::clamp(occurrences, 1, kMaxRows); }

// The subitems of item: the subitems that follow it in its record, up to the next item.
std::vector<const CDictItem*> SubitemsOf(const CDictItem* item) {
  std::vector<const CDictItem*> subs;
  const CDictRecord* record = item->GetRecord();
  if (!record || item->GetItemType() != Item) return subs;
  int i = 0;
  while (i < record->GetNumItems() && record->GetItem(i) != item) ++i;
  for (++i; i < record->GetNumItems() && record->GetItem(i)->GetItemType() == SubItem; ++i)
    subs.push_back(record->GetItem(i));
  return subs;
}

// One field to make: its item, occurrence (-1 for none), names, and measured sizes.
struct FieldPlan {
  const CDictItem* item = nullptr;
  int occ = -1;
  CVornString name;
  CVornString label;
  CSize box;
  CSize text;
};

// What the fields made by one call share.
struct Builder {
  ITextMeasurer* dc;
  LOGFONT fieldFont;
  LOGFONT textFont;
  CSize cell;  // the extent of "9" in the field font
  int formNum;
  bool enterKey;
  bool useSubitems;
  bool useRosters;
  bool namesAsLabels;
  CVornString dictName;

  Builder(const CDEFormFile& ff, ITextMeasurer* measurer, int form, const CDEDragOptions* options, bool names,
          CVornString dict)
      : dc(measurer ? measurer : &CurrentTextMeasurer()),
        fieldFont(ff.GetDefFldLF()),
        textFont(ff.GetDefTxtLF()),
        formNum(form),
        enterKey(options && options->GetUseEnterKey()),
        useSubitems(options && options->GetUseSubitems()),
        useRosters(options && options->GetUseRosters() != 0),
        namesAsLabels(names),
        dictName(std::move(dict)) {
    cell = CutSize(dc->GetTextExtent(fieldFont, "9"));
  }

  CVornString LabelOf(const CDictItem* item) const {
    return namesAsLabels || item->GetLabel().IsBlank() ? item->GetName() : item->GetLabel();
  }

  // The entry box of item: its length (1 to kMaxChars) plus one character for the decimal
  // point when the item has decimals and the data holds no decimal character.
  CSize BoxOf(const CDictItem* item) const {
    int chars = std::clamp(item->GetLen(), 1, kMaxChars);
    if (item->GetDecimal() > 0 && !item->GetDecChar()) ++chars;
    return CutSize(FieldBoxSize(chars, cell));
  }

  // The field of item as a whole (occ -1) or of one occurrence of it (occ 1..n).
  FieldPlan Plan(const CDictItem* item, int occ) const {
    FieldPlan plan;
    plan.item = item;
    plan.occ = occ;
    plan.name = item->GetName();
    plan.label = LabelOf(item);
    if (occ > 0) {
      plan.name += "(" + std::to_string(occ) + ")";
      plan.label += " (" + std::to_string(occ) + ")";
    }
    plan.box = BoxOf(item);
    plan.text = CutSize(dc->GetTextExtent(textFont, plan.label));
    return plan;
  }

  std::unique_ptr<CDEField> MakeField(const FieldPlan& plan, const CRect& box, const CRect& text) const {
    auto field = std::make_unique<CDEField>();
    field->SetName(plan.name);
    field->SetItemName(plan.item->GetName());
    field->SetItemDict(dictName);
    field->SetOcc(plan.occ);
    field->SetDictItem(plan.item);
    field->SetFormNum(formNum);
    field->SetEnterKeyRequired(enterKey);
    field->SetLabel(plan.label);
    field->SetDims(box);
    CDEText* label = field->GetDETextPtr();
    label->SetName(plan.name + "_TXT");
    label->SetLogfont(textFont);
    label->SetFormNum(formNum);
    field->SetTextDims(text);
    return field;
  }

  // The columns of a roster of item: its subitems when asked for and it has some, else itself.
  std::vector<FieldPlan> ItemColumns(const CDictItem* item) const {
    std::vector<FieldPlan> columns;
    std::vector<const CDictItem*> subs = useSubitems ? SubitemsOf(item) : std::vector<const CDictItem*>{};
    if (subs.empty()) subs.push_back(item);
    for (const CDictItem* sub : subs) columns.push_back(Plan(sub, -1));
    return columns;
  }

  // Fills an empty roster: columns side by side from pt, a heading band above the rows
  // when asked for, rows rows. Nothing is made per row: a row is drawn from the fields.
  void FillRoster(CDERoster2* roster, const std::vector<FieldPlan>& columns, int rows, CPoint pt,
                  bool headings) const {
    pt = CPoint(Coord(pt.x), Coord(pt.y));
    roster->SetFormNum(formNum);
    roster->SetMaxLoops(rows);
    if (columns.empty()) {
      roster->SetDims(pt.x, pt.y, pt.x, pt.y);
      return;
    }
    long long headingHeight = 0, rowHeight = 0;
    for (const FieldPlan& c : columns) {
      if (headings) headingHeight = std::max<long long>(headingHeight, c.text.cy + 2 * kCellPad);
      rowHeight = std::max<long long>(rowHeight, c.box.cy + 2 * kCellPad);
    }
    const long long rowsTop = static_cast<long long>(pt.y) + headingHeight;
    long long x = pt.x;
    for (const FieldPlan& c : columns) {
      const long long width = std::max(c.box.cx, headings ? c.text.cx : 0) + 2 * kCellPad;
      const CRect box = MakeRect(x + (width - c.box.cx) / 2, rowsTop + (rowHeight - c.box.cy) / 2, c.box);
      const CRect text = headings
                             ? MakeRect(x + (width - c.text.cx) / 2, pt.y + (headingHeight - c.text.cy) / 2, c.text)
                             : CRect(box.left, box.top, box.left, box.top);
      std::unique_ptr<CDEField> field = MakeField(c, box, text);
      if (roster->AddItem(field.get()) >= 0) field.release();
      x += width;
    }
    roster->SetDims(pt.x, pt.y, Coord(x), Coord(rowsTop + rows * rowHeight));
  }
};

// The dictionary name of the fields of a record.
CVornString DictNameOf(const CDictRecord* record) {
  return record->GetDataDict() ? record->GetDataDict()->GetName() : CVornString();
}

// The label of a group or roster of a record: the record's, or its name when that is blank.
CVornString LabelOf(const CDictRecord* record) {
  return record->GetLabel().IsBlank() ? record->GetName() : record->GetLabel();
}

// The dictionary of a loose item: its own, else its record's; null when it has none.
const CDataDict* DictOf(const CDictItem* item) {
  if (item->GetDataDict()) return item->GetDataDict();
  return item->GetRecord() ? item->GetRecord()->GetDataDict() : nullptr;
}

// The columns of a record: its items in order, an item with subitems replaced by them
// when asked for; subitems otherwise left out (a subitem before any item counts as an item).
template <typename Visit>
void ForEachRecordEntry(const CDictRecord* record, bool useSubitems, Visit visit) {
  bool seenItem = false;
  for (int i = 0; i < record->GetNumItems(); ++i) {
    const CDictItem* item = record->GetItem(i);
    if (item->GetItemType() == SubItem && seenItem) continue;
    seenItem = seenItem || item->GetItemType() == Item;
    std::vector<const CDictItem*> subs;
    if (useSubitems && item->GetItemType() == Item)
      for (int j = i + 1; j < record->GetNumItems() && record->GetItem(j)->GetItemType() == SubItem; ++j)
        subs.push_back(record->GetItem(j));
    visit(item, subs);
  }
}

// The items a group gets, in order: a field, or a roster of a repeating item with its columns.
struct GroupEntry {
  FieldPlan field;
  const CDictItem* rosterOf = nullptr;
  std::vector<const CDictItem*> columns;
};

// Every non-empty rectangle of an item: a field's box and label, a text's or group's rectangle.
template <typename Visit>
void ForEachRect(const CDEItemBase* item, Visit visit) {
  auto consider = [&visit](const CRect& r) {
    if (!IsEmptyRect(r)) visit(r);
  };
  consider(item->GetDims());
  if (item->GetItemType() == CDEFormBase::Field) consider(static_cast<const CDEField*>(item)->GetTextDims());
}

}  // namespace

bool CDEFormFile::CreateGroup(CDEGroup* group, const CDictRecord* record, int formNum, ITextMeasurer* dc,
                              int maxLabelWidth, const CDEDragOptions* options, bool bHorizontal,
                              bool bNamesAsLabels) {
  if (!group || !record) return false;
  const Builder b(*this, dc, formNum, options, bNamesAsLabels, DictNameOf(record));

  // What to make, in order.
  std::vector<GroupEntry> entries;
  auto addField = [&entries, &b](const CDictItem* item, int occ) {
    entries.push_back({b.Plan(item, occ), nullptr, {}});
  };
  // An item on its own: a roster or one field per occurrence when it repeats.
  auto addSingle = [&](const CDictItem* item) {
    const int n = Rows(item->GetOccurs());
    if (n == 1)
      addField(item, -1);
    else if (b.useRosters)
      entries.push_back({FieldPlan{}, item, {item}});
    else
      for (int k = 1; k <= n; ++k) addField(item, k);
  };
  ForEachRecordEntry(record, b.useSubitems, [&](const CDictItem* item, const std::vector<const CDictItem*>& subs) {
    const int n = Rows(item->GetOccurs());
    if (subs.empty())
      addSingle(item);
    else if (n == 1)
      for (const CDictItem* sub : subs) addSingle(sub);
    else if (b.useRosters)
      entries.push_back({FieldPlan{}, item, subs});
    else
      for (int k = 1; k <= n; ++k)
        for (const CDictItem* sub : subs) addField(sub, k);
  });

  // Where the new items start: inside the margin, below whatever the group holds already.
  const CPoint origin(Coord(group->GetX()), Coord(group->GetY()));
  const long long x0 = static_cast<long long>(origin.x) + kMargin;
  long long y = static_cast<long long>(origin.y) + kMargin;
  for (int i = 0; i < group->GetNumItems(); ++i)
    ForEachRect(group->GetItem(i), [&y](const CRect& r) { y = std::max<long long>(y, r.bottom + kRowGap); });

  const long long maxLabel = std::max(maxLabelWidth, 0);
  long long labelColumn = 0;
  for (const GroupEntry& e : entries)
    if (!e.rosterOf && e.field.text.cx <= maxLabel) labelColumn = std::max<long long>(labelColumn, e.field.text.cx);
  const long long fieldX = x0 + labelColumn + kLabelGap;

  auto add = [group](std::unique_ptr<CDEItemBase> item) {
    if (group->AddItem(item.get()) >= 0) item.release();
  };
  auto addRoster = [&](const GroupEntry& e, long long left, long long top) {
    const CDictItem* item = e.rosterOf;
    std::vector<FieldPlan> columns;
    for (const CDictItem* column : e.columns) columns.push_back(b.Plan(column, -1));
    auto roster = std::make_unique<CDERoster2>();
    roster->SetName(item->GetName() + "_ROSTER");
    roster->SetLabel(b.LabelOf(item));
    b.FillRoster(roster.get(), columns, Rows(item->GetOccurs()), CPoint(Coord(left), Coord(top)), true);
    const CRect r = roster->GetDims();
    add(std::move(roster));
    return r;
  };

  long long x = x0;
  for (const GroupEntry& e : entries) {
    if (e.rosterOf) {
      const CRect r = addRoster(e, x, y);
      if (bHorizontal)
        x = static_cast<long long>(r.right) + kItemGap;
      else
        y = static_cast<long long>(r.bottom) + kRowGap;
      continue;
    }
    const FieldPlan& f = e.field;
    const long long line = std::max(f.text.cy, f.box.cy);
    CRect text, box;
    if (bHorizontal) {
      text = MakeRect(x, y + (line - f.text.cy) / 2, f.text);
      box = MakeRect(x + f.text.cx + kLabelGap, y + (line - f.box.cy) / 2, f.box);
      x = static_cast<long long>(box.right) + kItemGap;
    } else if (f.text.cx <= maxLabel) {
      text = MakeRect(x0, y + (line - f.text.cy) / 2, f.text);
      box = MakeRect(fieldX, y + (line - f.box.cy) / 2, f.box);
      y += line + kRowGap;
    } else {  // a label wider than the column: on a row of its own, the field below it
      text = MakeRect(x0, y, f.text);
      y += f.text.cy + kRowGap;
      box = MakeRect(fieldX, y, f.box);
      y += f.box.cy + kRowGap;
    }
    add(b.MakeField(f, box, text));
  }

  // The group encloses its own corner and every item it holds, with the margin around them.
  long long left = origin.x, top = origin.y, right = left + 2 * kMargin, bottom = top + 2 * kMargin;
  for (int i = 0; i < group->GetNumItems(); ++i)
    ForEachRect(group->GetItem(i), [&](const CRect& r) {
      left = std::min<long long>(left, r.left - kMargin);
      top = std::min<long long>(top, r.top - kMargin);
      right = std::max<long long>(right, r.right + kMargin);
      bottom = std::max<long long>(bottom, r.bottom + kMargin);
    });
  group->SetDims(Coord(left), Coord(top), Coord(right), Coord(bottom));
  group->SetName(record->GetName());
  group->SetLabel(LabelOf(record));
  group->SetFormNum(formNum);
  return true;
}

bool CDEFormFile::CreateRoster2(CDERoster2* roster, const CDictRecord* record, int formNum, CPoint pt,
                                const CDEDragOptions* options, bool bHeadings) {
  if (!roster || !record || roster->GetNumItems() > 0) return false;
  const Builder b(*this, nullptr, formNum, options, false, DictNameOf(record));
  std::vector<FieldPlan> columns;
  ForEachRecordEntry(record, b.useSubitems, [&](const CDictItem* item, const std::vector<const CDictItem*>& subs) {
    if (subs.empty()) columns.push_back(b.Plan(item, -1));
    for (const CDictItem* sub : subs) columns.push_back(b.Plan(sub, -1));
  });
  if (roster->GetName().empty()) roster->SetName(record->GetName() + "_ROSTER");
  if (roster->GetLabel().empty()) roster->SetLabel(LabelOf(record));
  b.FillRoster(roster, columns, Rows(record->GetMaxRecs()), pt, bHeadings);
  return true;
}

bool CDEFormFile::CreateRoster2(CDERoster2* roster, const CDictItem* item, int formNum, CPoint pt, ITextMeasurer* dc,
                                const CDEDragOptions* options, int occurrences, bool bHeadings,
                                const CDataDict* dict) {
  if (!roster || !item || roster->GetNumItems() > 0) return false;
  if (!dict) dict = DictOf(item);
  const Builder b(*this, dc, formNum, options, false, dict ? dict->GetName() : CVornString());
  if (roster->GetName().empty()) roster->SetName(item->GetName() + "_ROSTER");
  if (roster->GetLabel().empty()) roster->SetLabel(b.LabelOf(item));
  b.FillRoster(roster, b.ItemColumns(item), Rows(occurrences), pt, bHeadings);
  return true;
}

int RosterRowHeight(const CDEField& field) { return field.GetDims().Height() + 2 * kCellPad; }
