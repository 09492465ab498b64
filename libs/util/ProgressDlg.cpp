#include "libs/util/ProgressDlg.h"

#include <algorithm>

#include "res/StringTable.h"

bool CProgressDlg::Create() {
  if (!window_) window_ = reporter_.OpenProgress();
  return window_ != nullptr;
}

void CProgressDlg::SetWindowText(const std::string& title) {
  if (window_) window_->SetTitle(title);
}

void CProgressDlg::SetRange(int lower, int upper) {
  lower_ = lower;
  upper_ = std::max(lower, upper);
  pos_ = std::clamp(pos_, lower_, upper_);
  if (window_) window_->SetRange(lower_, upper_);
}

void CProgressDlg::SetStatus(int stringId) {
  const char* text = LoadResString(stringId);
  SetStatus(std::string(text ? text : ""));
}

void CProgressDlg::SetStatus(const std::string& status) {
  if (window_) window_->SetStatus(status);
}

int CProgressDlg::StepIt() {
  int previous = pos_;
  pos_ += step_;
  if (pos_ > upper_) pos_ = lower_ + (pos_ - upper_);  // wraps like the old control
  if (window_) window_->SetPos(pos_);
  return previous;
}

int CProgressDlg::SetPos(int pos) {
  int previous = pos_;
  pos_ = std::clamp(pos, lower_, upper_);
  if (window_) window_->SetPos(pos_);
  return previous;
}

bool CProgressDlg::CheckCancelButton() { return window_ && window_->CancelPressed(); }

void CProgressDlg::DestroyWindow() {
  if (window_) {
    window_->Close();
    window_.reset();
  }
}
