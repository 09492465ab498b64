// The table of the tool's commands. A command is added here: its name, forms and help
// texts, its options and files as the argument parser reads them, and its run function
// (declared in CommandRunners.h, in a file of its own).
#include "app/cli/Command.h"
#include "app/cli/CommandRunners.h"

const std::vector<Command>& Commands() {
  static const std::vector<Command> commands = {
      {.name = "convert",
       .synopses = {"convert [--kind K] [--yes] [--quiet] [--oem-codepage CP] [--log FILE] INPUT OUTPUT",
                    "convert [--kind K] [--yes] [--quiet] [--oem-codepage CP] [--log FILE] -o OUTDIR INPUT..."},
       .summary = "convert a dictionary, or every dictionary of files and folders",
       .description =
           "Converts the dictionary INPUT into OUTPUT, or with -o every INPUT (files, and folders with all their "
           "subfolders) into OUTDIR. Without --kind each file's content decides: ORVA 3.1, ORVA 4.1 and VESK "
           "dictionaries become .dcf (a VESK dictionary .fmf when OUTPUT ends in .fmf), Travo dictionaries .dd; a "
           "file of no format this tool knows is refused, and in the folder form a file that neither holds nor is "
           "named as a known format is skipped and listed. Each existing file the conversion writes (the "
           "dictionary beside a forms file too) is replaced only when the question about it is answered yes: by "
           "--yes, or on the terminal; without a terminal the answer is no. Every question is shown on stderr with "
           "the answer it got, e.g. \"(answered no: standard input is not a terminal)\". An output that is the "
           "input file itself is refused.",
       .options = {{.name = "--kind",
                    .value = "K",
                    .help = "the conversion kind, 0 to 5 or a name: orva31 (0), orva41 (1), to-orva31 (2), vesk "
                            "(3), vesk-forms (4), to-vesk (5)",
                    .check = CheckConversionKind},
                   {.name = "--yes",
                    .help = "answer yes to every question (replace an existing file the conversion writes)"},
                   {.name = "--quiet", .help = "draw no progress bar, print no summary of what was written"},
                   {.name = "--oem-codepage",
                    .value = "CP",
                    .help = "the code page of the old files' texts, an iconv name (default CP850)"},
                   {.name = "--log",
                    .value = "FILE",
                    .help = "append a record of every conversion, its messages and answers to FILE"},
                   {.name = "-o",
                    .value = "OUTDIR",
                    .help = "convert every INPUT into OUTDIR, under its path inside the folder given",
                    .once = true}},
       // An INPUT and an OUTPUT, or with -o one INPUT or more: RunConvert checks them.
       .files = {},
       .doubleDashEndsOptions = true,
       .run = RunConvert},
      {.name = "inspect",
       .synopses = {"inspect [--json] FILE"},
       .summary = "show what a dictionary or forms file holds",
       .description =
           "Shows what FILE holds, chosen by its content or its extension: a Travo dictionary (.dcf) or forms file "
           "(.fmf), an ORVA 4.1 dictionary (.ddw) as its conversion builds it, the layout of an ORVA 3.1 file "
           "(.dd), a VESK dictionary (.dic, .wst).",
       .options = {{.name = "--json", .help = "print the description as JSON"}},
       .files = {.count = 1, .problem = "inspect needs one FILE"},
       .run = RunInspect},
      {.name = "compare",
       .synopses = {"compare [--json] A B"},
       .summary = "list where two dictionaries differ",
       .description =
           "Reads the dictionaries A and B (ORVA 3.1, ORVA 4.1, VESK or Travo) into the Travo model and lists "
           "where they differ, one line each, its path first. Nothing is written beside them. Exit status 0 when "
           "they hold the same, 1 when they differ.",
       .options = {{.name = "--json", .help = "print the differences as a JSON array"}},
       .files = {.count = 2, .problem = "compare needs two files, A and B"},
       .run = RunCompare},
      {.name = "data",
       .synopses = {"data [--to csv|sav|dta] [--yes] [--quiet] [--oem-codepage CP] DICT DATA -d DIR"},
       .summary = "write the records of a data file as CSV, SPSS or Stata tables",
       .description =
           "Reads DATA, a text file of fixed-width records described by the dictionary DICT (any dictionary this "
           "tool reads, by its content), and writes DIR/<RECORD>.csv, .sav or .dta for each record type that has "
           "records: one row per record, its line number and the identification items of its level and the levels "
           "above first, one column per item and occurrence. Variable and value labels go with them; the codes "
           "that the value sets mark missing, not applicable or default are kept as missing values. A line whose "
           "record type belongs to no record is named and left out, and the status is then 1. Each existing file "
           "is replaced only when the question about it is answered yes, as in convert.",
       .options = {{.name = "--to",
                    .value = "FORMAT",
                    .help = "the tables' format: csv (the default), sav (SPSS) or dta (Stata 14 and later)",
                    .missing = "a format",
                    .check = CheckDataFormat},
                   {.name = "--yes", .help = "answer yes to every question (replace an existing table)"},
                   {.name = "--quiet", .help = "draw no progress bar, print no summary of what was written"},
                   {.name = "--oem-codepage",
                    .value = "CP",
                    .help = "the code page of the data's texts, an iconv name (default CP850)"},
                   {.name = "-d",
                    .value = "DIR",
                    .help = "the folder the tables are written into (made when missing)",
                    .missing = "a folder",
                    .once = true,
                    .nonEmpty = true}},
       .files = {.count = 2, .requiredOption = "-d", .problem = "data needs a DICT, a DATA file and -d DIR"},
       .doubleDashEndsOptions = true,
       .run = RunData},
      {.name = "preview",
       .synopses = {"preview FILE.fmf -d DIR"},
       .summary = "draw the forms of a forms file as SVG pictures",
       .description =
           "Draws every form of the Travo forms file FILE.fmf as an SVG picture (form-1.svg, form-2.svg, ...) "
           "with an index.html that shows them all.",
       .options = {{.name = "-d",
                    .value = "DIR",
                    .help = "the folder the pictures are written into (made when missing)",
                    .missing = "a folder"}},
       .files = {.count = 1, .requiredOption = "-d", .problem = "preview needs one FILE.fmf and -d DIR"},
       .run = RunPreview},
      {.name = "vesk-report",
       .synopses = {"vesk-report DIC [-o FILE]"},
       .summary = "write the listing of a VESK dictionary",
       .description = "Writes the listing of the VESK dictionary DIC: its keys, its sections with their "
                      "variables, transformations and forms.",
       .options = {{.name = "-o",
                    .value = "FILE",
                    .help = "write the listing into FILE instead of stdout",
                    .once = true,
                    .nonEmpty = true}},
       .files = {.count = 1, .problem = "vesk-report needs one DIC"},
       .run = RunVeskReport},
      {.name = "vesk-html",
       .synopses = {"vesk-html DIC -d DIR"},
       .summary = "write an HTML page for every form of a VESK dictionary",
       .description = "Writes one HTML page for every form of the VESK dictionary DIC, DIR/<FORM>.HTM, each "
                      "linked to the forms before and after it.",
       .options = {{.name = "-d",
                    .value = "DIR",
                    .help = "the folder the pages are written into (made when missing)",
                    .once = true,
                    .nonEmpty = true}},
       .files = {.count = 1, .requiredOption = "-d", .problem = "vesk-html needs one DIC and -d DIR"},
       .run = RunVeskHtml},
      {.name = "vesk-data",
       .synopses = {"vesk-data DIC DATA -d DIR"},
       .summary = "write the records of a VESK data file as CSV",
       .description = "Reads DATA, a text file of fixed-width records described by the VESK dictionary DIC, and "
                      "writes DIR/<SECTION>.csv for each section that has records.",
       .options = {{.name = "-d",
                    .value = "DIR",
                    .help = "the folder the CSV files are written into (made when missing)",
                    .missing = "a folder"}},
       .files = {.count = 2, .requiredOption = "-d", .problem = "vesk-data needs a DIC, a DATA file and -d DIR"},
       .doubleDashEndsOptions = true,
       .run = RunVeskData},
  };
  return commands;
}
