// examples/household-vesk.dic is what the builder writes for HouseholdExample(), and it
// loads with what it is there to show.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>

#include "VeskSamples.h"
#include "VeskTestSupport.h"

namespace vesktest {
namespace {

const std::string kExample = std::string(TRAVO_EXAMPLES_DIR) + "/household-vesk.dic";

TEST(VeskExample, CommittedFileIsTheBuildersOutput) {
  std::ifstream in(kExample, std::ios::binary);
  ASSERT_TRUE(in) << kExample;
  const std::string committed{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  // On a difference, write the file again: vesk_make_examples examples
  EXPECT_TRUE(committed == HouseholdExample()) << kExample << " differs from HouseholdExample()";
}

TEST(VeskExample, LoadsWithLevelsGroupCodesAndForms) {
  TempDir dir;
  VeskBuilder b;
  b.Raw(HouseholdExample());
  short loaded = 0;
  auto dic = Load(dir, b, &loaded);
  ASSERT_EQ(loaded, 1) << dic->status;
  ASSERT_TRUE(dic->ReorderSections());
  EXPECT_EQ(dic->GetNumLevels(), 2);
  ASSERT_EQ(dic->secs->count, 3);
  EXPECT_EQ(dic->forms->count, 3);

  const Sec* plot = dic->GetSec(1);
  EXPECT_EQ(plot->name, "PLOT");
  EXPECT_EQ(plot->secKind, 'M');
  ASSERT_NE(plot->grp, nullptr);
  EXPECT_EQ(plot->grp->nOcc, 3);
  EXPECT_EQ(plot->grp->vars->count, 2);
  const Frm* plotForm = FrmOf(plot->forms, 0);
  EXPECT_EQ(plotForm->vars->count, 5);
  EXPECT_EQ(plotForm->GetCell(3), 0x0100);  // the second crop a row below the first

  const Sec* person = dic->GetSec(2);
  EXPECT_EQ(person->level, 2);
  Var* hours = dic->GetVar("HOURS");
  ASSERT_NE(hours, nullptr);
  EXPECT_EQ(hours->missing, 99);
  EXPECT_EQ(hours->notAppl, 98);
  EXPECT_EQ(hours->cats->count, 1);
  Var* water = dic->GetVar("WATER");
  ASSERT_NE(water, nullptr);
  ASSERT_TRUE(water->labels->Load());
  char label[80];
  EXPECT_STREQ(water->GetCatLabel("3", label), "River or lake");
}

}  // namespace
}  // namespace vesktest
