// The forms preview: what its SVG pictures hold, the command's contract, and what a
// browser shows of the household example.
#include <gtest/gtest.h>

#include <QColor>
#include <QImage>

#include <algorithm>
#include <climits>
#include <filesystem>
#include <fstream>
#include <functional>
#include <regex>

#include "CliRun.h"
#include "RecordingHost.h"
#include "RunProcess.h"
#include "app/cli/Preview.h"
#include "libs/forms/FormFile.h"

namespace fs = std::filesystem;

namespace {

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

// The size of a picture: its width and height attributes.
CSize PictureSize(const std::string& svg) {
  std::smatch size;
  if (!std::regex_search(svg, size, std::regex(R"re(<svg [^>]*width="(\d+)" height="(\d+)")re"))) return {};
  return {std::stoi(size[1]), std::stoi(size[2])};
}

TEST(Preview, FormPictureHoldsTextsFieldsAndRosterGrid) {
  CFixedTextMeasurer measurer(7, 13);
  const std::string svg = FormToSvg(*SampleForm(), measurer);
  EXPECT_EQ(svg.rfind("<svg xmlns=\"http://www.w3.org/2000/svg\"", 0), 0u);
  // Texts escaped, the stray byte replaced, so the picture is well-formed UTF-8 XML.
  EXPECT_NE(svg.find(">Name &lt;of&gt; &quot;head&quot; &amp; \xEF\xBF\xBD</text>"), std::string::npos) << svg;
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

// A text stands on its baseline: the top of its rectangle plus its font's ascent as the
// measurer gives it (a line height less a fifth for the fixed measurer).
TEST(Preview, TextsStandOnTheBaselineOfTheirFont) {
  struct Case {
    int lineHeight;
    const char* text;     // the form's text at top 22
    const char* heading;  // the roster's heading at top 60
  };
  const Case cases[] = {
      {13, "<text x=\"30\" y=\"33\"", "<text x=\"20\" y=\"71\""},
      {20, "<text x=\"30\" y=\"38\"", "<text x=\"20\" y=\"76\""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.lineHeight);
    CFixedTextMeasurer measurer(7, c.lineHeight);
    const std::string svg = FormToSvg(*SampleForm(), measurer);
    EXPECT_NE(svg.find(c.text), std::string::npos) << svg;
    EXPECT_NE(svg.find(c.heading), std::string::npos) << svg;
  }
}

// A form size x size holding a roster of rows rows of one column: a 20 x 15 box at 10,10,
// its rows 23 apart.
std::unique_ptr<CDEForm> OneColumnRoster(int size, int rows) {
  auto form = std::make_unique<CDEForm>();
  form->SetDims(0, 0, size, size);
  auto* roster = new CDERoster2;
  roster->SetMaxLoops(rows);
  auto* column = new CDEField;
  column->SetDims(10, 10, 30, 25);
  roster->AddItem(column);
  form->AddItem(roster);
  return form;
}

TEST(Preview, HugeRostersAndCoordinatesStayBounded) {
  CFixedTextMeasurer measurer;
  const std::string svg = FormToSvg(*OneColumnRoster(2000000000, 1000000), measurer);
  EXPECT_LT(svg.size(), 100000u);
  EXPECT_NE(svg.find("more rows"), std::string::npos);
}

// A roster of more rows than are drawn ends in a note of how many are left out, below its
// last row and inside the picture.
TEST(Preview, TheNoteOfRowsLeftOutLiesInsideThePicture) {
  CFixedTextMeasurer measurer(7, 13);  // the note's line: 4 below the rows, 13 high
  // The 100th row drawn ends at 10 + 99 * 23 + 15 = 2302.
  const std::string svg = FormToSvg(*OneColumnRoster(100, 150), measurer);
  EXPECT_NE(svg.find("<text x=\"10\" y=\"2317\""), std::string::npos) << svg.substr(svg.size() - 300);
  EXPECT_NE(svg.find(">... 50 more rows</text>"), std::string::npos);
  EXPECT_GE(PictureSize(svg).cy, 2302 + 4 + 13);
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

const std::string kChromium = "/usr/bin/chromium";
const std::string kRsvgConvert = "/usr/bin/rsvg-convert";

// The household example converted into forms (household.fmf) and its preview (preview/).
void PreviewHouseholdExample(const TempDir& dir) {
  const std::string example = std::string(TRAVO_SOURCE_DIR) + "/examples/household-vesk.dic";
  ProcessResult converted = Cli(dir, {"convert", example, dir.file("household.fmf")});
  ASSERT_EQ(converted.status, 0) << converted.err;
  ProcessResult previewed = Cli(dir, {"preview", dir.file("household.fmf"), "-d", dir.file("preview")});
  ASSERT_EQ(previewed.status, 0) << previewed.err;
}

// Headless Chromium's screenshot of url in a window of width x height pixels.
ProcessResult ChromiumScreenshot(const TempDir& dir, const std::string& url, int width, int height,
                                 const std::string& png) {
  return RunProcess("/usr/bin/timeout",
                    {"120", kChromium, "--headless", "--no-sandbox", "--disable-gpu", "--hide-scrollbars",
                     "--user-data-dir=" + dir.file("profile"),
                     "--window-size=" + std::to_string(width) + "," + std::to_string(height),
                     "--screenshot=" + png, url},
                    dir.path().string());
}

TEST(PreviewCommand, BrowserShowsTheHouseholdForms) {
  if (!fs::exists(kChromium)) GTEST_SKIP() << "chromium is not installed (scripts/install-deps.sh installs it)";
  TempDir dir;
  ASSERT_NO_FATAL_FAILURE(PreviewHouseholdExample(dir));
  const std::string shot = dir.file("shot.png");
  ProcessResult browser = ChromiumScreenshot(dir, "file://" + dir.file("preview/index.html"), 800, 900, shot);
  ASSERT_EQ(browser.status, 0) << browser.err;
  QImage image(QString::fromStdString(shot));
  ASSERT_FALSE(image.isNull());
  // Titles, texts, boxes and grids: far more than a blank page's nothing.
  EXPECT_GT(InkedPixels(image), 5000);
}

// A text of a form where the preview draws it: its rectangle and its font's pixel height.
struct PlacedText {
  std::string text;
  CRect rect;
  int pixels = 0;
};

// The texts drawn for item: a text, a field's label where it has a place of its own (not
// at the corner: fields placed at a screen position have theirs among the form's texts),
// and the texts inside rosters and groups.
void CollectTexts(const CDEItemBase& item, std::vector<PlacedText>& texts) {
  switch (item.GetItemType()) {
    case CDEFormBase::Text: {
      const auto& text = static_cast<const CDEText&>(item);
      texts.push_back({text.GetText(), text.GetDims(), FontPixelHeight(text.GetLogFont())});
      break;
    }
    case CDEFormBase::Field: {
      const auto& field = static_cast<const CDEField&>(item);
      const CRect r = field.GetTextDims();
      if ((r.left != 0 || r.top != 0) && !field.GetLabel().empty())
        texts.push_back({field.GetLabel(), r, FontPixelHeight(field.GetDETextPtr()->GetLogFont())});
      break;
    }
    case CDEFormBase::Roster:
    case CDEFormBase::Group:
    case CDEFormBase::Block: {
      const auto& group = static_cast<const CDEGroup&>(item);
      for (int i = 0; i < group.GetNumItems(); ++i) CollectTexts(*group.GetItem(i), texts);
      break;
    }
    default:
      break;
  }
}

// The entry boxes and roster cells of a picture, as it draws them.
std::vector<CRect> BoxesOf(const std::string& svg) {
  static const std::regex box(R"re(<rect x="(-?\d+)" y="(-?\d+)" width="(\d+)" height="(\d+)"[^>]*stroke="#4a5a7a")re");
  std::vector<CRect> boxes;
  for (std::sregex_iterator it(svg.begin(), svg.end(), box), end; it != end; ++it) {
    const int x = std::stoi((*it)[1]), y = std::stoi((*it)[2]);
    boxes.emplace_back(x, y, x + std::stoi((*it)[3]), y + std::stoi((*it)[4]));
  }
  return boxes;
}

// Text and box strokes; not the light border of the form, nor the edges of smoothing.
bool IsDark(const QImage& image, int x, int y) {
  return image.valid(x, y) && QColor(image.pixel(x, y)).lightness() < 128;
}

bool Near(const CRect& r, int x, int y) {
  return x >= r.left - 1 && x <= r.right + 1 && y >= r.top - 1 && y <= r.bottom + 1;
}

// Where a picture's ink is not where the form places it: a text whose rectangle holds ink
// over less than 60% of its font's height (cut or moved away), and dark pixels outside
// every text's rectangle and box.
std::vector<std::string> MisplacedInk(const QImage& image, const std::vector<PlacedText>& texts,
                                      const std::vector<CRect>& boxes) {
  std::vector<std::string> faults;
  for (const PlacedText& t : texts) {
    int first = INT_MAX, last = INT_MIN;
    for (int y = t.rect.top - 1; y <= t.rect.bottom + 1; ++y)
      for (int x = t.rect.left - 1; x <= t.rect.right + 1; ++x)
        if (IsDark(image, x, y)) first = std::min(first, y), last = std::max(last, y);
    if (first == INT_MAX || (last - first + 1) * 10 < t.pixels * 6)
      faults.push_back("'" + t.text + "' in rows " + std::to_string(t.rect.top) + ".." +
                       std::to_string(t.rect.bottom) + " has ink in rows " +
                       (first == INT_MAX ? "none" : std::to_string(first) + ".." + std::to_string(last)));
  }
  int stray = 0;
  std::string firstStray;
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x) {
      if (!IsDark(image, x, y)) continue;
      const bool placed =
          std::any_of(texts.begin(), texts.end(), [&](const PlacedText& t) { return Near(t.rect, x, y); }) ||
          std::any_of(boxes.begin(), boxes.end(), [&](const CRect& r) { return Near(r, x, y); });
      if (!placed && stray++ == 0) firstStray = std::to_string(x) + "," + std::to_string(y);
    }
  if (stray > 0)
    faults.push_back(std::to_string(stray) + " dark pixels outside texts and boxes, first at " + firstStray);
  return faults;
}

// A picture drawn by a renderer, at its own size, as a PNG file.
struct Renderer {
  std::string name;
  std::string program;
  std::function<ProcessResult(const TempDir&, const std::string& svg, CSize size, const std::string& png)> render;
};

// Every text of every form of the household example lies in its place, the titles whole
// and each label in its field's row, as a browser draws the pictures and as the desktop's
// SVG library (rsvg-convert) does.
TEST(PreviewCommand, TextsLieInTheirPlacesInEveryRenderer) {
  const Renderer renderers[] = {
      {"chromium", kChromium,
       [](const TempDir& dir, const std::string& svg, CSize size, const std::string& png) {
         return ChromiumScreenshot(dir, "file://" + svg, size.cx, size.cy, png);
       }},
      {"rsvg-convert", kRsvgConvert,
       [](const TempDir& dir, const std::string& svg, CSize, const std::string& png) {
         return RunProcess(kRsvgConvert, {svg, "-o", png}, dir.path().string());
       }},
  };
  for (const Renderer& renderer : renderers)
    if (!fs::exists(renderer.program))
      GTEST_SKIP() << renderer.program << " is not installed (scripts/install-deps.sh installs it)";
  TempDir dir;
  ASSERT_NO_FATAL_FAILURE(PreviewHouseholdExample(dir));
  CDEFormFile formFile;
  ASSERT_TRUE(formFile.Open(dir.file("household.fmf"))) << formFile.GetLastError();
  ASSERT_GT(formFile.GetNumForms(), 0);
  for (const Renderer& renderer : renderers) {
    SCOPED_TRACE(renderer.name);
    for (int i = 0; i < formFile.GetNumForms(); ++i) {
      const std::string svgPath = dir.file("preview/form-" + std::to_string(i + 1) + ".svg");
      SCOPED_TRACE(svgPath);
      const std::string svg = ReadTextFile(svgPath);
      const std::string png = dir.file(renderer.name + "-" + std::to_string(i + 1) + ".png");
      ProcessResult rendered = renderer.render(dir, svgPath, PictureSize(svg), png);
      ASSERT_EQ(rendered.status, 0) << rendered.err;
      const QImage image(QString::fromStdString(png));
      ASSERT_FALSE(image.isNull());
      std::vector<PlacedText> texts;
      const CDEForm& form = *formFile.GetForm(i);
      for (int k = 0; k < form.GetNumItems(); ++k) CollectTexts(*form.GetItem(k), texts);
      ASSERT_FALSE(texts.empty());
      for (const std::string& fault : MisplacedInk(image, texts, BoxesOf(svg))) ADD_FAILURE() << fault;
    }
  }
}

}  // namespace
