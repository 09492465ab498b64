// The command-line host: Ctrl-C acts as Cancel, questions get a safe answer without a
// terminal, and no bar is drawn when stderr is not a terminal.
#include <gtest/gtest.h>

#include <unistd.h>

#include <csignal>

#include "app/cli/CliHost.h"

TEST(CliHost, CtrlCPressesCancelOnce) {
  CliHost host(false, false);
  auto progress = host.OpenProgress();
  EXPECT_FALSE(progress->CancelPressed());
  EXPECT_FALSE(CliHost::Interrupted());
  std::raise(SIGINT);
  EXPECT_TRUE(CliHost::Interrupted());
  EXPECT_TRUE(progress->CancelPressed());
  // The first Ctrl-C restored the default action, so a second one ends the program.
  struct sigaction current {};
  sigaction(SIGINT, nullptr, &current);
  EXPECT_EQ(current.sa_handler, SIG_DFL);
}

TEST(CliHost, QuestionsWithoutATerminalAnswerNoUnlessYesWasGiven) {
  testing::internal::CaptureStderr();
  CliHost cautious(false, true);
  const int answer = cautious.ShowMessage("Replace it?", MB_YESNO);
  if (!isatty(STDIN_FILENO)) {
    EXPECT_EQ(answer, IDNO);
  }
  CliHost agreeing(true, true);
  EXPECT_EQ(agreeing.ShowMessage("Replace it?", MB_YESNO), IDYES);
  EXPECT_EQ(agreeing.ShowMessage("Done.", MB_OK), IDOK);
  // Each message verbatim, blocks apart; no progress bar without a terminal.
  auto progress = agreeing.OpenProgress();
  progress->SetStatus("Converting ...");
  progress->SetPos(50);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "Replace it?\nReplace it?\n\nDone.\n");
}
