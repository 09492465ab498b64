// Start-up: dispatch after Finish, nothing after Cancel, the Qt host and the filters.
#include <QProgressDialog>
#include <QPushButton>
#include <fstream>
#include <optional>
#include <sstream>

#include "VeskBuilder.h"
#include "WizardTestSupport.h"
#include "app/ConvertApp.h"
#include "app/wizard/FileDialog.h"
#include "app/wizard/QtHost.h"
#include "libs/dict/DataDict.h"
#include "libs/forms/FormFile.h"

namespace fs = std::filesystem;

namespace {

struct Dispatched {
  int kind;
  std::string input, output;
};

// Runs fn once the modal wizard of RunConvertWizard is on screen.
void WhenWizardShown(std::function<void(CConvertSheet&)> fn) {
  QTimer::singleShot(0, [fn] {
    CConvertSheet* sheet = nullptr;
    for (QWidget* widget : QApplication::topLevelWidgets()) {
      if (auto* candidate = qobject_cast<CConvertSheet*>(widget); candidate && candidate->isVisible())
        sheet = candidate;
    }
    ASSERT_NE(sheet, nullptr);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(sheet));
    fn(*sheet);
  });
}

void ClickButton(CConvertSheet& sheet, QWizard::WizardButton which) {
  QTest::mouseClick(sheet.button(which), Qt::LeftButton);
}

// Walks a running wizard to the file names page of kind and types the two names.
void FillIn(CConvertSheet& sheet, int kind, const std::string& input, const std::string& output) {
  qobject_cast<CRadioPage*>(sheet.page(IDD_CONVERT))->Button(kind < 3 ? 0 : 1)->click();
  ClickButton(sheet, QWizard::NextButton);
  auto* choice = qobject_cast<CRadioPage*>(sheet.page(kind < 3 ? IDD_ORVA : IDD_VESK));
  choice->Button(kind < 3 ? kind : kind - 3)->click();
  ClickButton(sheet, QWizard::NextButton);
  auto* files = qobject_cast<CFilePage*>(sheet.page(IDD_FILE_NAMES));
  QTest::keyClicks(files->InputEdit(), QString::fromStdString(input));
  QTest::keyClicks(files->OutputEdit(), QString::fromStdString(output));
}

}  // namespace

class StartupTest : public WizardTest {
 protected:
  void SetUp() override {
    WizardTest::SetUp();
    fs::current_path(dir_.path());
    std::ofstream(dir_.file("survey.ddw")) << "x";
    std::ofstream(dir_.file("survey.dic")) << "x";
  }
  // Runs the whole program's wizard with fn driving it; returns what was dispatched.
  std::vector<Dispatched> Run(std::function<void(CConvertSheet&)> fn, bool* dispatched = nullptr) {
    std::vector<Dispatched> calls;
    WizardRunOptions options;
    options.organization = kTestOrganization;
    options.host = &host_;
    options.dispatch = [&](int kind, const CVornString& in, const CVornString& out) {
      calls.push_back({kind, in, out});
    };
    WhenWizardShown(std::move(fn));
    const bool result = RunConvertWizard(app_, options);
    if (dispatched) *dispatched = result;
    return calls;
  }
  std::vector<std::string> FolderContents() const {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir_.path())) names.push_back(entry.path().filename());
    std::sort(names.begin(), names.end());
    return names;
  }

  CConvertApp app_;
  TempDir dir_;
};

TEST_F(StartupTest, FinishDispatchesTheKindWithBothNamesOnce) {
  struct Case {
    int kind;
    const char* input;
    const char* output;
  };
  const Case cases[] = {{1, "survey.ddw", "survey.dcf"}, {4, "survey.dic", "forms.fmf"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.kind);
    bool dispatched = false;
    const auto calls = Run(
        [&](CConvertSheet& sheet) {
          FillIn(sheet, c.kind, dir_.file(c.input), dir_.file(c.output));
          ClickButton(sheet, QWizard::FinishButton);
        },
        &dispatched);
    EXPECT_TRUE(dispatched);
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].kind, c.kind);
    EXPECT_EQ(calls[0].input, dir_.file(c.input));
    EXPECT_EQ(calls[0].output, dir_.file(c.output));
    EXPECT_TRUE(host_.messages.empty());
  }
}

TEST_F(StartupTest, CancelOrClosingTheWindowEndsWithoutAMessageOrAFile) {
  const std::vector<std::string> before = FolderContents();
  const std::function<void(CConvertSheet&)> endings[] = {
      [](CConvertSheet& sheet) { ClickButton(sheet, QWizard::CancelButton); },
      [](CConvertSheet& sheet) { sheet.close(); },
      [&](CConvertSheet& sheet) {
        FillIn(sheet, 1, dir_.file("survey.ddw"), dir_.file("survey.dcf"));
        QTest::keyClick(&sheet, Qt::Key_Escape);
      },
  };
  for (const auto& ending : endings) {
    bool dispatched = true;
    EXPECT_TRUE(Run(ending, &dispatched).empty());
    EXPECT_FALSE(dispatched);
  }
  EXPECT_TRUE(host_.messages.empty());
  EXPECT_EQ(FolderContents(), before);
}

