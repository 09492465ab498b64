// Equality of forms files: every saved field, and which items each form owns or refers to.
#include "libs/forms/FormFile.h"
#include "libs/forms/FormWalk.h"

namespace {

class Comparer {
 public:
  Comparer(const CDEFormFile& a, const CDEFormFile& b) : a_(a), b_(b), idsA_(NumberItems(a)), idsB_(NumberItems(b)) {}

  bool Equal() const {
    return a_.GetFileName() == b_.GetFileName() && a_.GetVersion() == b_.GetVersion() &&
           a_.GetName() == b_.GetName() && a_.GetLabel() == b_.GetLabel() &&
           a_.GetPrimaryDictName() == b_.GetPrimaryDictName() && a_.IsPathOn() == b_.IsPathOn() &&
           a_.ConvertRoster() == b_.ConvertRoster() && a_.GetDefFldLF() == b_.GetDefFldLF() &&
           a_.GetDefTxtLF() == b_.GetDefTxtLF() && SameDicts() && SameLevels() && SameForms();
  }

 private:
  bool SameDicts() const {
    if (a_.GetNumDicts() != b_.GetNumDicts()) return false;
    for (int i = 0; i < a_.GetNumDicts(); ++i)
      if (a_.GetDictName(i) != b_.GetDictName(i)) return false;
    return true;
  }

  bool SameLevels() const {
    if (a_.GetNumLevels() != b_.GetNumLevels()) return false;
    for (int l = 0; l < a_.GetNumLevels(); ++l) {
      const CDELevel* x = a_.GetLevel(l);
      const CDELevel* y = b_.GetLevel(l);
      if (x->GetName() != y->GetName() || x->GetLabel() != y->GetLabel() || x->GetNumGroups() != y->GetNumGroups())
        return false;
      for (int g = 0; g < x->GetNumGroups(); ++g)
        if (!SameItem(x->GetGroup(g), y->GetGroup(g))) return false;
    }
    return true;
  }

  bool SameForms() const {
    if (a_.GetNumForms() != b_.GetNumForms()) return false;
    for (int f = 0; f < a_.GetNumForms(); ++f) {
      const CDEForm* x = a_.GetForm(f);
      const CDEForm* y = b_.GetForm(f);
      if (x->GetName() != y->GetName() || x->GetLabel() != y->GetLabel() || x->GetLevel() != y->GetLevel() ||
          x->GetDims() != y->GetDims() || !SameLink(x->GetGroup(), y->GetGroup()) ||
          x->GetNumItems() != y->GetNumItems())
        return false;
      for (int i = 0; i < x->GetNumItems(); ++i) {
        const CDEItemBase* p = x->GetItem(i);
        const CDEItemBase* q = y->GetItem(i);
        if (x->OwnsItem(p) != y->OwnsItem(q)) return false;
        if (x->OwnsItem(p) ? !SameItem(p, q) : !SameLink(p, q)) return false;
      }
    }
    return true;
  }

  // Two references are equal when they point at the same place in their files; a
  // reference to something neither file holds compares by content.
  bool SameLink(const CDEItemBase* p, const CDEItemBase* q) const {
    if (!p || !q) return p == q;
    int idP = idsA_.IdOf(p), idQ = idsB_.IdOf(q);
    if (idP >= 0 || idQ >= 0) return idP == idQ;
    return SameItem(p, q);
  }

  static bool SameItem(const CDEItemBase* p, const CDEItemBase* q) {
    if (p->GetItemType() != q->GetItemType() || p->GetName() != q->GetName() || p->GetLabel() != q->GetLabel() ||
        p->GetDims() != q->GetDims() || p->GetFormNum() != q->GetFormNum())
      return false;
    switch (p->GetItemType()) {
      case CDEFormBase::Field: return SameField(static_cast<const CDEField*>(p), static_cast<const CDEField*>(q));
      case CDEFormBase::Text: {
        auto* s = static_cast<const CDEText*>(p);
        auto* t = static_cast<const CDEText*>(q);
        return s->GetLogFont() == t->GetLogFont();
      }
      default: return SameGroup(AsGroup(p), AsGroup(q));
    }
  }

  static bool SameField(const CDEField* p, const CDEField* q) {
    const CDEText* s = p->GetDETextPtr();
    const CDEText* t = q->GetDETextPtr();
    return p->GetItemName() == q->GetItemName() && p->GetItemDict() == q->GetItemDict() &&
           p->GetOcc() == q->GetOcc() && p->IsEnterKeyRequired() == q->IsEnterKeyRequired() &&
           p->IsProtected() == q->IsProtected() && s->GetName() == t->GetName() && s->GetDims() == t->GetDims() &&
           s->GetLogFont() == t->GetLogFont();
  }

  static bool SameGroup(const CDEGroup* p, const CDEGroup* q) {
    if (!p || !q) return p == q;
    if (p->GetRequired() != q->GetRequired() || p->GetMaxLoops() != q->GetMaxLoops() ||
        p->GetNumItems() != q->GetNumItems())
      return false;
    for (int i = 0; i < p->GetNumItems(); ++i)
      if (!SameItem(p->GetItem(i), q->GetItem(i))) return false;
    return true;
  }

  const CDEFormFile& a_;
  const CDEFormFile& b_;
  FormItemIds idsA_, idsB_;
};

}  // namespace

bool CDEFormFile::operator==(const CDEFormFile& other) const { return Comparer(*this, other).Equal(); }
