// The file names page: texts per kind, completion, the output proposal, the file dialogs
// and the checks of Finish.
#include <fstream>

#include "WizardTestSupport.h"

namespace fs = std::filesystem;

namespace {

void Touch(const fs::path& path) { std::ofstream(path) << "x"; }

std::string Str(const QString& text) { return text.toStdString(); }

// A file dialog that records what it was asked and answers from a script.
struct ScriptedChooser {
  std::vector<FileDialogRequest> requests;
  std::vector<std::string> cwdAtOpen;
  std::optional<QString> answer;

  FileChooser Function() {
    return [this](QWidget*, const FileDialogRequest& request) {
      requests.push_back(request);
      cwdAtOpen.push_back(fs::current_path().string());
      return answer;
    };
  }
};

}  // namespace

class FilePageTest : public WizardTest {
 protected:
  void SetUp() override {
    WizardTest::SetUp();
    fs::current_path(dir_.path());
  }
  std::string Path(const std::string& name) const { return dir_.file(name); }
  CVornString Setting(const char* key) { return Str(TestSettings().GetString(QString::fromUtf8(key))); }
  void FocusOutput(CFilePage& page) { QTest::mouseClick(page.OutputEdit(), Qt::LeftButton); }
  QWidget* Focused() const { return QApplication::focusWidget(); }

  TempDir dir_;
};

TEST_F(FilePageTest, LabelsTitlesExtensionsAndFiltersFollowTheKind) {
  struct Expected {
    int kind;
    const char *inLabel, *inTitle, *inExt, *inFilter;
    const char *outLabel, *outTitle, *outExt, *outFilter;
  };
  const char* travoFilter = "Travo Dict (*.dcf)|*.dcf|All Files (*.*)|*.*||";
  const char* veskFilter = "VESK Dict (*.dic)|*.dic|VESK Work Dict (*.wst)|*.wst|All Files (*.*)|*.*||";
  const Expected cases[] = {
      {0, "&Convert ORVA 3.1 Data Dictionary file", "ORVA 3.1 Data Dictionary", "dd",
       "ORVA 3.1 Dict (*.dd)|*.dd|All Files (*.*)|*.*||", "&to Travo Data Dictionary file",
       "Travo Data Dictionary", "dcf", travoFilter},
      {1, "&Convert ORVA 4.1 Data Dictionary file", "ORVA 4.1 Data Dictionary", "ddw",
       "ORVA 4.1 Dict (*.ddw)|*.ddw|All Files (*.*)|*.*||", "&to Travo Data Dictionary file",
       "Travo Data Dictionary", "dcf", travoFilter},
      {2, "&Convert Travo Data Dictionary", "Travo Data Dictionary", "dcf", travoFilter,
       "&to ORVA 3.1 Data Dictionary file", "ORVA 3.1 Data Dictionary", "dd",
       "ORVA 3.1 Dict (*.dd)|*.dd|All Files (*.*)|*.*||"},
      {3, "&Convert VESK Data Dictionary file", "VESK Data Dictionary", "dic,wst", veskFilter,
       "&to Travo Data Dictionary file", "Travo Data Dictionary", "dcf", travoFilter},
      {4, "&Convert VESK Data Dictionary file", "VESK Data Dictionary", "dic,wst", veskFilter,
       "&to Travo Forms file", "Travo Forms", "fmf",
       "Travo Forms (*.fmf)|*.fmf|All Files (*.*)|*.*||"},
  };
  for (const Expected& e : cases) {
    SCOPED_TRACE(e.kind);
    CFilePage& page = OpenFilePageFor(e.kind);
    EXPECT_EQ(Str(page.InputLabel()->text()), e.inLabel);
    EXPECT_EQ(Str(page.OutputLabel()->text()), e.outLabel);
    EXPECT_EQ(page.InputLabel()->buddy(), page.InputEdit());

    ScriptedChooser chooser;
    page.SetFileChooser(chooser.Function());
    Click(page.InputBrowse());
    Click(page.OutputBrowse());
    ASSERT_EQ(chooser.requests.size(), 2u);
    const FileDialogRequest& in = chooser.requests[0];
    const FileDialogRequest& out = chooser.requests[1];
    EXPECT_TRUE(in.open);
    EXPECT_EQ(Str(in.title), e.inTitle);
    EXPECT_EQ(Str(in.defaultExt), e.inExt);
    EXPECT_EQ(Str(in.filter), e.inFilter);
    EXPECT_FALSE(out.open);
    EXPECT_EQ(Str(out.title), e.outTitle);
    EXPECT_EQ(Str(out.defaultExt), e.outExt);
    EXPECT_EQ(Str(out.filter), e.outFilter);
  }
}

