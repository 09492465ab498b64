// `vesk-data DIC DATA -d DIR`: the records of a fixed-width data file described by a VESK
// dictionary, as one CSV file per section in DIR.
#include <iostream>

#include "app/cli/CommandRunners.h"
#include "app/cli/ExitStatus.h"
#include "libs/util/FileNames.h"
#include "vesk/VeskData.h"

int RunVeskData(const CommandArguments& args, std::string&) {
  const bool written = WriteVeskDataCsv(VornGetFullFileName(args.files[0]), VornGetFullFileName(args.files[1]),
                                        VornGetFullFileName(args.Value("-d")), std::cerr);
  return written ? kExitWritten : kExitFailed;
}
