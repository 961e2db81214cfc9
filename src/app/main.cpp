// The desktop program: takes SIGINT and SIGTERM as a request to stop before anything else,
// starts the image library before any window, creates the windows in their order (main
// window, create-gallery dialog, image preview, directory chooser, progress window, about
// box), shows the main window and runs the event loop. No exception crosses the event loop:
// TVistrelApplication::notify catches them and shows their message in a "Fehler" box.
//
// A stop signal ends the program with status 130: a run going on is cancelled first (as its
// "Abbrechen" button does) and the program ends once the run has stopped and cleaned up.
// --help and --version are answered before the toolkit starts, so they need no display; other
// arguments are refused once the toolkit has taken its own (-platform, -style, ...).
#include <QApplication>
#include <QIcon>
#include <QLabel>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>
#include <exception>
#include <iostream>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "imaging/image_library.h"
#include "support/command_line.h"
#include "support/program_paths.h"
#include "support/stop_signals.h"
#include "support/version.h"
#include "ui/about_box.h"
#include "ui/create_gallery_dialog.h"
#include "ui/dialogs.h"
#include "ui/dir_dialog.h"
#include "ui/image_preview.h"
#include "ui/main_window.h"
#include "ui/progress_window.h"
#include "ui/quit_on_stop_signal.h"
#include "ui/text.h"

namespace vistrel {
namespace {

class TVistrelApplication : public QApplication {
 public:
  TVistrelApplication(int& argc, char** argv, TDialogs& dialogs)
      : QApplication(argc, argv), dialogs_(dialogs) {}

  bool notify(QObject* receiver, QEvent* event) override {
    try {
      return QApplication::notify(receiver, event);
    } catch (const std::exception& error) {
      dialogs_.ShowError(activeWindow(), ToQString(error.what()));
    } catch (...) {
      dialogs_.ShowError(activeWindow(), "Unbekannter Fehler!");
    }
    return false;
  }

 private:
  TDialogs& dialogs_;
};

TProgramTable MakeDesktopProgram() {
  TProgramTable program;
  program.name = "vistrel";
  program.version = kVersionText;
  program.summary =
      "Fotos sammeln, mit Eigenschaften versehen und mit einem Skin als statische HTML-Galerie\n"
      "ausgeben. Ohne Optionen öffnet sich das Hauptfenster.";
  program.description =
      "Für Skripte und Rechner ohne Bildschirm gibt es vistrel-cli. Mehr in „man vistrel“ und\n"
      "im Handbuch (Hilfe > Hilfe zu Vistrel).\n";
  return program;
}

// Help and version on stdout (status 0), a usage error on stderr (status 2), or nullopt when
// the program starts. `final` is false before the toolkit took its own options: then only
// help and version are answered.
std::optional<int> AnswerCommandLine(const std::vector<std::string>& args, bool final) {
  static const TProgramTable program = MakeDesktopProgram();
  const TParsedArguments parsed = ParseCommandLine(program, args);
  switch (parsed.action) {
    case TParsedArguments::TAction::kHelp:
      std::cout << ProgramHelp(program);
      return 0;
    case TParsedArguments::TAction::kVersion:
      std::cout << VersionText(program);
      return 0;
    case TParsedArguments::TAction::kUsageError:
      if (!final) return std::nullopt;
      std::cerr << "Fehler: " << parsed.problem << "\n" << HelpHint(program, nullptr);
      return 2;
    case TParsedArguments::TAction::kRun:
      break;
  }
  return std::nullopt;
}

}  // namespace
}  // namespace vistrel

int main(int argc, char** argv) {
  using namespace vistrel;
  InstallStopSignals();
  if (std::optional<int> status = AnswerCommandLine({argv + 1, argv + argc}, false)) return *status;
  TImageLibrary image_library(argv[0]);
  TQtDialogs dialogs;
  TVistrelApplication application(argc, argv, dialogs);
  if (std::optional<int> status = AnswerCommandLine({argv + 1, argv + argc}, true)) return *status;
  application.setOrganizationName("Vistrel");
  application.setApplicationName("Vistrel");
  // The name of the menu entry, by which the desktop finds the windows' icon and entry.
  application.setDesktopFileName("org.vistrel.Vistrel");
  // The interface is German, the toolkit's own dialogs and buttons too.
  QLocale::setDefault(GermanLocale());
  QTranslator toolkit_texts;
  if (toolkit_texts.load(QLocale(), "qtbase", "_",
                         QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
    application.installTranslator(&toolkit_texts);
  application.setWindowIcon(QIcon(DrawLogo(128)));

  TVTLMainWin main_window(dialogs);
  TfrmImgPreview preview(&main_window);
  TfrmDirDlg directory_chooser(dialogs, &main_window);
  TfrmProgress progress(dialogs, &main_window);
  TfrmCreateGallery create_gallery(dialogs, progress, preview, directory_chooser, &main_window);
  TAboutBox about(&main_window);

  main_window.SetProgramTitle(ToQString(std::string("Vistrel - V") + kVersionText));
  about.SetVersionText(ToQString(std::string("Version ") + kVersionText));
  create_gallery.SetSkinsFolder(PathToQString(SkinsFolder()));
  create_gallery.SetSource({[&]() -> TVTLRecordList& { return main_window.RecordList(); },
                            [&] { return main_window.SelectedFolder(); }});
  main_window.SetWindows(&create_gallery, &about);
  TQuitOnStopSignal quit_on_stop(progress, StopSignalFd());
  if (StopRequested()) return kStoppedStatus;  // during start-up: no window is shown
  main_window.show();
  return application.exec();
}