TEST_F(FilePageTest, TypedInputIsCompletedAndAnOutputProposedWhenTheOutputBoxGetsTheFocus) {
  CFilePage& page = OpenFilePageFor(1);
  Type(page.InputEdit(), "survey");
  FocusOutput(page);
  EXPECT_EQ(Str(page.InputEdit()->text()), Path("survey.ddw"));
  EXPECT_EQ(Str(page.OutputEdit()->text()), Path("survey.dcf"));
  EXPECT_EQ(page.m_sInputFile, Path("survey.ddw"));
  EXPECT_EQ(page.m_sOutputFile, Path("survey.dcf"));
  EXPECT_EQ(Setting(kKeyFromFolder), dir_.path().string());
  EXPECT_EQ(Setting(kKeyToFolder), dir_.path().string());
  EXPECT_TRUE(host_.messages.empty());
}

TEST_F(FilePageTest, CompletionCases) {
  fs::create_directories(dir_.path() / "sub");
  fs::create_directories(dir_.path() / "a.b");
  fs::create_directories(dir_.path() / "in");
  struct Case {
    int kind;
    std::string typed;
    std::string input;   // after completion
    std::string output;  // proposed
    std::string folder;  // "From Folder" and the current directory
  };
  const std::string d = dir_.path().string();
  const Case cases[] = {
      {0, "survey", d + "/survey.dd", d + "/survey.dcf", d},
      // An extension given stays, whatever it is; the proposal replaces the last one.
      {1, "survey.old.txt", d + "/survey.old.txt", d + "/survey.old.dcf", d},
      // The VESK extension list is appended whole.
      {3, "survey", d + "/survey.dic,wst", d + "/survey.dcf", d},
      {4, "in/survey.dic", d + "/in/survey.dic", d + "/in/survey.fmf", d + "/in"},
      {2, "./in/../in/dict", d + "/in/dict.dcf", d + "/in/dict.dd", d + "/in"},
      // A '.' in a folder name counts as an extension given; the proposal keeps the folder.
      {0, "a.b/survey", d + "/a.b/survey", d + "/a.b/survey.dcf", d + "/a.b"},
      // A folder: its name gains "/." and the extension, and it becomes the input folder.
      {0, "sub", d + "/sub/.dd", d + "/sub/.dcf", d + "/sub"},
      {0, "/survey.dd", "/survey.dd", "/survey.dcf", "/"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.typed);
    fs::current_path(d);
    CFilePage& page = OpenFilePageFor(c.kind);
    Type(page.InputEdit(), QString::fromStdString(c.typed));
    FocusOutput(page);
    EXPECT_EQ(page.m_sInputFile, c.input);
    EXPECT_EQ(page.m_sOutputFile, c.output);
    EXPECT_EQ(Setting(kKeyFromFolder), c.folder);
    EXPECT_EQ(Setting(kKeyToFolder), c.folder);
    EXPECT_EQ(fs::current_path().string(), c.folder);
  }
}

