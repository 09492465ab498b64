#include "app/ConvertApp.h"

bool CConvertApp::ConvertVESK(const CVornString&, const CVornString&, bool) {
  m_sMessage = "VESK to Travo conversion is not available in this build yet.";
  m_sMessage.MessageBoxA(0);
  return true;
}
