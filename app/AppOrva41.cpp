// The ORVA 4.1 converter of CConvertApp and its section readers: entry points into the
// ORVA 4.1 format module.
#include "app/ConvertApp.h"
#include "orva41/ORVA41Reader.h"

bool CConvertApp::ConvertORVA41Dict(const CVornString& input, const CVornString& output) {
  FormatContext context = Context();
  const ConversionResult result = orva41::ConvertToTravo({{input, input}, output}, context);
  return Record(result);
}

void CConvertApp::ReadORVA41Record(CSpecFile& specFile, CDictRecord* record, bool common) {
  FormatContext context = Context();
  orva41::ReadRecord(specFile, context, *record, common);
}

void CConvertApp::ReadORVA41Item(CSpecFile& specFile, CDictItem* item) {
  FormatContext context = Context();
  orva41::ReadItem(specFile, context, *item);
}

void CConvertApp::ReadORVA41ValueSet(CSpecFile& specFile, CDictVSet* vset) {
  FormatContext context = Context();
  orva41::ReadValueSet(specFile, context, *vset);
}

void CConvertApp::ReadORVA41Value(CSpecFile& specFile, CDictValue* value) {
  FormatContext context = Context();
  orva41::ReadValue(specFile, context, *value);
}