TEST_F(FilePageTest, FocusOnTheOutputBoxWithNoInputChangesNothing) {
  TestSettings().WriteString(kKeyFromFolder, QStringLiteral("/remembered"));
  CFilePage& page = OpenFilePageFor(0);
  Type(page.InputEdit(), "   ");
  FocusOutput(page);
  EXPECT_EQ(Str(page.InputEdit()->text()), "   ");
  EXPECT_EQ(Str(page.OutputEdit()->text()), "");
  EXPECT_EQ(Setting(kKeyFromFolder), "/remembered");
  EXPECT_EQ(Setting(kKeyToFolder), "");
}

TEST_F(FilePageTest, AnOutputAlreadyFilledIsNeverReplaced) {
  fs::create_directories(dir_.path() / "in");
  Touch(dir_.path() / "in" / "survey.dd");
  CFilePage& page = OpenFilePageFor(0);
  Type(page.OutputEdit(), "mine.dcf");
  Type(page.InputEdit(), "survey");
  FocusOutput(page);
  EXPECT_EQ(page.m_sInputFile, Path("survey.dd"));
  EXPECT_EQ(Str(page.OutputEdit()->text()), Path("mine.dcf"));  // the same file, no proposal

  ScriptedChooser chooser;
  chooser.answer = QString::fromStdString(Path("in/survey.dd"));
  page.SetFileChooser(chooser.Function());
  Click(page.InputBrowse());
  EXPECT_EQ(page.m_sInputFile, Path("in/survey.dd"));
  EXPECT_EQ(Str(page.OutputEdit()->text()), Path("mine.dcf"));
}

TEST_F(FilePageTest, EveryActivationEmptiesBothNames) {
  CFilePage& page = OpenFilePageFor(1);
  Type(page.InputEdit(), "survey");
  FocusOutput(page);
  ASSERT_FALSE(page.OutputEdit()->text().isEmpty());
  Back();
  Next();
  EXPECT_EQ(page.InputEdit()->text(), QString());
  EXPECT_EQ(page.OutputEdit()->text(), QString());
  EXPECT_EQ(page.m_sInputFile, "");
  EXPECT_EQ(page.m_bCheckOutput, 1);
}

TEST_F(FilePageTest, BrowseUsesAndRemembersTheFoldersAndProposesTheOutput) {
  fs::create_directories(dir_.path() / "in");
  fs::create_directories(dir_.path() / "out");
  Touch(dir_.path() / "in" / "survey.dd");
  TestSettings().WriteString(kKeyFromFolder, QString::fromStdString(Path("in")));
  TestSettings().WriteString(kKeyToFolder, QString::fromStdString(Path("out")));
  CFilePage& page = OpenFilePageFor(0);
  ScriptedChooser chooser;
  page.SetFileChooser(chooser.Function());

  // A cancelled dialog changes nothing but the current folder.
  Click(page.InputBrowse());
  EXPECT_EQ(chooser.cwdAtOpen.back(), Path("in"));
  EXPECT_EQ(Str(chooser.requests.back().folder), Path("in"));
  EXPECT_EQ(page.m_sInputFile, "");
  EXPECT_EQ(page.m_sOutputFile, "");

  chooser.answer = QString::fromStdString(Path("in/survey.dd"));
  Click(page.InputBrowse());
  EXPECT_EQ(page.m_sInputFile, Path("in/survey.dd"));
  EXPECT_EQ(page.m_sOutputFile, Path("in/survey.dcf"));
  EXPECT_EQ(Setting(kKeyFromFolder), Path("in"));
  EXPECT_EQ(Setting(kKeyToFolder), Path("in"));
  EXPECT_EQ(Focused(), page.InputEdit());

  TestSettings().WriteString(kKeyToFolder, QString::fromStdString(Path("out")));
  chooser.answer = QString::fromStdString(Path("out/result.dcf"));
  Click(page.OutputBrowse());
  EXPECT_EQ(chooser.cwdAtOpen.back(), Path("out"));
  EXPECT_EQ(Str(chooser.requests.back().fileName), Path("in/survey.dcf"));
  EXPECT_EQ(page.m_sOutputFile, Path("out/result.dcf"));
  EXPECT_EQ(Str(page.OutputEdit()->text()), Path("out/result.dcf"));
  EXPECT_EQ(Setting(kKeyToFolder), Path("out"));
  EXPECT_EQ(page.m_bCheckOutput, 0);
  EXPECT_EQ(Focused(), page.OutputEdit());
  EXPECT_TRUE(host_.messages.empty());
}

