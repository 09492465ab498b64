#include "app/wizard/WizardStartup.h"

#include <string_view>

#include "app/ConvertApp.h"
#include "app/Version.h"
#include "app/wizard/ChoicePages.h"
#include "app/wizard/FilePage.h"
#include "app/textmeasure/QtTextMeasurer.h"
#include "app/wizard/QtHost.h"
#include "res/StringTable.h"

std::unique_ptr<CConvertSheet> CreateConvertSheet(IReporter& reporter, const QString& organization) {
  auto sheet = std::make_unique<CConvertSheet>(IDS_APP_TITLE, organization);
  sheet->SetReporter(reporter);
  sheet->AddPage(new CConvPage);
  sheet->AddPage(new CORVAPage);
  sheet->AddPage(new CVESKPage);
  sheet->AddPage(new CFilePage);
  return sheet;
}

bool DispatchFinishedWizard(const CConvertSheet& sheet, int result, const ConversionDispatch& dispatch) {
  if (result != QDialog::Accepted) return false;
  // Compared unsigned, so that no negative kind is dispatched.
  if (static_cast<unsigned>(sheet.GetKind()) > static_cast<unsigned>(KIND_TRAVO_TO_VESK)) return false;
  const auto* files = qobject_cast<const CFilePage*>(sheet.page(IDD_FILE_NAMES));
  if (!files) return false;
  dispatch(sheet.GetKind(), files->m_sInputFile, files->m_sOutputFile);
  return true;
}

bool RunConvertWizard(CConvertApp& app, const WizardRunOptions& options) {
  CQtHost qtHost(QString::fromUtf8(LoadResString(IDS_APP_TITLE)));
  IReporter& host = options.host ? *options.host : qtHost;
  app.ReportTo(host);
  CQtTextMeasurer measurer;  // forms are laid out with the real fonts
  ScopedTextMeasurer scopedMeasurer(measurer);

  ConversionDispatch dispatch = options.dispatch;
  if (!dispatch) {
    dispatch = [&app](int kind, const CVornString& input, const CVornString& output) {
      app.RunConversion(kind, input, output);
    };
  }

  // The conversion runs after the wizard is gone: its result and names are taken over
  // first, then the sheet is destroyed.
  int kind = -1;
  CVornString input, output;
  bool finished = false;
  {
    std::unique_ptr<CConvertSheet> sheet = CreateConvertSheet(host, options.organization);
    const int result = sheet->exec();
    finished = DispatchFinishedWizard(*sheet, result,
                                      [&](int k, const CVornString& in, const CVornString& out) {
                                        kind = k;
                                        input = in;
                                        output = out;
                                      });
  }
  if (finished) dispatch(kind, input, output);
  return finished;
}

namespace {

const char kWizardHelp[] =
    "usage: travo-convert [-platform NAME] [-style NAME] [Qt options]\n"
    "       travo-convert --help | --version\n"
    "\n"
    "Opens the conversion wizard: the family of formats (ORVA or VESK), the direction,\n"
    "then the input and output files; Finish converts one file, its messages shown in\n"
    "message boxes. The wizard remembers the family and the folders last used.\n"
    "travo-convert-cli converts without a window.\n"
    "\n"
    "Options:\n"
    "  -h, --help          show this help and exit\n"
    "  --version           show the version and exit\n"
    "  -platform NAME      Qt's platform plugin: xcb, wayland, offscreen, ...\n"
    "  -style NAME         Qt's widget style: fusion, windows, ...\n"
    "\n"
    "See 'man travo-convert' for more.\n";

}  // namespace

std::optional<int> AnswerOwnOptions(int argc, char** argv, std::ostream& out) {
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (arg == "--help" || arg == "-h") {
      out << kWizardHelp;
    } else if (arg == "--version") {
      out << "travo-convert " TRAVO_VERSION "\n";
    } else {
      continue;
    }
    return out.flush() ? 0 : 1;
  }
  return std::nullopt;
}
