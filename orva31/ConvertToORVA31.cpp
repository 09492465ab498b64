#include "app/ConvertApp.h"

bool CConvertApp::ConvertToORVA31Dict(const CVornString&, const CVornString&) {
  m_sMessage = "Travo to ORVA 3.1 conversion is not available in this build yet.";
  m_sMessage.MessageBoxA(0);
  return false;
}
