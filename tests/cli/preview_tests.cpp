// The forms preview: what its SVG pictures hold, the command's contract, and what a
// browser shows of the household example.
#include <gtest/gtest.h>

#include <QColor>
#include <QImage>

#include <filesystem>
#include <fstream>

#include "RecordingHost.h"
#include "RunProcess.h"
#include "app/cli/Preview.h"
#include "libs/forms/FormFile.h"

namespace fs = std::filesystem;

namespace {

ProcessResult Cli(const TempDir& dir, const std::vector<std::string>& args) {
  return RunProcess(TRAVO_CLI_PATH, args, dir.path().string());
}

// A form with a text, a hand-laid field and a roster of two columns and three rows.
std::unique_ptr<CDEForm> SampleForm() {
  auto form = std::make_unique<CDEForm>();
  form->SetDims(0, 0, 300, 200);
  auto* text = new CDEText;
  text->SetText("Name <of> \"head\" & \xff");  // markup characters and a byte that is no UTF-8
  text->SetDims(30, 22, 120, 35);
  form->AddItem(text);
  auto* field = new CDEField;
  field->SetLabel("Age");
  field->SetDims(200, 22, 227, 37);
  form->AddItem(field);
  auto* roster = new CDERoster2;
  roster->SetMaxLoops(3);
  for (int c = 0; c < 2; ++c) {
    auto* column = new CDEField;
    column->SetLabel(c == 0 ? "Crop" : "Share");
    column->SetDims(20 + 60 * c, 80, 50 + 60 * c, 95);
    column->SetTextDims(20 + 60 * c, 60, 50 + 60 * c, 73);
    roster->AddItem(column);
  }
  roster->SetDims(10, 60, -1, -1);
  form->AddItem(roster);
  return form;
}

size_t Count(const std::string& text, const std::string& what) {
  size_t n = 0;
  for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
  return n;
}

TEST(Preview, FormPictureHoldsTextsFieldsAndRosterGrid) {
  const std::string svg = FormToSvg(*SampleForm());
  EXPECT_EQ(svg.rfind("<svg xmlns=\"http://www.w3.org/2000/svg\"", 0), 0u);
  // Texts escaped, the stray byte replaced, so the picture is well-formed UTF-8 XML.
  EXPECT_NE(svg.find(">Name &lt;of&gt; &quot;head&quot; &amp; \xEF\xBF\xBD</text>"), std::string::npos) << svg;
  EXPECT_NE(svg.find("x=\"30\" y=\"22\""), std::string::npos);
  // A hand-laid field is a box; its label is among the form's texts, not drawn again.
  EXPECT_NE(svg.find("<rect x=\"200\" y=\"22\" width=\"27\" height=\"15\""), std::string::npos);
  EXPECT_EQ(svg.find(">Age<"), std::string::npos);
  // The roster: both headings, and each column repeated for the three rows, one row
  // height (box + 8) apart.
  EXPECT_NE(svg.find(">Crop<"), std::string::npos);
  EXPECT_NE(svg.find(">Share<"), std::string::npos);
  EXPECT_NE(svg.find("<rect x=\"20\" y=\"80\""), std::string::npos);
  EXPECT_NE(svg.find("<rect x=\"20\" y=\"103\""), std::string::npos);
  EXPECT_NE(svg.find("<rect x=\"80\" y=\"126\""), std::string::npos);
  EXPECT_EQ(Count(svg, "<rect "), 2u + 1u + 6u);  // background and form, the field, the cells
}

TEST(Preview, HugeRostersAndCoordinatesStayBounded) {
  CDEForm form;
  form.SetDims(0, 0, 2000000000, 2000000000);
  auto* roster = new CDERoster2;
  roster->SetMaxLoops(1000000);
  auto* column = new CDEField;
  column->SetDims(10, 10, 30, 25);
  roster->AddItem(column);
  form.AddItem(roster);
  const std::string svg = FormToSvg(form);
  EXPECT_LT(svg.size(), 100000u);
  EXPECT_NE(svg.find("more rows"), std::string::npos);
}

TEST(PreviewCommand, WritesAPictureOfEveryFormAndAnIndex) {
  TempDir dir;
  CDEFormFile file;
  file.SetLabel("Survey forms");
  for (const char* name : {"HF", "PF"}) {
    auto* form = new CDEForm;
    form->SetName(name);
    file.AddForm(form);
  }
  ASSERT_TRUE(file.Save(dir.file("survey.fmf"))) << file.GetLastError();
  ProcessResult r = Cli(dir, {"preview", dir.file("survey.fmf"), "-d", dir.file("pictures")});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(fs::exists(dir.file("pictures/form-1.svg")));
  EXPECT_TRUE(fs::exists(dir.file("pictures/form-2.svg")));
  const std::string index = ReadTextFile(dir.file("pictures/index.html"));
  EXPECT_NE(index.find("<title>Survey forms</title>"), std::string::npos);
  EXPECT_NE(index.find("src=\"form-2.svg\""), std::string::npos);

  struct Refused {
    std::vector<std::string> args;
    int status;
  };
  const Refused refused[] = {
      {{"preview", dir.file("survey.fmf")}, 2},
      {{"preview", "-d"}, 2},
      {{"preview", dir.file("missing.fmf"), "-d", dir.file("other")}, 1},
      {{"preview", dir.file("survey.fmf"), "-d", dir.file("survey.fmf")}, 1},  // a file, not a folder
  };
  for (const Refused& c : refused) {
    SCOPED_TRACE(c.args.back());
    ProcessResult bad = Cli(dir, c.args);
    EXPECT_EQ(bad.status, c.status) << bad.err;
    EXPECT_FALSE(bad.err.empty());
  }
  EXPECT_FALSE(fs::exists(dir.file("other")));
}

// How many pixels of the picture differ clearly from white.
int InkedPixels(const QImage& image) {
  int inked = 0;
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x)
      if (QColor(image.pixel(x, y)).lightness() < 200) ++inked;
  return inked;
}

TEST(PreviewCommand, BrowserShowsTheHouseholdForms) {
  const std::string chromium = "/usr/bin/chromium";
  if (!fs::exists(chromium)) GTEST_SKIP() << "chromium is not installed (scripts/install-deps.sh installs it)";
  TempDir dir;
  const std::string example = std::string(TRAVO_SOURCE_DIR) + "/examples/household-vesk.dic";
  ProcessResult converted = Cli(dir, {"convert", example, dir.file("household.fmf")});
  ASSERT_EQ(converted.status, 0) << converted.err;
  ProcessResult previewed = Cli(dir, {"preview", dir.file("household.fmf"), "-d", dir.file("preview")});
  ASSERT_EQ(previewed.status, 0) << previewed.err;

  const std::string shot = dir.file("shot.png");
  ProcessResult browser = RunProcess(
      "/usr/bin/timeout", {"120", chromium, "--headless", "--no-sandbox", "--disable-gpu", "--hide-scrollbars",
                           "--user-data-dir=" + dir.file("profile"), "--window-size=800,900",
                           "--screenshot=" + shot, "file://" + dir.file("preview/index.html")},
      dir.path().string());
  ASSERT_EQ(browser.status, 0) << browser.err;
  QImage image(QString::fromStdString(shot));
  ASSERT_FALSE(image.isNull());
  // Titles, texts, boxes and grids: far more than a blank page's nothing.
  EXPECT_GT(InkedPixels(image), 5000);
}

}  // namespace
