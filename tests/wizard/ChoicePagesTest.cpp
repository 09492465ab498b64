// The sheet, the family page and the two choice pages, driven through their widgets.
#include <QGroupBox>

#include "WizardTestSupport.h"

namespace {

struct PageText {
  int id;
  const char* caption;
  const char* frame;
  std::vector<const char*> buttons;
};

const PageText kPageTexts[] = {
    {IDD_CONVERT, "Convert", "Choose type of conversion",
     {"Between Travo and ORVA", "Between Travo and VESK"}},
    {IDD_ORVA, "Convert ORVA", "ORVA Data Dictionaries",
     {"ORVA 3.1 to Travo", "ORVA 4.1 to Travo", "Travo to ORVA 3.1"}},
    {IDD_VESK, "Convert VESK", "VESK Data Dictionaries",
     {"VESK to Travo Data Dictionary only", "VESK to Travo Forms and Data Dictionary"}},
};

}  // namespace

TEST_F(WizardTest, SheetHasTitleIconPagesInOrderAndAboutButton) {
  CConvertSheet& sheet = Open();
  EXPECT_EQ(sheet.windowTitle(), QStringLiteral("Travo 4.0 Convert Dictionary"));
  EXPECT_FALSE(sheet.windowIcon().isNull());
  EXPECT_EQ(sheet.currentId(), IDD_CONVERT);
  EXPECT_EQ(sheet.AdjacentPage(IDD_CONVERT, +1), IDD_ORVA);
  EXPECT_EQ(sheet.AdjacentPage(IDD_ORVA, +1), IDD_VESK);
  EXPECT_EQ(sheet.AdjacentPage(IDD_VESK, +1), IDD_FILE_NAMES);
  EXPECT_EQ(sheet.AdjacentPage(IDD_FILE_NAMES, +1), -1);

  QAbstractButton* about = sheet.button(QWizard::CustomButton1);
  ASSERT_TRUE(about->isVisible());
  EXPECT_EQ(about->text(), QStringLiteral("&About Mollox..."));
  QString aboutTitle;
  QString aboutText;
  bool aboutHasIcon = false;
  QTimer::singleShot(0, [&] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    ASSERT_NE(box, nullptr);
    aboutTitle = box->windowTitle();
    aboutText = box->text();
    aboutHasIcon = !box->iconPixmap().isNull();
    box->accept();
  });
  Click(about);
  EXPECT_EQ(aboutTitle, QStringLiteral("About Mollox"));
  EXPECT_EQ(aboutText, QStringLiteral("Mollox"));
  EXPECT_TRUE(aboutHasIcon);
  EXPECT_TRUE(host_.messages.empty());
}

TEST_F(WizardTest, PagesShowTheirTextsAtTheirDialogUnitPositions) {
  CConvertSheet& sheet = Open();
  const DialogUnits units(DialogFont());
  struct Tops {
    int id;
    std::vector<int> tops;
    std::vector<int> widths;
  };
  const Tops layout[] = {{IDD_CONVERT, {21, 40}, {146, 146}},
                         {IDD_ORVA, {17, 32, 47}, {146, 146, 146}},
                         {IDD_VESK, {20, 39}, {146, 171}}};
  for (const PageText& expected : kPageTexts) {
    SCOPED_TRACE(expected.id);
    CRadioPage& page = *qobject_cast<CRadioPage*>(sheet.page(expected.id));
    EXPECT_EQ(page.title(), QString::fromUtf8(expected.caption));
    EXPECT_EQ(page.Frame()->title(), QString::fromUtf8(expected.frame));
    EXPECT_EQ(page.Frame()->geometry(), units.ToPixels(0, 0, 275, 70));
    ASSERT_EQ(page.ButtonCount(), static_cast<int>(expected.buttons.size()));
    const Tops& tops = *std::find_if(std::begin(layout), std::end(layout),
                                     [&](const Tops& t) { return t.id == expected.id; });
    for (int i = 0; i < page.ButtonCount(); ++i) {
      EXPECT_EQ(page.Button(i)->text(), QString::fromUtf8(expected.buttons[i]));
      EXPECT_EQ(page.Button(i)->geometry(), units.ToPixels(25, tops.tops[i], tops.widths[i], 10));
    }
  }
  CFilePage& files = FilePage();
  EXPECT_EQ(files.title(), QStringLiteral("Convert File Names"));
  EXPECT_EQ(files.InputLabel()->geometry(), units.ToPixels(3, 0, 148, 9));
  EXPECT_EQ(files.InputEdit()->geometry(), units.ToPixels(0, 13, 230, 13));
  EXPECT_EQ(files.InputBrowse()->geometry(), units.ToPixels(235, 13, 40, 14));
  EXPECT_EQ(files.OutputLabel()->geometry(), units.ToPixels(2, 35, 140, 9));
  EXPECT_EQ(files.OutputEdit()->geometry(), units.ToPixels(0, 48, 230, 13));
  EXPECT_EQ(files.OutputBrowse()->geometry(), units.ToPixels(235, 48, 40, 14));
  EXPECT_EQ(files.InputBrowse()->text(), QStringLiteral("&Browse..."));
  EXPECT_EQ(files.OutputBrowse()->text(), QStringLiteral("B&rowse..."));
}

