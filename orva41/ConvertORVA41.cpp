#include "app/ConvertApp.h"

bool CConvertApp::ConvertORVA41Dict(const CVornString&, const CVornString&) {
  m_sMessage = "ORVA 4.1 to Travo conversion is not available in this build yet.";
  m_sMessage.MessageBoxA(0);
  return false;
}
