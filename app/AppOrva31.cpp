// The ORVA 3.1 converters of CConvertApp: entry points into the ORVA 3.1 format module.
#include "app/ConvertApp.h"
#include "libs/dict/DataDict.h"
#include "orva31/Orva31Convert.h"

bool CConvertApp::ConvertORVA31Dict(const CVornString& input, const CVornString& output) {
  FormatContext context = Context();
  const ConversionResult result = orva31::ConvertToTravo({{input, input}, output}, context);
  return Record(result);
}

int CConvertApp::ConvertORVA31Record(DdReader& reader, int record, CDictRecord* target, dd::ClaimBudget& budget) {
  FormatContext context = Context();
  return orva31::ConvertRecord(reader, context, record, *target, budget);
}

void CConvertApp::RemoveCommonOverlaps(CDataDict* dict) {
  FormatContext context = Context();
  orva31::RemoveCommonOverlaps(context, *dict);
}

bool CConvertApp::ConvertToORVA31Dict(const CVornString& input, const CVornString& output) {
  FormatContext context = Context();
  const ConversionResult result =
      orva31::ConvertFromTravo({{input, input}, output}, context, {m_nOrvaRecord, m_nOrvaItem});
  return Record(result);
}

int CConvertApp::ConvertTravoRecord(DdWriter& writer, CDataDict* dict, int level, int record) {
  FormatContext context = Context();
  return orva31::ConvertTravoRecord(writer, context, {m_nOrvaRecord, m_nOrvaItem}, *dict, level, record);
}