TEST_F(FilePageTest, BrowseRefusesANameWithInvalidCharacters) {
  CFilePage& page = OpenFilePageFor(0);
  ScriptedChooser chooser;
  page.SetFileChooser(chooser.Function());
  Type(page.InputEdit(), "in?.dd");
  Click(page.InputBrowse());
  Type(page.OutputEdit(), "out<.dcf");
  Click(page.OutputBrowse());
  EXPECT_TRUE(chooser.requests.empty());
  EXPECT_EQ(host_.texts(), (std::vector<std::string>{
                               "in?.dd\n\nThis path name contains invalid characters.",
                               "out<.dcf\n\nThis path name contains invalid characters."}));
  EXPECT_EQ(Focused(), page.OutputEdit());
}

TEST_F(FilePageTest, FinishRefusesWithTheMessageAndTheFocusOfTheFirstCheckThatFails) {
  Touch(dir_.path() / "survey.dd");
  fs::create_directories(dir_.path() / "folder.dcf");
  struct Case {
    std::string input, output;
    std::string message;  // the exact text, or its start when it ends in '*'
    bool inputAtFault;
  };
  const std::string in = Path("survey.dd");
  const Case cases[] = {
      {"", Path("x.dcf"), "No input file name given!", true},
      {"  ", Path("x.dcf"), "No input file name given!", true},
      {"sur|vey.dd", Path("x.dcf"), "sur|vey.dd\n\nThis path name contains invalid characters.", true},
      {Path("missing.dd"), Path("x.dcf"), "File " + Path("missing.dd") + " does not exist.*", true},
      {in, "", "No output file name given!", false},
      {in, "x*.dcf", "x*.dcf\n\nThis path name contains invalid characters.", false},
      {in, Path("nowhere/x.dcf"), "Folder " + Path("nowhere") + " does not exist.*", false},
      {in, Path("folder.dcf"), Path("folder.dcf") + " is a folder, not a file.*", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.message);
    host_.messages.clear();
    CFilePage& page = OpenFilePageFor(0);
    Type(page.OutputEdit(), QString::fromStdString(c.output));
    Type(page.InputEdit(), QString::fromStdString(c.input));
    page.InputEdit()->setFocus();  // the names stay as typed: no completion
    Finish();
    EXPECT_TRUE(sheet_->isVisible());
    EXPECT_EQ(sheet_->currentId(), IDD_FILE_NAMES);
    ASSERT_EQ(host_.messages.size(), 1u);
    const std::string& shown = host_.messages[0].text;
    if (c.message.back() == '*') {
      EXPECT_EQ(shown.substr(0, c.message.size() - 1), c.message.substr(0, c.message.size() - 1));
    } else {
      EXPECT_EQ(shown, c.message);
    }
    EXPECT_EQ(Focused(), c.inputAtFault ? page.InputEdit() : page.OutputEdit());
  }
}

