// `preview`: pictures of the forms of a forms file, one SVG per form and an index.html.
#include <iostream>

#include "app/cli/CommandRunners.h"
#include "app/cli/ExitStatus.h"
#include "app/cli/Preview.h"
#include "app/cli/RealFontMeasuring.h"
#include "libs/util/FileNames.h"
#include "libs/util/TextTools.h"

int RunPreview(const CommandArguments& args, std::string&) {
  // Texts are placed on their baselines with the ascents of the fonts that laid them out.
  [[maybe_unused]] const RealFontMeasuring measuring;
  std::string error;
  if (!WriteFormsPreview(VornGetFullFileName(args.files[0]), VornGetFullFileName(args.Value("-d")), error)) {
    std::cerr << VisibleLines(error) << '\n';
    return kExitFailed;
  }
  return kExitWritten;
}
