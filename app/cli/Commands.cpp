// The table of the tool's commands. A command is added here: its name, forms, help texts,
// its options and files as the argument parser reads them, and its run function
// (declared in CommandRunners.h).
#include "app/cli/Command.h"
#include "app/cli/CommandRunners.h"

const std::vector<Command>& Commands() {
  static const std::vector<Command> commands = {
      {"convert",
       {"convert [--kind K] [--yes] [--quiet] [--oem-codepage CP] [--log FILE] INPUT OUTPUT",
        "convert [--kind K] [--yes] [--quiet] [--oem-codepage CP] [--log FILE] -o OUTDIR INPUT..."},
       "convert a dictionary, or every dictionary of files and folders",
       "Converts the dictionary INPUT into OUTPUT, or with -o every INPUT (files, and folders with all their "
       "subfolders) into OUTDIR. Without --kind each file's content decides: ORVA 3.1, ORVA 4.1 and VESK "
       "dictionaries become .dcf (a VESK dictionary .fmf when OUTPUT ends in .fmf), Travo dictionaries .dd; a "
       "file of no format this tool knows is refused, and in the folder form a file that neither holds nor is "
       "named as a known format is skipped and listed. Each existing file the conversion writes (the dictionary "
       "beside a forms file too) is replaced only when the question about it is answered yes: by --yes, or on "
       "the terminal; without a terminal the answer is no. Every question is shown on stderr with the answer it "
       "got, e.g. \"(answered no: standard input is not a terminal)\". An output that is the input file itself is "
       "refused.",
       {{"--kind", "K",
         "the conversion kind, 0 to 5 or a name: orva31 (0), orva41 (1), to-orva31 (2), vesk (3), vesk-forms "
         "(4), to-vesk (5)",
         "a value", false, false, CheckConversionKind},
        {"--yes", nullptr, "answer yes to every question (replace an existing file the conversion writes)"},
        {"--quiet", nullptr, "draw no progress bar, print no summary of what was written"},
        {"--oem-codepage", "CP", "the code page of the old files' texts, an iconv name (default CP850)"},
        {"--log", "FILE", "append a record of every conversion, its messages and answers to FILE"},
        {"-o", "OUTDIR", "convert every INPUT into OUTDIR, under its path inside the folder given", "a value", true}},
       {},  // one INPUT and OUTPUT, or with -o one INPUT or more: RunConvert checks them
       true,
       RunConvert},
      {"inspect",
       {"inspect [--json] FILE"},
       "show what a dictionary or forms file holds",
       "Shows what FILE holds, chosen by its content or its extension: a Travo dictionary (.dcf) or forms file "
       "(.fmf), an ORVA 4.1 dictionary (.ddw) as its conversion builds it, the layout of an ORVA 3.1 file (.dd), "
       "a VESK dictionary (.dic, .wst).",
       {{"--json", nullptr, "print the description as JSON"}},
       {1, nullptr, "inspect needs one FILE"},
       false,
       RunInspect},
      {"compare",
       {"compare [--json] A B"},
       "list where two dictionaries differ",
       "Reads the dictionaries A and B (ORVA 3.1, ORVA 4.1, VESK or Travo) into the Travo model and lists "
       "where they differ, one line each, its path first. Nothing is written beside them. Exit status 0 when "
       "they hold the same, 1 when they differ.",
       {{"--json", nullptr, "print the differences as a JSON array"}},
       {2, nullptr, "compare needs two files, A and B"},
       false,
       RunCompare},
      {"preview",
       {"preview FILE.fmf -d DIR"},
       "draw the forms of a forms file as SVG pictures",
       "Draws every form of the Travo forms file FILE.fmf as an SVG picture (form-1.svg, form-2.svg, ...) with "
       "an index.html that shows them all.",
       {{"-d", "DIR", "the folder the pictures are written into (made when missing)", "a folder"}},
       {1, "-d", "preview needs one FILE.fmf and -d DIR"},
       false,
       RunPreview},
      {"vesk-report",
       {"vesk-report DIC [-o FILE]"},
       "write the listing of a VESK dictionary",
       "Writes the listing of the VESK dictionary DIC: its keys, its sections with their variables, "
       "transformations and forms.",
       {{"-o", "FILE", "write the listing into FILE instead of stdout", "a value", true, true}},
       {1, nullptr, "vesk-report needs one DIC"},
       false,
       RunVeskReport},
      {"vesk-html",
       {"vesk-html DIC -d DIR"},
       "write an HTML page for every form of a VESK dictionary",
       "Writes one HTML page for every form of the VESK dictionary DIC, DIR/<FORM>.HTM, each linked to the "
       "forms before and after it.",
       {{"-d", "DIR", "the folder the pages are written into (made when missing)", "a value", true, true}},
       {1, "-d", "vesk-html needs one DIC and -d DIR"},
       false,
       RunVeskHtml},
      {"vesk-data",
       {"vesk-data DIC DATA -d DIR"},
       "write the records of a VESK data file as CSV",
       "Reads DATA, a text file of fixed-width records described by the VESK dictionary DIC, and writes "
       "DIR/<SECTION>.csv for each section that has records.",
       {{"-d", "DIR", "the folder the CSV files are written into (made when missing)", "a folder"}},
       {2, "-d", "vesk-data needs a DIC, a DATA file and -d DIR"},
       true,
       RunVeskData},
  };
  return commands;
}