TEST_F(StartupTest, KindFiveGoesToTheConversionAndOnlyShowsItsMessage) {
  // No page offers kind 5; the dispatch still handles it as the table says.
  WizardRunOptions options;
  options.organization = kTestOrganization;
  options.host = &host_;
  WhenWizardShown([&](CConvertSheet& sheet) {
    FillIn(sheet, 0, dir_.file("survey.ddw"), dir_.file("out.dd"));
    sheet.SetKind(KIND_TRAVO_TO_VESK);
    ClickButton(sheet, QWizard::FinishButton);
  });
  EXPECT_TRUE(RunConvertWizard(app_, options));
  EXPECT_EQ(host_.texts(), std::vector<std::string>{"Travo 2.0 to VESK not implemented yet!"});
  EXPECT_FALSE(fs::exists(dir_.file("out.dd")));
}

TEST_F(StartupTest, VeskKindsConvertEndToEnd) {
  vesktest::VeskBuilder b;
  b.Header({});
  b.Section({.name = "HOUSE", .labels = {"Households"}});
  b.Variable({.name = "ROOMS", .start = 5, .len = 2, .form = "HF", .row = 1, .col = 10, .labels = {"Rooms"}});
  b.Form({.name = "HF", .fields = 1, .text = "\nRooms     [  ]\n"});
  ASSERT_TRUE(b.WriteTo(dir_.file("house.dic")));
  struct Case {
    int kind;
    const char* output;
  };
  for (const Case& c : {Case{KIND_VESK_TO_TRAVO, "house.dcf"}, Case{KIND_VESK_TO_TRAVO_FORMS, "forms.fmf"}}) {
    SCOPED_TRACE(c.kind);
    WizardRunOptions options;
    options.organization = kTestOrganization;
    options.host = &host_;
    WhenWizardShown([&](CConvertSheet& sheet) {
      FillIn(sheet, c.kind, dir_.file("house.dic"), dir_.file(c.output));
      ClickButton(sheet, QWizard::FinishButton);
    });
    EXPECT_TRUE(RunConvertWizard(app_, options));
    EXPECT_TRUE(host_.messages.empty());
    const std::string base = dir_.file(c.output).substr(0, dir_.file(c.output).rfind('.'));
    CDataDict dict;
    ASSERT_TRUE(dict.Open(base + ".dcf")) << dict.GetLastError();
    EXPECT_EQ(dict.GetLevel(0)->GetRecord(0)->GetItem(0)->GetLabel(), "Rooms");
    EXPECT_EQ(fs::exists(base + ".fmf"), c.kind == KIND_VESK_TO_TRAVO_FORMS);
  }
  // The screen text became a text item, sized by measuring it.
  CDEFormFile forms;
  ASSERT_TRUE(forms.Open(dir_.file("forms.fmf"))) << forms.GetLastError();
  const CDEItemBase* caption = forms.GetForm(0)->GetItem(0);
  ASSERT_EQ(caption->GetItemType(), CDEFormBase::Text);
  EXPECT_GT(caption->GetDims().Width(), 0);
}

TEST_F(StartupTest, NoDispatchWithoutFinishOrWithAKindOutsideTheTable) {
  CConvertSheet& sheet = Open();
  int calls = 0;
  const ConversionDispatch count = [&](int, const CVornString&, const CVornString&) { ++calls; };
  for (int kind : {-1, 6, 0x7fffffff}) {
    sheet.SetKind(kind);
    EXPECT_FALSE(DispatchFinishedWizard(sheet, QDialog::Accepted, count));
  }
  sheet.SetKind(2);
  EXPECT_FALSE(DispatchFinishedWizard(sheet, QDialog::Rejected, count));
  EXPECT_TRUE(DispatchFinishedWizard(sheet, QDialog::Accepted, count));
  EXPECT_EQ(calls, 1);
}

TEST(QtHostTest, StylesChooseIconAndButtons) {
  struct Case {
    unsigned style;
    QMessageBox::Icon icon;
    QMessageBox::StandardButtons buttons;
  };
  const Case cases[] = {
      {MB_OK, QMessageBox::NoIcon, QMessageBox::Ok},
      {MB_OK | MB_ICONEXCLAMATION, QMessageBox::Warning, QMessageBox::Ok},
      {MB_ICONHAND, QMessageBox::Critical, QMessageBox::Ok},
      {MB_ICONINFORMATION, QMessageBox::Information, QMessageBox::Ok},
      {MB_YESNO | MB_ICONQUESTION, QMessageBox::Question, QMessageBox::Yes | QMessageBox::No},
      {MB_YESNO, QMessageBox::NoIcon, QMessageBox::Yes | QMessageBox::No},
  };
  for (const Case& c : cases) {
    const MessageBoxLook look = LookOfStyle(c.style);
    EXPECT_EQ(look.icon, c.icon) << c.style;
    EXPECT_EQ(look.buttons, c.buttons) << c.style;
  }
}