TEST_F(FilePageTest, AnExistingOutputIsReplacedOnlyAfterAYesUnlessTheSaveDialogChoseIt) {
  Touch(dir_.path() / "survey.dd");
  Touch(dir_.path() / "survey.dcf");
  CFilePage& page = OpenFilePageFor(0);
  Type(page.InputEdit(), QString::fromStdString(Path("survey.dd")));
  Type(page.OutputEdit(), QString::fromStdString(Path("survey.dcf")));

  Finish();  // the recording host answers No
  ASSERT_EQ(host_.messages.size(), 1u);
  EXPECT_EQ(host_.messages[0].style & 0xF, unsigned{MB_YESNO});
  EXPECT_TRUE(sheet_->isVisible());
  EXPECT_EQ(Focused(), page.OutputEdit());

  host_.answers.push_back(IDYES);
  Finish();
  EXPECT_EQ(host_.messages.size(), 2u);
  EXPECT_EQ(sheet_->result(), QDialog::Accepted);
  EXPECT_FALSE(sheet_->isVisible());

  // Chosen in the save dialog, which asks on its own: no second question.
  host_.messages.clear();
  CFilePage& again = OpenFilePageFor(0);
  Type(again.InputEdit(), QString::fromStdString(Path("survey.dd")));
  ScriptedChooser chooser;
  chooser.answer = QString::fromStdString(Path("survey.dcf"));
  again.SetFileChooser(chooser.Function());
  Click(again.OutputBrowse());
  Finish();
  EXPECT_TRUE(host_.messages.empty());
  EXPECT_EQ(sheet_->result(), QDialog::Accepted);

  // Typing in a box afterwards asks again.
  host_.messages.clear();
  CFilePage& third = OpenFilePageFor(0);
  third.SetFileChooser(chooser.Function());
  Type(third.InputEdit(), QString::fromStdString(Path("survey.dd")));
  Click(third.OutputBrowse());
  QTest::keyClicks(third.InputEdit(), " ");
  QTest::keyClick(third.InputEdit(), Qt::Key_Backspace);
  EXPECT_EQ(third.m_bCheckOutput, 1);
  Finish();
  EXPECT_EQ(host_.messages.size(), 1u);
  EXPECT_TRUE(sheet_->isVisible());
}

