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
  // On a terminal the cautious host would wait for an answer (question_tests asks there).
  const bool terminal = isatty(STDIN_FILENO);
  testing::internal::CaptureStderr();
  if (!terminal) {
    CliHost cautious(false, true);
    std::optional<QuestionAnswer> answer;
    EXPECT_EQ(cautious.Show("Replace it?", MB_YESNO, answer), IDNO);
    ASSERT_TRUE(answer);
    EXPECT_FALSE(answer->yes);
    EXPECT_EQ(answer->from, "standard input is not a terminal");
  }
  CliHost agreeing(true, true);
  EXPECT_EQ(agreeing.ShowMessage("Replace it?", MB_YESNO), IDYES);
  std::optional<QuestionAnswer> answer;
  EXPECT_EQ(agreeing.Show("Done.", MB_OK, answer), IDOK);
  EXPECT_FALSE(answer) << "a message that asks nothing has no answer";
  // Each message verbatim, blocks apart, a question followed by its answer; no progress
  // bar without a terminal.
  auto progress = agreeing.OpenProgress();
  progress->SetStatus("Converting ...");
  progress->SetPos(50);
  const std::string cautiousPart = terminal ? "" : "Replace it?\n(answered no: standard input is not a terminal)\n";
  EXPECT_EQ(testing::internal::GetCapturedStderr(), cautiousPart + "Replace it?\n(answered yes: --yes)\n\nDone.\n");
}
