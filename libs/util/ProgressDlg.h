#pragma once
// The utility library's progress window as the converters drive it: created without
// parent, titled, with a range, a step, a status line and a Cancel button that the
// converter polls. It forwards to a progress window of the reporter it is given.
#include <memory>
#include <string>

#include "libs/util/Reporter.h"

class CProgressDlg {
 public:
  explicit CProgressDlg(IReporter& reporter) : reporter_(reporter) {}
  ~CProgressDlg() { DestroyWindow(); }
  CProgressDlg(const CProgressDlg&) = delete;
  CProgressDlg& operator=(const CProgressDlg&) = delete;

  bool Create();
  void SetWindowText(const std::string& title);
  void SetRange(int lower, int upper);
  void SetStep(int step) { step_ = step; }
  void SetStatus(int stringId);  // a string-table entry
  void SetStatus(const std::string& status);
  int StepIt();  // advances by the step; returns the previous position
  int SetPos(int pos);  // returns the previous position
  int GetPos() const { return pos_; }
  bool CheckCancelButton();
  void DestroyWindow();

 private:
  IReporter& reporter_;
  std::unique_ptr<IProgressWindow> window_;
  int lower_ = 0;
  int upper_ = 100;
  int step_ = 10;
  int pos_ = 0;
};
