// `inspect`: what a dictionary or forms file holds, on stdout.
#include <iostream>

#include "app/cli/CliHost.h"
#include "app/cli/CommandRunners.h"
#include "app/cli/ExitStatus.h"
#include "app/cli/Inspect.h"
#include "libs/util/FileNames.h"
#include "libs/util/TextTools.h"

int RunInspect(const CommandArguments& args, std::string&) {
  const std::string& file = args.files[0];
  // Problems met while reading go to stderr as they come.
  CliHost host(true, true);
  std::string error;
  if (!InspectFile(VornGetFullFileName(file), args.Has("--json"), std::cout, error, host)) {
    std::cerr << VisibleLines(error) << '\n';
    return kExitFailed;
  }
  // A description cut short (a full disk, a closed pipe) is not a file shown.
  if (!std::cout.flush()) {
    std::cerr << "travo-convert-cli: cannot write the description of " << file << '\n';
    return kExitFailed;
  }
  return kExitWritten;
}