TEST(QtHostTest, MessageBoxShowsThePlainTextAndReturnsTheAnswer) {
  CQtHost host(QStringLiteral("Travo 4.0 Convert Dictionary"));
  struct Case {
    unsigned style;
    QMessageBox::StandardButton press;
    int answer;
  };
  const Case cases[] = {{MB_OK | MB_ICONEXCLAMATION, QMessageBox::Ok, IDOK},
                        {MB_YESNO, QMessageBox::Yes, IDYES},
                        {MB_YESNO, QMessageBox::No, IDNO}};
  for (const Case& c : cases) {
    QString title, text;
    Qt::TextFormat format = Qt::AutoText;
    QTimer::singleShot(0, [&] {
      auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
      ASSERT_NE(box, nullptr);
      title = box->windowTitle();
      text = box->text();
      format = box->textFormat();
      box->button(c.press)->click();
    });
    EXPECT_EQ(host.ShowMessage("<b>a & b</b>", c.style), c.answer);
    EXPECT_EQ(title, QStringLiteral("Travo 4.0 Convert Dictionary"));
    EXPECT_EQ(text, QStringLiteral("<b>a & b</b>"));
    EXPECT_EQ(format, Qt::PlainText);
  }
}

TEST(QtHostTest, ProgressWindowShowsStatusAndReportsItsCancelButton) {
  CQtHost host(QStringLiteral("Travo 4.0 Convert Dictionary"));
  std::unique_ptr<IProgressWindow> window = host.OpenProgress();
  QProgressDialog* dialog = nullptr;
  for (QWidget* widget : QApplication::topLevelWidgets()) {
    if (auto* candidate = qobject_cast<QProgressDialog*>(widget); candidate && candidate->isVisible())
      dialog = candidate;
  }
  ASSERT_NE(dialog, nullptr);
  EXPECT_EQ(dialog->windowTitle(), QStringLiteral("Travo 4.0 Convert Dictionary"));
  window->SetRange(0, 10);
  window->SetPos(10);
  window->SetStatus("Converting ...");
  EXPECT_EQ(dialog->labelText(), QStringLiteral("Converting ..."));
  EXPECT_TRUE(dialog->isVisible());  // reaching the end does not close it
  EXPECT_FALSE(window->CancelPressed());

  QPushButton* cancel = dialog->findChild<QPushButton*>();
  ASSERT_NE(cancel, nullptr);
  // A click waits in the queue until the converter polls, as it does during a conversion.
  QMetaObject::invokeMethod(cancel, "click", Qt::QueuedConnection);
  EXPECT_TRUE(window->CancelPressed());
  window->Close();
  EXPECT_FALSE(dialog->isVisible());
}

TEST(FileFilterTest, OldFilterListsBecomeQtFilters) {
  const std::pair<const char*, const char*> cases[] = {
      {"All Files (*.*)|*.*||", "All Files (*)"},
      {"ORVA 3.1 Dict (*.dd)|*.dd|All Files (*.*)|*.*||", "ORVA 3.1 Dict (*.dd);;All Files (*)"},
      {"VESK Dict (*.dic)|*.dic|VESK Work Dict (*.wst)|*.wst|All Files (*.*)|*.*||",
       "VESK Dict (*.dic);;VESK Work Dict (*.wst);;All Files (*)"},
      {"Both|*.dic;*.wst||", "Both (*.dic *.wst)"},
      {"No end|*.x", "No end (*.x)"},
      {"", ""},
  };
  for (const auto& [old, converted] : cases) EXPECT_EQ(ConvertFileFilter(QString::fromUtf8(old)).toStdString(), converted);
}

TEST(WizardOptionsTest, HelpAndVersionAreAnsweredQtOptionsLeftToQt) {
  struct Case {
    std::vector<std::string> args;
    std::optional<int> status;
    std::string out;  // its start
  } cases[] = {
      {{"--help"}, 0, "usage: travo-convert "},
      {{"-h"}, 0, "usage: travo-convert "},
      {{"-platform", "offscreen", "--version"}, 0, "travo-convert " TRAVO_PROJECT_VERSION "\n"},
      {{"-platform", "offscreen"}, std::nullopt, ""},
      {{}, std::nullopt, ""},
  };
  for (const Case& c : cases) {
    std::vector<std::string> strings = c.args;
    strings.insert(strings.begin(), "travo-convert");
    std::vector<char*> argv;
    for (std::string& s : strings) argv.push_back(s.data());
    argv.push_back(nullptr);
    std::ostringstream out;
    EXPECT_EQ(AnswerOwnOptions(static_cast<int>(strings.size()), argv.data(), out), c.status);
    EXPECT_EQ(out.str().substr(0, c.out.size()), c.out);
    if (!c.status) {
      EXPECT_EQ(out.str(), "");
    }
  }
}