// Finish asks about every existing file the conversion writes, by its own name and the forms
// file first, and not about a name whose extension the conversion replaces; a name chosen
// in the save dialog was asked about there. The first No keeps the page open.
TEST_F(FilePageTest, EveryExistingFileTheConversionWritesIsAskedAbout) {
  Touch(dir_.path() / "survey.dic");
  Touch(dir_.path() / "survey.dcf");
  struct Case {
    std::string what;
    int kind;
    std::string input, output;
    std::vector<std::string> existing;
    bool saveDialog;  // the output chosen in the save dialog
    std::vector<int> answers;
    std::vector<std::string> asked;
    bool finished;
  };
  const Case cases[] = {
      {"forms and their dictionary", 4, "survey.dic", "hh.fmf", {"hh.fmf", "hh.dcf"}, false, {IDYES, IDYES},
       {"hh.fmf", "hh.dcf"}, true},
      {"a No to the dictionary", 4, "survey.dic", "hh.fmf", {"hh.fmf", "hh.dcf"}, false, {IDYES, IDNO},
       {"hh.fmf", "hh.dcf"}, false},
      {"a No to the forms", 4, "survey.dic", "hh.fmf", {"hh.fmf", "hh.dcf"}, false, {IDNO}, {"hh.fmf"}, false},
      {"the dictionary only", 4, "survey.dic", "hh.fmf", {"hh.dcf"}, false, {IDNO}, {"hh.dcf"}, false},
      {"forms chosen in the save dialog", 4, "survey.dic", "hh.fmf", {"hh.fmf", "hh.dcf"}, true, {IDNO},
       {"hh.dcf"}, false},
      {"VESK, another extension", 3, "survey.dic", "hh.xyz", {"hh.xyz", "hh.dcf"}, false, {IDYES}, {"hh.dcf"}, true},
      {"to ORVA 3.1, another extension, chosen in the save dialog", 2, "survey.dcf", "x.xyz", {"x.xyz", "x.dd"},
       true, {IDNO}, {"x.dd"}, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const fs::path folder = dir_.path() / std::to_string(&c - cases);
    fs::create_directories(folder);
    for (const std::string& name : c.existing) Touch(folder / name);
    const std::string output = (folder / c.output).string();
    CFilePage& page = OpenFilePageFor(c.kind);
    Type(page.InputEdit(), QString::fromStdString(Path(c.input)));
    ScriptedChooser chooser;
    if (c.saveDialog) {
      chooser.answer = QString::fromStdString(output);
      page.SetFileChooser(chooser.Function());
      Click(page.OutputBrowse());
    } else {
      Type(page.OutputEdit(), QString::fromStdString(output));
    }
    host_.messages.clear();
    host_.answers.assign(c.answers.begin(), c.answers.end());
    Finish();
    std::vector<std::string> questions;
    for (const std::string& name : c.asked)
      questions.push_back((folder / name).string() + "\n\nThis file already exists.\nDo you want to replace it?");
    EXPECT_EQ(host_.texts(), questions);
    EXPECT_EQ(sheet_->isVisible(), !c.finished);
    if (!c.finished) {
      EXPECT_EQ(Focused(), page.OutputEdit());
    }
  }
}

// An output that is the input file itself, by a link or as the dictionary beside a forms
// file, is refused before any question, with the focus in the output box.
TEST_F(FilePageTest, AnOutputThatIsTheInputIsRefused) {
  Touch(dir_.path() / "survey.ddw");
  Touch(dir_.path() / "hh.dcf");
  fs::create_symlink(Path("survey.ddw"), Path("link.dcf"));
  struct Case {
    int kind;
    std::string input, output, refused;
  };
  const Case cases[] = {
      {1, "survey.ddw", "survey.ddw", "survey.ddw"},
      {1, "survey.ddw", "link.dcf", "link.dcf"},
      {4, "hh.dcf", "hh.fmf", "hh.dcf"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.output);
    CFilePage& page = OpenFilePageFor(c.kind);
    Type(page.InputEdit(), QString::fromStdString(Path(c.input)));
    Type(page.OutputEdit(), QString::fromStdString(Path(c.output)));
    host_.messages.clear();
    host_.answers = {IDYES, IDYES};
    Finish();
    ASSERT_EQ(host_.messages.size(), 1u);
    EXPECT_EQ(host_.messages[0].text,
              Path(c.refused) + "\n\nThis file is the input of the conversion.\nIt cannot be replaced by the output.");
    EXPECT_EQ(host_.messages[0].style, unsigned{MB_OK | MB_ICONEXCLAMATION});
    EXPECT_TRUE(sheet_->isVisible());
    EXPECT_EQ(Focused(), page.OutputEdit());
  }
}

TEST_F(FilePageTest, NamesTypedRelativeKeepNamingTheirFilesWhenTheFolderChanges) {
  fs::create_directories(dir_.path() / "out");
  Touch(dir_.path() / "survey.ddw");
  Touch(dir_.path() / "out" / "survey.ddw");  // the same name in the folder Browse goes to
  TestSettings().WriteString(kKeyToFolder, QString::fromStdString(Path("out")));
  CFilePage& page = OpenFilePageFor(1);
  Type(page.InputEdit(), "survey.ddw");
  ScriptedChooser chooser;
  chooser.answer = QString::fromStdString(Path("out/result.dcf"));
  page.SetFileChooser(chooser.Function());
  Click(page.OutputBrowse());  // changes to "out", then the output box gets the focus
  EXPECT_EQ(chooser.cwdAtOpen.back(), Path("out"));
  EXPECT_EQ(page.m_sInputFile, Path("survey.ddw"));
  EXPECT_EQ(page.m_sOutputFile, Path("out/result.dcf"));

  // A relative output typed before the input's folder becomes current stays where it was.
  fs::current_path(dir_.path());
  CFilePage& again = OpenFilePageFor(1);
  Type(again.OutputEdit(), "result.dcf");
  Type(again.InputEdit(), "out/survey");
  FocusOutput(again);
  EXPECT_EQ(again.m_sInputFile, Path("out/survey.ddw"));
  EXPECT_EQ(again.m_sOutputFile, Path("result.dcf"));
}
