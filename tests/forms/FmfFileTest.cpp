// The .fmf file: exact round trips both ways, line-numbered errors, and safe files.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>

#include "RecordingHost.h"
#include "SampleForms.h"
#include "libs/forms/FormFile.h"
#include "libs/util/SafeFile.h"

namespace fs = std::filesystem;

namespace {

std::string Slurp(const std::string& path) {
  std::string content;
  ReadWholeFile(path, content);
  return content;
}

std::string ToText(const CDEFormFile& ff) {
  std::string text, error;
  EXPECT_TRUE(FmfToText(ff, text, &error)) << error;
  return text;
}

TEST(FmfFile, AModelComesBackEqualAndItsTextByteForByte) {
  auto original = BuildSampleFormFile();
  const std::string text = ToText(*original);
  CDEFormFile read;
  std::string error;
  ASSERT_TRUE(FmfFromText(text, read, &error)) << error;
  EXPECT_TRUE(read == *original);
  EXPECT_EQ(ToText(read), text);

  // The links come back as links: the form shows the very field its group holds, owns
  // its texts, shows the group, and refers to a text a later form owns.
  const CDEGroup* group = read.GetLevel(0)->GetGroup(0);
  const CDEForm* form0 = read.GetForm(0);
  EXPECT_EQ(form0->GetItem(2), group->GetItem(0));
  EXPECT_EQ(form0->GetGroup(), group);
  EXPECT_TRUE(form0->OwnsItem(form0->GetItem(0)));
  EXPECT_EQ(read.GetForm(1)->GetItem(1), read.GetForm(2)->GetItem(0));
  EXPECT_TRUE(read.GetForm(2)->OwnsItem(read.GetForm(2)->GetItem(0)));
  EXPECT_EQ(read.GetForm(1)->GetGroup(), read.GetForm(1)->GetItem(0));
  EXPECT_EQ(read.GetDictName(1), original->GetDictName(1));
}

// Each change of one field must change the text and come back from it: a field the
// writer forgets or the reader drops shows up here.
TEST(FmfFile, EveryFieldIsWrittenAndReadBack) {
  using Change = std::function<void(CDEFormFile&)>;
  auto field = [](CDEFormFile& f) { return static_cast<CDEField*>(f.GetLevel(0)->GetGroup(0)->GetItem(0)); };
  auto text = [](CDEFormFile& f) { return static_cast<CDEText*>(f.GetLevel(0)->GetGroup(0)->GetItem(1)); };
  auto roster = [](CDEFormFile& f) { return static_cast<CDEGroup*>(f.GetLevel(0)->GetGroup(0)->GetItem(3)); };
  const std::vector<std::pair<const char*, Change>> changes = {
      {"file name", [](CDEFormFile& f) { f.SetFileName("x"); }},
      {"version", [](CDEFormFile& f) { f.SetVersion("Travo 4.1"); }},
      {"name", [](CDEFormFile& f) { f.SetName("x"); }},
      {"label", [](CDEFormFile& f) { f.SetLabel("x"); }},
      {"primary dictionary", [](CDEFormFile& f) { f.SetPrimaryDictName("x"); }},
      {"path on", [](CDEFormFile& f) { f.IsPathOn(false); }},
      {"convert roster", [](CDEFormFile& f) { f.ConvertRoster(false); }},
      {"dictionary list", [](CDEFormFile& f) { f.AddDict("third.dcf"); }},
      {"field font face", [](CDEFormFile& f) { f.SetDefFldLF(LOGFONT{"x", -11, 400, false}); }},
      {"text font italic", [](CDEFormFile& f) { LOGFONT l = f.GetDefTxtLF(); l.lfItalic = !l.lfItalic; f.SetDefTxtLF(l); }},
      {"level name", [](CDEFormFile& f) { f.GetLevel(1)->SetName("x"); }},
      {"level label", [](CDEFormFile& f) { f.GetLevel(0)->SetLabel("x"); }},
      {"group required", [](CDEFormFile& f) { f.GetLevel(0)->GetGroup(1)->SetRequired(true); }},
      {"group form number", [](CDEFormFile& f) { f.GetLevel(0)->GetGroup(1)->SetFormNum(9); }},
      {"roster rows", [&](CDEFormFile& f) { roster(f)->SetMaxLoops(99); }},
      {"roster rectangle", [&](CDEFormFile& f) { roster(f)->SetDims(1, 1, 1, 1); }},
      {"field name", [&](CDEFormFile& f) { field(f)->SetName("x"); }},
      {"field label", [&](CDEFormFile& f) { field(f)->SetLabel("x"); }},
      {"field item name", [&](CDEFormFile& f) { field(f)->SetItemName("x"); }},
      {"field dictionary", [&](CDEFormFile& f) { field(f)->SetItemDict("x"); }},
      {"field occurrence", [&](CDEFormFile& f) { field(f)->SetOcc(-1); }},
      {"field enter key", [&](CDEFormFile& f) { field(f)->IsEnterKeyRequired(false); }},
      {"field protected", [&](CDEFormFile& f) { field(f)->IsProtected(true); }},
      {"field text name", [&](CDEFormFile& f) { field(f)->GetDETextPtr()->SetName("x"); }},
      {"field text rectangle", [&](CDEFormFile& f) { field(f)->SetTextDims(0, 0, 0, 0); }},
      {"field text font", [&](CDEFormFile& f) { field(f)->GetDETextPtr()->SetLogfont(LOGFONT{}); }},
      {"field rectangle", [&](CDEFormFile& f) { field(f)->SetDims(0, 0, 0, 0); }},
      {"field form number", [&](CDEFormFile& f) { field(f)->SetFormNum(3); }},
      {"text text", [&](CDEFormFile& f) { text(f)->SetText("x"); }},
      {"text font height", [&](CDEFormFile& f) { LOGFONT l = text(f)->GetLogFont(); l.lfHeight = 1; text(f)->SetLogfont(l); }},
      {"text font weight", [&](CDEFormFile& f) { LOGFONT l = text(f)->GetLogFont(); l.lfWeight = 1; text(f)->SetLogfont(l); }},
      {"form name", [](CDEFormFile& f) { f.GetForm(0)->SetName("x"); }},
      {"form label", [](CDEFormFile& f) { f.GetForm(0)->SetLabel("x"); }},
      {"form level", [](CDEFormFile& f) { f.GetForm(0)->SetLevel(1); }},
      {"form rectangle", [](CDEFormFile& f) { f.GetForm(0)->SetDims(0, 0, 10, 10); }},
      {"form group", [](CDEFormFile& f) { f.GetForm(0)->SetGroup(f.GetLevel(0)->GetGroup(1)); }},
      {"form without group", [](CDEFormFile& f) { f.GetForm(0)->SetGroup(nullptr); }},
      {"form shows one more item", [](CDEFormFile& f) { f.GetForm(2)->AddItem(f.GetLevel(0)->GetGroup(1)); }},
      {"owned rather than shown", [](CDEFormFile& f) {
         auto* form = new CDEForm;
         f.AddForm(form);
         auto* g = new CDEGroup;
         form->AddItem(g);
         f.GetLevel(1)->AddGroup(g);  // now the level owns it and the form refers to it
       }},
  };
  const std::string base = ToText(*BuildSampleFormFile());
  for (const auto& [what, change] : changes) {
    SCOPED_TRACE(what);
    auto changed = BuildSampleFormFile();
    change(*changed);
    const std::string text = ToText(*changed);
    EXPECT_NE(text, base);
    EXPECT_FALSE(*changed == *BuildSampleFormFile());
    CDEFormFile read;
    std::string error;
    ASSERT_TRUE(FmfFromText(text, read, &error)) << error;
    EXPECT_TRUE(read == *changed);
  }
}

std::string SourceFile(const std::string& relative) { return Slurp(std::string(TRAVO_SOURCE_DIR) + "/" + relative); }

TEST(FmfFile, TheDocumentedExampleReadsAndWritesBackUnchanged) {
  const std::string example = SourceFile("tests/forms/data/example.fmf");
  ASSERT_FALSE(example.empty());
  CDEFormFile ff;
  std::string error;
  ASSERT_TRUE(FmfFromText(example, ff, &error)) << error;
  EXPECT_EQ(ToText(ff), example);
  EXPECT_NE(SourceFile("docs/fmf-format.md").find(example), std::string::npos)
      << "docs/fmf-format.md shows tests/forms/data/example.fmf word for word";

  EXPECT_EQ(ff.GetLevel(0)->GetGroup(1)->GetItem(0)->GetItemType(), CDEFormBase::Roster);
  EXPECT_EQ(ff.GetForm(0)->GetGroup(), ff.GetLevel(0)->GetGroup(0));
  EXPECT_EQ(ff.GetForm(1)->GetItem(0), ff.GetLevel(0)->GetGroup(1)->GetItem(0));
}

TEST(FmfFile, AHandWrittenFileIsReadAndWrittenInTheUsualForm) {
  // A byte order mark, CRLF line ends, blank lines, keys in another order, keys left out
  // (their defaults), and blanks inside a text left unescaped.
  const std::string loose =
      "\xEF\xBB\xBFTravo 4.0\r\n"
      "[FormFile]\r\n"
      "Name=FL_X\r\n"
      "Version=Travo 4.0\r\n"
      "\r\n"
      "[Form]\r\n"
      "Label=  two leading blanks\r\n"
      "Rect=0,0,10,10\r\n"
      "[Text]\r\n"
      "Text=Hello\r\n"
      "[EndForm]\r\n";
  CDEFormFile ff;
  std::string error;
  ASSERT_TRUE(FmfFromText(loose, ff, &error)) << error;
  EXPECT_EQ(ff.GetForm(0)->GetLabel(), "  two leading blanks");
  EXPECT_EQ(ff.GetDefFldLF(), DefaultFormFont());
  const CDEText* text = static_cast<const CDEText*>(ff.GetForm(0)->GetItem(0));
  EXPECT_EQ(text->GetText(), "Hello");
  EXPECT_EQ(text->GetLogFont(), DefaultFormFont());
  const std::string canonical = ToText(ff);
  EXPECT_NE(canonical.find("Label=\\s\\stwo leading blanks\n"), std::string::npos) << canonical;
  CDEFormFile again;
  ASSERT_TRUE(FmfFromText(canonical, again, &error)) << error;
  EXPECT_TRUE(again == ff);
  EXPECT_EQ(ToText(again), canonical);
}

struct Malformed {
  const char* what;
  std::string text;
  int line;
  const char* reason;
};

std::string Nested(int depth) {
  std::string text = "Travo 4.0\n[FormFile]\n[Level]\n";
  for (int i = 0; i < depth; ++i) text += "[Group]\n";
  for (int i = 0; i < depth; ++i) text += "[EndGroup]\n";
  return text + "[EndLevel]\n";
}

TEST(FmfFile, AMalformedFileFailsNamingTheLineAndChangesNothing) {
  const std::string head = "Travo 4.0\n[FormFile]\n";  // [FormFile] is line 2
  const std::string form = head + "[Form]\n[Text]\nText=a\n";  // the text is item 0
  const std::vector<Malformed> cases = {
      {"empty file", "", 1, "the file is empty"},
      {"other version", "Travo 3.0\n[FormFile]\n", 1, "\"Travo 4.0\""},
      {"first section", "Travo 4.0\n\n[Level]\n", 3, "first section must be [FormFile]"},
      {"no sections", "Travo 4.0\n\n", 2, "no [FormFile]"},
      {"key before sections", "Travo 4.0\nName=x\n", 2, "before the first section"},
      {"twice", head + "Name=a\nName=b\n", 4, "'Name' appears twice"},
      {"unknown key", head + "Nmae=a\n", 3, "unknown key 'Nmae' in [FormFile]"},
      {"key in list", head + "File=a.dcf\n", 3, "unknown key 'File'"},
      {"no equals", head + "Name\n", 3, "expected [Section] or Key=value"},
      {"empty key", head + "=x\n", 3, "expected [Section] or Key=value"},
      {"yes in lower case", head + "PathOn=yes\n", 3, "expected Yes or No"},
      {"short font", head + "FieldFont=-11,400,No\n", 3, "expected height,weight"},
      {"italic word", head + "FieldFont=-11,400,Maybe,Sans\n", 3, "expected height,weight"},
      {"bad escape", head + "Label=a\\qb\n", 3, "unknown escape \\q"},
      {"lone backslash", head + "Label=ends\\\n", 3, "a backslash ends the text"},
      {"short hex", head + "Label=\\x4\n", 3, "two hexadecimal digits"},
      {"raw control", head + "Label=a\x01" "b\n", 3, "control character"},
      {"raw tab", head + "Label=a\tb\n", 3, "control character"},
      {"raw NUL", head + std::string("Label=a\0b\n", 10), 3, "control character"},
      {"not UTF-8", head + "Label=caf\xE9\n", 3, "not UTF-8"},
      {"unknown section", head + "[Page]\n", 3, "unknown section [Page]"},
      {"open header", head + "[Level\n", 3, "must end with ']'"},
      {"second header", head + "[FormFile]\n", 3, "a second [FormFile]"},
      {"second list", head + "[Dictionaries]\n[Dictionaries]\n", 4, "a second [Dictionaries]"},
      {"field in level", head + "[Level]\n[Field]\n", 4, "must stand inside a [Form], [Group] or [Roster]"},
      {"level in form", head + "[Form]\n[Level]\n", 4, "must stand outside levels and forms"},
      {"refs in group", head + "[Form]\n[Group]\n[Refs]\n", 5, "directly inside a [Form]"},
      {"stray end", head + "[EndGroup]\n", 3, "[EndGroup] without an open [Group]"},
      {"crossed ends", head + "[Level]\n[Group]\n[EndLevel]\n", 5, "the open section is [Group]"},
      {"roster closed as group", head + "[Form]\n[Roster]\n[EndGroup]\n", 5, "without an open [Group]"},
      {"never closed", head + "[Level]\n[Group]\nName=G\n[EndGroup]\n", 3, "[Level] is never closed"},
      {"key after end", head + "[Form]\n[EndForm]\nName=x\n", 5, "unknown key 'Name' in [EndForm]"},
      {"text label", form + "Label=a\n", 6, "unknown key 'Label' in [Text]"},
      {"rect of three", form + "Rect=1,2,3\n", 6, "expected left,top,right,bottom"},
      {"rect too large", form + "Rect=1,2,3,2147483648\n", 6, "expected left,top,right,bottom"},
      {"rect with blank", form + "Rect=1, 2,3,4\n", 6, "expected left,top,right,bottom"},
      {"number with plus", form + "FormNum=+1\n", 6, "expected a whole number"},
      {"fraction", head + "[Form]\n[Field]\nOcc=1.5\n", 5, "expected a whole number"},
      {"missing item", form + "[Refs]\nItem=1\n[EndForm]\n", 7, "item 1 does not exist (the file has 1 items)"},
      {"negative item", form + "[Refs]\nItem=-1\n", 7, "expected an item number"},
      {"item shown twice", form + "[Refs]\nItem=0\n[EndForm]\n", 7, "item 0 is already on this form"},
      {"group is a text", head + "[Form]\nGroup=0\n[Text]\n[EndForm]\n", 4, "item 0 is not a group"},
      {"group is missing", head + "[Form]\nGroup=3\n[EndForm]\n", 4, "item 3 is not a group"},
      {"group not a number", head + "[Form]\nGroup=G1\n", 4, "expected a group number"},
      {"nested too deep", Nested(kMaxFmfNesting + 1), 3 + kMaxFmfNesting + 1, "nested more than 32 deep"},
  };
  for (const Malformed& c : cases) {
    SCOPED_TRACE(c.what);
    auto ff = BuildSampleFormFile();
    std::string error;
    EXPECT_FALSE(FmfFromText(c.text, *ff, &error));
    EXPECT_EQ(error.rfind("line " + std::to_string(c.line) + ": ", 0), 0u) << error;
    EXPECT_NE(error.find(c.reason), std::string::npos) << error;
    EXPECT_TRUE(*ff == *BuildSampleFormFile());
  }
  CDEFormFile deepest;
  std::string error;
  EXPECT_TRUE(FmfFromText(Nested(kMaxFmfNesting), deepest, &error)) << error;
  CDEFormFile again;
  ASSERT_TRUE(FmfFromText(ToText(deepest), again, &error)) << error;
  EXPECT_TRUE(again == deepest);
}

TEST(FmfFile, AModelNoFileCanHoldIsRefusedWithAReason) {
  std::string text = "unchanged", error;
  {
    CDEFormFile ff;
    auto* form = new CDEForm;
    form->SetName("F1");
    ff.AddForm(form);
    CDEGroup outside;  // not in the forms file
    auto* field = new CDEField;
    field->SetName("AGE");
    outside.AddItem(field);
    form->AddItem(field);
    EXPECT_FALSE(FmfToText(ff, text, &error));
    EXPECT_EQ(error, "form 'F1' shows item 'AGE', which the forms file does not hold");
    EXPECT_EQ(text, "unchanged");
  }
  {
    CDEFormFile ff;
    auto* form = new CDEForm;
    form->SetName("F1");
    ff.AddForm(form);
    CDEGroup outside;
    outside.SetName("G");
    form->SetGroup(&outside);
    EXPECT_FALSE(FmfToText(ff, text, &error));
    EXPECT_EQ(error, "form 'F1' shows group 'G', which the forms file does not hold");
  }
  {
    CDEFormFile ff;
    auto* level = new CDELevel;
    ff.AddLevel(level);
    auto* group = new CDEGroup;
    level->AddGroup(group);
    for (int depth = 1; depth <= kMaxFmfNesting; ++depth) {
      auto* inner = new CDEGroup;
      group->AddItem(inner);
      group = inner;
    }
    EXPECT_FALSE(FmfToText(ff, text, &error));
    EXPECT_EQ(error, "groups are nested more than 32 deep");
    EXPECT_FALSE(ff.Save("/nonexistent-folder/x.fmf"));
    EXPECT_EQ(ff.GetLastError(), "Can't save forms file '/nonexistent-folder/x.fmf': groups are nested more than 32 deep");
  }
}

TEST(FmfFile, SaveAndOpenThroughFiles) {
  TempDir dir;
  const std::string path = dir.file("survey.fmf");
  auto original = BuildSampleFormFile();
  ASSERT_TRUE(original->Save(path)) << original->GetLastError();
  EXPECT_EQ(Slurp(path), ToText(*original));

  CDEFormFile read;
  ASSERT_TRUE(read.Open(path)) << read.GetLastError();
  EXPECT_TRUE(read == *original);
  ASSERT_TRUE(read.Save(path));
  EXPECT_EQ(Slurp(path), ToText(*original));

  std::ofstream(dir.file("bad.fmf")) << "Travo 4.0\n[FormFile]\nName=x\n[Level]\n";
  EXPECT_FALSE(read.Open(dir.file("bad.fmf")));
  EXPECT_EQ(read.GetLastError(), "Can't read forms file '" + dir.file("bad.fmf") + "': line 4: [Level] is never closed");
  EXPECT_TRUE(read == *original) << "a failed Open keeps the model";

  EXPECT_FALSE(read.Open(dir.file("missing.fmf")));
  EXPECT_EQ(read.GetLastError(), "File " + dir.file("missing.fmf") + " does not exist.");
  EXPECT_FALSE(read.Open(dir.path().string()));
  EXPECT_EQ(read.GetLastError(), dir.path().string() + " is a folder, not a file.");
  EXPECT_TRUE(read == *original);

  EXPECT_FALSE(read.Save(dir.path().string()));
  EXPECT_NE(read.GetLastError().find("it is a folder"), std::string::npos) << read.GetLastError();
  EXPECT_FALSE(read.Save(dir.file("none/survey.fmf")));
  EXPECT_NE(read.GetLastError().find("No such file or directory"), std::string::npos) << read.GetLastError();
}

// Saving into a folder the process may not write fails and leaves the previous file as it
// was. Root may write anywhere, so the save then runs in a child that gives up root.
TEST(FmfFile, SaveIntoAnUnwritableFolderKeepsThePreviousFile) {
  TempDir dir;
  const std::string folder = dir.file("ro"), path = folder + "/survey.fmf";
  fs::create_directory(folder);
  std::ofstream(path) << "previous";
  chmod(dir.path().c_str(), 0755);
  chmod(folder.c_str(), 0555);
  auto ff = BuildSampleFormFile();

  pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0)) _exit(3);
    bool saved = ff->Save(path);
    bool named = ff->GetLastError() == "Cannot write " + path + ": Permission denied.";
    _exit(saved ? 1 : named ? 0 : 2);
  }
  int status = 0;
  waitpid(child, &status, 0);
  chmod(folder.c_str(), 0755);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0) << "1: saved anyway, 2: another reason, 3: could not give up root";
  EXPECT_EQ(Slurp(path), "previous");
  EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator()), 1);
}

}  // namespace
