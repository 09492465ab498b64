#pragma once
// The command-line tool's exit statuses, the ones its help and man page list.
constexpr int kExitWritten = 0;      // done: the output written, the file shown, the dictionaries the same
constexpr int kExitFailed = 1;       // failed or refused, the reason on stderr (compare: they differ)
constexpr int kExitUsage = 2;        // a usage error
constexpr int kExitInterrupted = 130;  // interrupted by Ctrl-C