TEST(DialogUnitsTest, ConvertsWithTheFontsBaseUnitsAndRoundsLikeMulDiv) {
  const DialogUnits units(6, 13);  // x: 6/4 px per unit, y: 13/8 px per unit
  EXPECT_EQ(units.ToPixelsX(275), 413);  // 412.5 rounds up
  EXPECT_EQ(units.ToPixelsY(70), 114);   // 113.75
  EXPECT_EQ(units.ToPixelsY(-3), -5);    // -4.875, half away from zero
  // Sizes come from the converted corners, so adjacent controls still meet.
  EXPECT_EQ(units.ToPixels(25, 21, 146, 10), QRect(38, 34, 219, 16));
  EXPECT_EQ(units.ToPixels(1, 1, 1, 1).right() + 1, units.ToPixels(2, 1, 1, 1).left());

  const DialogUnits measured(DialogFont());
  EXPECT_GT(measured.averageCharWidth(), 2);
  EXPECT_GT(measured.charHeight(), 6);
  EXPECT_EQ(DialogFont().pointSize(), 8);
}

TEST_F(WizardTest, FamilyPageFollowsTheStoredFamilyCaseSensitively) {
  struct Case {
    const char* stored;  // nullptr: nothing stored
    int selected;
  };
  const Case cases[] = {{nullptr, 0}, {"ORVA", 0}, {"VESK", 1}, {"orva", 1}, {"Orva", 1},
                        {"ORVA ", 1}, {"", 1},     {"something else", 1}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.stored ? c.stored : "(none)");
    ClearSettings();
    if (c.stored) TestSettings().WriteString(kKeyFromTo, QString::fromUtf8(c.stored));
    Open();
    EXPECT_TRUE(RadioPage(IDD_CONVERT).Button(c.selected)->isChecked());
    EXPECT_FALSE(RadioPage(IDD_CONVERT).Button(1 - c.selected)->isChecked());
    // Back offered only from the second page on.
    EXPECT_FALSE(sheet_->button(QWizard::BackButton)->isEnabled());
  }
}

TEST_F(WizardTest, FamilyNextStoresTheFamilyEvenWhenTheWizardIsThenCancelled) {
  Open();
  Choose(IDD_CONVERT, 1);
  Next();
  EXPECT_EQ(sheet_->currentId(), IDD_VESK);
  EXPECT_EQ(TestSettings().GetString(kKeyFromTo), QStringLiteral("VESK"));
  Click(sheet_->button(QWizard::CancelButton));
  EXPECT_EQ(sheet_->result(), QDialog::Rejected);
  EXPECT_EQ(TestSettings().GetString(kKeyFromTo), QStringLiteral("VESK"));

  // The next run opens on VESK; choosing ORVA there stores "ORVA".
  Open();
  EXPECT_TRUE(RadioPage(IDD_CONVERT).Button(1)->isChecked());
  Choose(IDD_CONVERT, 0);
  Next();
  EXPECT_EQ(sheet_->currentId(), IDD_ORVA);
  EXPECT_EQ(TestSettings().GetString(kKeyFromTo), QStringLiteral("ORVA"));
  EXPECT_TRUE(host_.messages.empty());
}

TEST_F(WizardTest, EveryChoiceSetsItsKindAndLeadsToTheFileNamesPage) {
  for (int kind = 0; kind <= 4; ++kind) {
    SCOPED_TRACE(kind);
    OpenFilePageFor(kind);
    EXPECT_EQ(sheet_->GetKind(), kind);
    EXPECT_TRUE(sheet_->button(QWizard::FinishButton)->isVisible());
    EXPECT_TRUE(sheet_->button(QWizard::BackButton)->isEnabled());
  }
}

TEST_F(WizardTest, BackGoesToTheChoicePageOfTheKindAndFromThereToTheFamilyPage) {
  for (int kind = 0; kind <= 4; ++kind) {
    SCOPED_TRACE(kind);
    OpenFilePageFor(kind);
    const int choicePage = kind < 3 ? IDD_ORVA : IDD_VESK;
    EXPECT_EQ(FilePage().BackTarget(), choicePage);
    Back();
    EXPECT_EQ(sheet_->currentId(), choicePage);
    Back();
    EXPECT_EQ(sheet_->currentId(), IDD_CONVERT);
  }
}

TEST_F(WizardTest, ChoicePagesKeepTheirButtonWithinARunAndStartFromTheFirstInTheNext) {
  OpenFilePageFor(2);  // ORVA page, third button
  Back();
  Back();
  Next();  // forward again: the button chosen in this run is still selected
  EXPECT_EQ(sheet_->currentId(), IDD_ORVA);
  EXPECT_TRUE(RadioPage(IDD_ORVA).Button(2)->isChecked());

  OpenFilePageFor(4);
  Open();  // a new run starts from the first button of each choice page
  Next();
  EXPECT_EQ(sheet_->currentId(), IDD_VESK);
  EXPECT_TRUE(RadioPage(IDD_VESK).Button(0)->isChecked());
  Next();
  EXPECT_EQ(sheet_->GetKind(), 3);
  Back();
  Back();
  Choose(IDD_CONVERT, 0);
  Next();
  EXPECT_TRUE(RadioPage(IDD_ORVA).Button(0)->isChecked());
}

TEST_F(WizardTest, GoingBackAndForthNeverCrossesFromOneFamilyToTheOther) {
  OpenFilePageFor(1);
  Back();   // ORVA page
  Back();   // family
  Choose(IDD_CONVERT, 1);
  Next();   // VESK page
  Next();   // file names, kind 3
  EXPECT_EQ(sheet_->GetKind(), 3);
  Back();
  EXPECT_EQ(sheet_->currentId(), IDD_VESK);
  EXPECT_EQ(sheet_->visitedIds(), (QList<int>{IDD_CONVERT, IDD_VESK}));
}
