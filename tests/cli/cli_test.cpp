#include "cli/cli.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <map>
#include <set>
#include <sstream>

#include "cli/command_table.h"
#include "image_fixtures.h"
#include "skin_fixture.h"
#include "support/version.h"
#include "test_support.h"

namespace vistrel {
namespace {

using namespace vistrel::testing;

struct CliResult {
  int status;
  std::string out, err;
};

CliResult RunCommand(const std::vector<std::string>& args) {
  std::ostringstream out, err;
  int status = RunCli(args, out, err);
  return {status, out.str(), err.str()};
}

TEST(CliMetadataTest, PrintsOneLinePerEntryWithEscapes) {
  TempDir dir;
  TTiff tiff;
  tiff.ifd0 = {Ascii(0x010E, std::string("a\\b\r\nc\td\0e", 10)), Ascii(0x010F, "Canon")};
  WriteFile(dir / "a.jpg", WithExif(MakeJpeg(20, 10), BuildTiff(tiff)));
  CliResult result = RunCommand({"metadata", dir / "a.jpg"});
  EXPECT_EQ(result.status, 0);
  // The description is a caption too, made ready for display: up to its NUL, blanks for the
  // control characters.
  EXPECT_EQ(result.out,
            "ImageDescription=a\\\\b\\r\\nc\\td\\0e\nEquipMake=Canon\nWidth=20\nHeight=10\n"
            "META:DESCRIPTION=a\\\\b c d\n");
}

TEST(CliMetadataTest, SeveralFilesGetAHeaderLineEach) {
  TempDir dir;
  WriteFile(dir / "a.jpg", MakeJpeg(4, 3));
  CliResult result = RunCommand({"metadata", dir / "a.jpg", dir / "missing.jpg"});
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.out, "# " + (dir / "a.jpg") + "\nWidth=4\nHeight=3\n# " + (dir / "missing.jpg") +
                            "\nWidth=0\nHeight=0\n");
}

TEST(CliUsageTest, UnknownCommandsAndMissingArgumentsAreUsageErrors) {
  CliResult nothing = RunCommand({});
  EXPECT_EQ(nothing.status, 2);
  EXPECT_EQ(nothing.err.substr(0, 8), "Aufruf:\n");
  EXPECT_EQ(nothing.out, "");
  struct Case {
    std::vector<std::string> args;
    std::string err;
  };
  const std::string generate_hint = "„vistrel-cli generate --help“ zeigt alle Optionen.\n";
  const std::vector<Case> cases = {
      {{"frobnicate"},
       "Fehler: Unbekannter Befehl frobnicate\n„vistrel-cli --help“ zeigt alle Befehle.\n"},
      {{"--bogus"},
       "Fehler: Unbekannte Option --bogus\n„vistrel-cli --help“ zeigt alle Befehle.\n"},
      {{"generate", "--skin", "s.vsk", "--out", "o", "--bogus"},
       "Fehler: Unbekannte Option --bogus\n" + generate_hint},
      {{"generate", "-x", "--skin", "s.vsk"}, "Fehler: Unbekannte Option -x\n" + generate_hint},
      {{"generate", "--bogus=1", "--help"}, "Fehler: Unbekannte Option --bogus\n" + generate_hint},
      {{"generate", "--reports=ja"},
       "Fehler: Die Option --reports nimmt keinen Wert\n" + generate_hint},
      {{"generate", "--out", "o"}, "Fehler: Es fehlt --skin\n" + generate_hint},
      {{"generate", "--skin", "s.vsk"}, "Fehler: Es fehlt --out\n" + generate_hint},
      {{"generate", "--skin", "s.vsk", "--out"},
       "Fehler: Die Option --out braucht einen Wert der Form, die der Aufruf zeigt\n" +
           generate_hint},
      {{"generate", "--skin", "s.vsk", "--out", "o", "--set", "OHNE"},
       "Fehler: Die Option --set braucht einen Wert der Form, die der Aufruf zeigt\n" +
           generate_hint},
      {{"metadata"},
       "Fehler: metadata erwartet mindestens eine Datei\n„vistrel-cli metadata --help“ zeigt alle "
       "Optionen.\n"},
      {{"metadata", "--exif", "a.jpg"},
       "Fehler: Unbekannte Option --exif\n„vistrel-cli metadata --help“ zeigt alle Optionen.\n"},
      {{"skins", "a", "b"},
       "Fehler: skins erwartet genau ein Verzeichnis\n„vistrel-cli skins --help“ zeigt alle "
       "Optionen.\n"},
  };
  for (const Case& c : cases) {
    CliResult result = RunCommand(c.args);
    EXPECT_EQ(result.status, 2) << c.args.back();
    EXPECT_EQ(result.err, c.err);
    EXPECT_EQ(result.out, "") << c.args.back();
  }
}

// Help goes to stdout with status 0, for the program and for each command, wherever --help
// stands before "--"; it names every option of the command's table.
TEST(CliUsageTest, HelpAndVersionGoToStdoutWithStatusZero) {
  const std::vector<std::vector<std::string>> asks = {
      {"--help"},
      {"-h"},
      {"-h", "generate"},
      {"generate", "--help"},
      {"generate", "--out", "o", "-h"},
      {"generate", "--skin=x.vsk", "--help", "--bogus-after-help"},
      {"metadata", "--help"},
      {"skins", "-h"}};
  for (const std::vector<std::string>& args : asks) {
    CliResult result = RunCommand(args);
    EXPECT_EQ(result.status, 0) << args[0] << " " << args.back() << result.err;
    EXPECT_EQ(result.err, "");
    EXPECT_EQ(result.out.substr(0, 7), "Aufruf:") << args.back();
  }
  for (const TCommandEntry& command : CliProgram().commands) {
    const std::string help = RunCommand({command.name, "--help"}).out;
    for (const TOptionEntry& option : command.options)
      EXPECT_NE(
          help.find("  " + option.name + (option.value.empty() ? "" : " " + option.value) + "  "),
          std::string::npos)
          << command.name << " " << option.name;
    EXPECT_NE(RunCommand({"--help"}).out.find("  " + command.name + "  "), std::string::npos);
  }
  // After "--" it is a file name like any other.
  EXPECT_EQ(RunCommand({"metadata", "--", "--help"}).out, "Width=0\nHeight=0\n");

  CliResult version = RunCommand({"--version"});
  EXPECT_EQ(version.status, 0);
  EXPECT_EQ(version.out, std::string("vistrel-cli ") + kVersionText + "\n");
  EXPECT_EQ(RunCommand({"generate", "--version"}).status, 2);
}

// "--" ends the options: a photo named "--foo.jpg" is read and put into the gallery.
TEST(CliUsageTest, DoubleDashEndsTheOptions) {
  TempDir dir;
  WriteFile(dir / "--foo.jpg", MakeJpeg(4, 3));
  const std::string skin = WriteSkin(dir / "skin");
  ScopedCurrentFolder inside(dir.Path());
  ScopedEnv home("HOME", dir / "home");
  ScopedEnv cache("XDG_CACHE_HOME", std::nullopt);

  CliResult metadata = RunCommand({"metadata", "--", "--foo.jpg"});
  EXPECT_EQ(metadata.status, 0) << metadata.err;
  EXPECT_EQ(metadata.out, "Width=4\nHeight=3\n");
  EXPECT_EQ(RunCommand({"metadata", "--foo.jpg"}).err,
            "Fehler: Unbekannte Option --foo.jpg\n„vistrel-cli metadata --help“ zeigt alle "
            "Optionen.\n");

  // Options after "--" are operands too, and "--name=value" is the option with its value.
  CliResult generate = RunCommand(
      {"generate", "--skin=" + skin, "--out=" + (dir / "out"), "--", "--foo.jpg", "--reports"});
  EXPECT_EQ(generate.status, 0) << generate.err;
  EXPECT_EQ(ListFolder(dir / "out"),
            (std::vector<std::string>{".vistrel-inhalt", "index.html", "th_--foo.jpg"}));
  EXPECT_EQ(generate.out.substr(0, 23), "Initialisiere...fertig\n");
}

// The standard output of `command` (a shell command line).
std::string Output(const std::string& command) {
  std::string output;
  FILE* pipe = ::popen(command.c_str(), "r");
  char buffer[256];
  while (pipe && ::fgets(buffer, sizeof buffer, pipe)) output += buffer;
  if (pipe) ::pclose(pipe);
  return output;
}

// The shell's completion as bash runs it: the script sourced, the words of the command line in
// COMP_WORDS (as bash splits them, "=" a word of its own), the word typed in COMP_CWORD.
class CliCompletionTest : public ::testing::Test {
 protected:
  void SetUp() override {
    TSkinFixture fixture;
    fixture.values = {{"TITEL", "Titel", "TEXT", "x"}, {"FARBE", "Farbe", "COLOR", "#000000"}};
    fixture.variants = {{"THUMB", "k", "40", "40", "th_%old%"},
                        {"BIG", "g", "100", "100", "%old%"}};
    WriteSkin(dir_ / "skin", fixture);
    WriteFile(dir_ / "lose.vsk", "");
    WriteFile(dir_ / "liste.csv", "");
    WriteFile(dir_ / "--foo.jpg", "");
    WriteFile(dir_ / "photos/a.jpg", "");
  }
  // COMPREPLY, sorted, for the command line `words` with the last one being typed.
  std::vector<std::string> Complete(std::vector<std::string> words) {
    std::string script = "source '" + std::string(VISTREL_COMPLETION) + "'\nCOMP_WORDS=('" +
                         std::string(VISTREL_CLI) + "'";
    for (const std::string& word : words) script += " '" + word + "'";
    script += ")\nCOMP_CWORD=" + std::to_string(words.size()) +
              "\n_vistrel_cli\nprintf '%s\\n' \"${COMPREPLY[@]}\" | LC_ALL=C sort\n";
    WriteFile(dir_ / "complete.sh", script);
    const std::string output = Output("cd '" + dir_.Path() + "' && bash complete.sh 2>&1");
    std::vector<std::string> lines;
    for (size_t start = 0; start < output.size();) {
      const size_t end = output.find('\n', start);
      lines.push_back(output.substr(start, end - start));
      start = end == std::string::npos ? output.size() : end + 1;
    }
    if (lines == std::vector<std::string>{""}) lines.clear();
    return lines;
  }
  TempDir dir_;
};

using Words = std::vector<std::string>;

TEST_F(CliCompletionTest, OffersCommandsAndOptions) {
  EXPECT_EQ(Complete({""}), (Words{"generate", "metadata", "skins"}));
  EXPECT_EQ(Complete({"gen"}), (Words{"generate"}));
  EXPECT_EQ(Complete({"--"}), (Words{"--help", "--version"}));
  EXPECT_EQ(Complete({"generate", "--s"}), (Words{"--set", "--size", "--skin"}));
  EXPECT_EQ(Complete({"generate", "--f"}), (Words{"--format"}));
  EXPECT_EQ(Complete({"generate", "--c"}), (Words{"--cache-size", "--copy-originals"}));
  EXPECT_EQ(Complete({"skins", "-"}), (Words{"--help"}));
  EXPECT_EQ(Complete({"frobnicate", ""}), Words{});
  // Every option of the table, so an option added there is completed.
  Words all;
  for (const TOptionEntry& option : CliProgram().commands[0].options) all.push_back(option.name);
  all.push_back("--help");
  std::sort(all.begin(), all.end());
  EXPECT_EQ(Complete({"generate", "--"}), all);
}

TEST_F(CliCompletionTest, OffersFilesAndFoldersForValuesAndOperands) {
  EXPECT_EQ(Complete({"generate", "--skin", ""}), (Words{"lose.vsk", "photos", "skin"}));
  EXPECT_EQ(Complete({"generate", "--skin", "skin/"}), (Words{"skin/test.vsk"}));
  EXPECT_EQ(Complete({"generate", "--skin", "=", "sk"}), (Words{"skin"}));
  EXPECT_EQ(Complete({"generate", "--list", "l"}), (Words{"liste.csv"}));
  EXPECT_EQ(Complete({"generate", "--out", ""}), (Words{"photos", "skin"}));
  EXPECT_EQ(Complete({"skins", ""}), (Words{"photos", "skin"}));
  EXPECT_EQ(Complete({"metadata", "photos/"}), (Words{"photos/a.jpg"}));
  // After "--" a word that starts with "-" is a file name.
  EXPECT_EQ(Complete({"metadata", "--", "--f"}), (Words{"--foo.jpg"}));
}

TEST_F(CliCompletionTest, OffersTheValuesAndVariantsOfTheSkinGiven) {
  EXPECT_EQ(Complete({"generate", "--skin", "skin/test.vsk", "--size", ""}),
            (Words{"BIG=", "THUMB="}));
  EXPECT_EQ(Complete({"generate", "--skin", "=", "skin/test.vsk", "--quality", "T"}),
            (Words{"THUMB="}));
  EXPECT_EQ(Complete({"generate", "--skin", "skin/test.vsk", "--format", ""}),
            (Words{"BIG=", "THUMB="}));
  EXPECT_EQ(Complete({"generate", "--skin", "skin/test.vsk", "--set", ""}),
            (Words{"FARBE=", "TITEL="}));
  // No skin given, or one that does not load: nothing to offer.
  EXPECT_EQ(Complete({"generate", "--size", ""}), Words{});
  EXPECT_EQ(Complete({"generate", "--skin", "lose.vsk", "--size", ""}), Words{});
}

// The manual pages are written by hand; their options must be the ones the programs' --help
// shows, command by command.
class ManualPageTest : public ::testing::Test {
 protected:
  // The long names in the block of `help` that starts with the line `heading`: the first word
  // of each line, after a short option ("-h, ").
  static std::set<std::string> HelpBlock(const std::string& help, const std::string& heading) {
    std::set<std::string> names;
    const size_t start = help.find("\n" + heading + "\n");
    if (start == std::string::npos) return names;
    std::istringstream lines(help.substr(start + heading.size() + 2));
    for (std::string line; std::getline(lines, line) && !line.empty();) {
      std::string word = line.substr(line.find_first_not_of(' '));
      if (word.size() > 4 && word[0] == '-' && word[2] == ',') word = word.substr(4);
      names.insert(word.substr(0, word.find(' ')));
    }
    return names;
  }
  // The options of the man page section that starts with the line `heading`: each definition
  // that starts with "**-", its last "**--name**".
  static std::set<std::string> ManSection(const std::string& page, const std::string& heading) {
    std::set<std::string> names;
    const size_t start = page.find("\n" + heading + "\n");
    if (start == std::string::npos) return names;
    std::istringstream lines(page.substr(start + heading.size() + 2));
    for (std::string line; std::getline(lines, line) && line.rfind("#", 0) != 0;) {
      if (line.rfind("**-", 0) != 0) continue;
      const size_t long_name = line.rfind("**--");
      const size_t name = long_name == std::string::npos ? 2 : long_name + 2;
      names.insert(line.substr(name, line.find("**", name) - name));
    }
    return names;
  }
  // The commands of the man page: its "## " headings.
  static std::set<std::string> ManCommands(const std::string& page) {
    std::set<std::string> names;
    std::istringstream lines(page);
    for (std::string line; std::getline(lines, line);)
      if (line.rfind("## ", 0) == 0) names.insert(line.substr(3));
    return names;
  }
};

TEST_F(ManualPageTest, TheCommandLineProgramsPageHasEveryCommandAndOption) {
  const std::string page = ReadFile(std::string(VISTREL_MAN_SOURCES) + "/vistrel-cli.1.md");
  ASSERT_FALSE(page.empty());
  const std::string cli = VISTREL_CLI;
  const std::string help = Output(cli + " --help");
  const std::set<std::string> commands = HelpBlock(help, "Befehle:");
  EXPECT_EQ(commands, (std::set<std::string>{"generate", "metadata", "skins"}));
  EXPECT_EQ(ManCommands(page), commands);
  EXPECT_EQ(ManSection(page, "# ALLGEMEINE OPTIONEN"), HelpBlock(help, "Optionen:"));
  for (const std::string& command : commands) {
    const std::set<std::string> options =
        HelpBlock(Output(cli + " " + command + " --help"), "Optionen:");
    EXPECT_TRUE(options.count("--help")) << command;
    EXPECT_EQ(ManSection(page, "## " + command), options) << command;
  }
  EXPECT_EQ(HelpBlock(Output(cli + " generate --help"), "Optionen:").size(),
            CliProgram().commands[0].options.size() + 1);
}

// roff takes a line that starts with "." or "'" for a request, and the text is lost.
TEST_F(ManualPageTest, NoLineOfTextStartsLikeARoffRequest) {
  for (const char* name : {"vistrel.1.md", "vistrel-cli.1.md"}) {
    std::istringstream lines(ReadFile(std::string(VISTREL_MAN_SOURCES) + "/" + name));
    int number = 0;
    for (std::string line; std::getline(lines, line);) {
      ++number;
      const size_t text = line.find_first_not_of(" :");
      if (text != std::string::npos) {
        EXPECT_TRUE(line[text] != '.' && line[text] != '\'')
            << name << ":" << number << " " << line;
      }
    }
  }
}

TEST_F(ManualPageTest, TheDesktopProgramsPageHasItsOptions) {
  const std::string page = ReadFile(std::string(VISTREL_MAN_SOURCES) + "/vistrel.1.md");
  ASSERT_FALSE(page.empty());
  const std::string help = Output(std::string(VISTREL_DESKTOP) + " --help");
  EXPECT_EQ(HelpBlock(help, "Optionen:"), (std::set<std::string>{"--help", "--version"}));
  EXPECT_EQ(ManSection(page, "# OPTIONEN"), HelpBlock(help, "Optionen:"));
}

// The program reads the home, trash and cache folders from the environment: all point into
// the test.
class CliGenerateTest : public ::testing::Test {
 protected:
  TempDir home_;
  ScopedEnv env_home_{"HOME", home_.Path()};
  ScopedEnv env_data_{"XDG_DATA_HOME", std::nullopt};
  ScopedEnv env_cache_{"XDG_CACHE_HOME", std::nullopt};
  void SetUp() override {
    TSkinFixture fixture;
    fixture.values = {{"TITEL", "Titel", "TEXT", "Standard"},
                      {"FARBE", "Farbe", "color", "#00ff80"},
                      {"SPALTEN", "Spalten", "NUMBER", "99999999"}};
    fixture.variants = {{"THUMB", "k", "40", "40", "th_%old%"},
                        {"BIG", "g", "100", "100", "%old%"}};
    fixture.template_files = {{"index.tpl",
                               "%TITEL%|%FARBE%|%SPALTEN%\n[VTL] NEWSECTION NUMREPEAT:0\n"
                               "%THUMB%\n[VTL] ENDSECTION"}};
    skin_ = WriteSkin(dir_ / "skin", fixture);
    WriteFile(dir_ / "photos/b.jpg", MakeJpeg(120, 80));
    WriteFile(dir_ / "photos/a.JPG", MakeJpeg(120, 80));
    WriteFile(dir_ / "photos/notes.txt", "not a photo");
    WriteFile(dir_ / "photos/sub/c.jpg", MakeJpeg(120, 80));
  }
  TempDir dir_;
  std::string skin_;
  std::string out_ = dir_ / "out";
};

TEST_F(CliGenerateTest, MakesAGalleryAndPrintsTheProgressLog) {
  CliResult result = RunCommand({"generate", "--skin", skin_, "--out", out_, dir_ / "photos"});
  EXPECT_EQ(result.status, 0) << result.err;
  EXPECT_EQ(result.out,
            "Initialisiere...fertig\nErzeuge verkleinerte Bilder...fertig\n  Schritt 1 von 2\n"
            "  Schritt 2 von 2\nInitialisiere Parser und erzeuge Ausgabedateien...fertig\n"
            "  Schritt 1 von 1\nGalerie erfolgreich erstellt!\n");
  // The folder's JPEG files in byte order; defaults handed over as the dialog would.
  EXPECT_EQ(ReadFile(out_ + "/index.html"),
            "\r\nStandard|#00FF80|16777215\r\nth_a.JPG\r\nth_b.jpg");
  EXPECT_EQ(InspectJpeg(out_ + "/b.jpg").width, 100);
}

TEST_F(CliGenerateTest, UpdateReplacesTheGalleryInPlaceAndNothingElse) {
  const std::vector<std::string> generate = {"generate", "--skin", skin_, "--out", out_};
  auto with = [&](std::vector<std::string> extra) {
    std::vector<std::string> args = generate;
    args.insert(args.end(), extra.begin(), extra.end());
    return RunCommand(args);
  };
  ASSERT_EQ(with({dir_ / "photos/b.jpg"}).status, 0);
  WriteFile(out_ + "/eigenes.txt", "meins");
  CliResult updated = with({"--update", "--set", "TITEL=Neu", dir_ / "photos"});
  EXPECT_EQ(updated.status, 0) << updated.err;
  EXPECT_EQ(ListFolder(out_),
            (std::vector<std::string>{".vistrel-inhalt", "a.JPG", "b.jpg", "eigenes.txt",
                                      "index.html", "th_a.JPG", "th_b.jpg"}));
  EXPECT_EQ(ReadFile(out_ + "/index.html"), "\r\nNeu|#00FF80|16777215\r\nth_a.JPG\r\nth_b.jpg");
  // Updating a folder that holds no gallery is refused; an empty or missing one gets one.
  WriteFile(dir_ / "fremd/brief.txt", "x");
  CliResult refused = RunCommand(
      {"generate", "--skin", skin_, "--out", dir_ / "fremd", "--update", dir_ / "photos/b.jpg"});
  EXPECT_EQ(refused.status, 1);
  EXPECT_NE(refused.out.find("enthält keine mit Vistrel erzeugte Galerie"), std::string::npos)
      << refused.out;
  EXPECT_EQ(ListFolder(dir_ / "fremd"), std::vector<std::string>{"brief.txt"});
  EXPECT_EQ(RunCommand({"generate", "--skin", skin_, "--out", dir_ / "neu", "--update",
                        dir_ / "photos/b.jpg"})
                .status,
            0);
  CliResult both = with({"--update", "--empty-output", dir_ / "photos"});
  EXPECT_EQ(both.status, 2);
  EXPECT_NE(both.err.find("--update und --empty-output schließen einander aus"), std::string::npos);
}

// A folder's photos are taken by their contents: a HEIC without an extension and a PNG join,
// a text file named ".jpg" does not.
TEST_F(CliGenerateTest, FolderPhotosAreTakenByTheirContents) {
  WriteFile(dir_ / "mixed/IMG_0001", MakePhoto(TImageFormat::kHeif, 120, 80));
  WriteFile(dir_ / "mixed/karte.png", MakePhoto(TImageFormat::kPng, 120, 80));
  WriteFile(dir_ / "mixed/liste.jpg", "not a photo");
  CliResult result = RunCommand({"generate", "--skin", skin_, "--out", out_, dir_ / "mixed"});
  EXPECT_EQ(result.status, 0) << result.err;
  EXPECT_EQ(ReadFile(out_ + "/index.html"),
            "\r\nStandard|#00FF80|16777215\r\nth_IMG_0001.jpg\r\nth_karte.jpg");
  EXPECT_EQ(InspectJpeg(out_ + "/karte.jpg").width, 100);
}

TEST_F(CliGenerateTest, OptionsSetValuesSizesAndQualities) {
  CliResult result =
      RunCommand({"generate", "--skin", skin_, "--out", out_, "--set", "titel=Urlaub", "--set",
                  "FARBE=#102030", "--size", "big=60x30", "--quality", "THUMB=50", "--reports",
                  dir_ / "photos/b.jpg", dir_ / "photos/B.JPG", dir_ / "photos/notes.txt"});
  EXPECT_EQ(result.status, 0) << result.err;
  EXPECT_EQ(result.out.substr(0, 22), "0\t0\t0\t0\t0\t\n1\t1\t2\t1\t1\t\n");
  EXPECT_EQ(ReadFile(out_ + "/index.html"), "\r\nUrlaub|#102030|16777215\r\nth_b.jpg");
  EXPECT_EQ(InspectJpeg(out_ + "/b.jpg").height, 30);
}

TEST_F(CliGenerateTest, FormatsAreSetPerVariantAndAnUnknownOneFailsTheRun) {
  CliResult result = RunCommand({"generate", "--skin", skin_, "--out", out_, "--format",
                                 "thumb=WebP", "--format=BIG=avif", dir_ / "photos/b.jpg"});
  EXPECT_EQ(result.status, 0) << result.err;
  EXPECT_EQ(ListFolder(out_),
            (std::vector<std::string>{".vistrel-inhalt", "b.avif", "index.html", "th_b.webp"}));
  EXPECT_EQ(ReadFile(out_ + "/index.html"), "\r\nStandard|#00FF80|16777215\r\nth_b.webp");
  EXPECT_EQ(InspectJpeg(out_ + "/b.avif").width, 100);

  EXPECT_EQ(RunCommand({"generate", "--skin", skin_, "--out", out_, "--format", "NIX=webp"}).status,
            2);
  CliResult unknown = RunCommand({"generate", "--skin", skin_, "--out", dir_ / "out2", "--format",
                                  "BIG=gif", dir_ / "photos"});
  EXPECT_EQ(unknown.status, 1);
  EXPECT_EQ(
      unknown.out,
      "Ungültige Werte für die Bildvariante „g“ (BIG)!\nUnbekanntes Bildformat gif, erlaubt sind "
      "JPEG, WebP oder AVIF.\n");
  EXPECT_FALSE(Exists(dir_ / "out2"));
}

TEST_F(CliGenerateTest, UsageErrorsAndSkinsThatFailToLoadExitWithTwo) {
  EXPECT_EQ(RunCommand({"generate", "--out", out_}).status, 2);
  EXPECT_EQ(RunCommand({"generate", "--skin", skin_}).status, 2);
  EXPECT_EQ(RunCommand({"generate", "--skin", skin_, "--out", out_, "--bogus"}).status, 2);
  EXPECT_EQ(RunCommand({"generate", "--skin", skin_, "--out", out_, "--set", "NIX=1"}).status, 2);
  EXPECT_EQ(RunCommand({"generate", "--skin", skin_, "--out", out_, "--size", "BIG=100"}).status,
            2);
  EXPECT_EQ(RunCommand({"generate", "--skin", skin_, "--out", out_, "--set", "FARBE=#zz"}).status,
            2);
  WriteFile(dir_ / "skin/variants.csv", "\"NAME\";\"DESCRIPTION\";\r\n");
  CliResult bad_skin = RunCommand({"generate", "--skin", skin_, "--out", out_});
  EXPECT_EQ(bad_skin.status, 2);
  EXPECT_EQ(bad_skin.err,
            "Der Skin Testskin konnte nicht geladen werden. Fehlermeldung: "
            "Fehler beim Laden der CSV-Datei " +
                (dir_ / "skin/variants.csv") + ": Struktur ist ungültig!\n");
  EXPECT_FALSE(Exists(out_));
}

TEST_F(CliGenerateTest, FailedRunsAndErrorReportsExitWithOne) {
  CliResult bad_size = RunCommand(
      {"generate", "--skin", skin_, "--out", out_, "--size", "BIG=0x10", dir_ / "photos"});
  EXPECT_EQ(bad_size.status, 1);
  EXPECT_EQ(
      bad_size.out,
      "Ungültige Werte für die Bildvariante „g“ (BIG)!\nMaximale Breite und Höhe: 1 bis 16384 "
      "Pixel, JPG-Qualität: 0 bis 100.\n");
  EXPECT_FALSE(Exists(out_));

  ::unlink((dir_ / "skin/index.tpl").c_str());
  CliResult missing =
      RunCommand({"generate", "--skin", skin_, "--out", dir_ / "out2", dir_ / "photos/b.jpg"});
  EXPECT_EQ(missing.status, 1);
  const std::string message =
      "Fehler beim Lesen der Vorlagendatei " + (dir_ / "skin/index.tpl") + "!";
  EXPECT_NE(missing.out.find(message), std::string::npos);
  EXPECT_EQ(missing.err, "Fehler: " + message + "\n");
}

TEST_F(CliGenerateTest, ListFileImagesComeFirstWithTheirProperties) {
  WriteFile(dir_ / "list.csv", "\"Dateiname\";\"Pfad\";\"Ort\";\r\n\"b.jpg\";\"" +
                                   (dir_ / "photos/") + "\";\"Bee\";\r\n");
  WriteFile(dir_ / "skin/index.tpl",
            "[VTL] NEWSECTION NUMREPEAT:0\n%FNAME_NO_PATH%=%Ort%\n[VTL] ENDSECTION");
  CliResult result = RunCommand(
      {"generate", "--skin", skin_, "--out", out_, "--list", dir_ / "list.csv", dir_ / "photos"});
  EXPECT_EQ(result.status, 0) << result.err;
  EXPECT_EQ(ReadFile(out_ + "/index.html"), "\r\nb.jpg=Bee\r\na.JPG=");
}

TEST_F(CliGenerateTest, EmptyingTheOutputFolderIsReportedAsTheProgressWindowDoes) {
  WriteFile(out_ + "/alt.html", "old");
  CliResult result = RunCommand(
      {"generate", "--skin", skin_, "--out", out_, "--empty-output", dir_ / "photos/b.jpg"});
  EXPECT_EQ(result.status, 0) << result.err;
  EXPECT_EQ(result.out.substr(0, 36), "Leere Ausgabeverzeichnis...fertig\nIn");
  EXPECT_FALSE(Exists(out_ + "/alt.html"));
  EXPECT_EQ(ReadFile(home_ / ".local/share/Trash/files/alt.html"), "old");
  // The folder of the photos is never emptied.
  CliResult refused = RunCommand({"generate", "--skin", skin_, "--out", dir_ / "photos",
                                  "--empty-output", dir_ / "photos/b.jpg"});
  EXPECT_EQ(refused.status, 1);
  EXPECT_EQ(refused.out, "Das Verzeichnis " + (dir_ / "photos") +
                             " kann nicht geleert werden!\nEs enthält Bilder der Liste.\n");
  EXPECT_TRUE(Exists(dir_ / "photos/notes.txt"));
}

// Run from inside the output folder on a machine whose home has no ~/.local/share: the old
// files must go to the home trash, never into the gallery itself.
TEST_F(CliGenerateTest, EmptyingFromInsideTheOutputFolderKeepsOldFilesOutOfTheGallery) {
  WriteFile(out_ + "/privat.txt", "secret");
  ScopedCurrentFolder inside(out_);
  CliResult result = RunCommand(
      {"generate", "--skin", skin_, "--out", ".", "--empty-output", dir_ / "photos/b.jpg"});
  EXPECT_EQ(result.status, 0) << result.out << result.err;
  EXPECT_EQ(ListFolder(out_),
            (std::vector<std::string>{".vistrel-inhalt", "b.jpg", "index.html", "th_b.jpg"}));
  EXPECT_EQ(ReadFile(home_ / ".local/share/Trash/files/privat.txt"), "secret");
}

// The first image fails: its error stands under the step that was running, as the window
// shows it.
TEST_F(CliGenerateTest, AFailedImageIsLeftOutAndTheLastLineSaysSo) {
  WriteFile(dir_ / "photos/0-kaputt.jpg", "\xFF\xD8\xFF not a photo after all");
  CliResult result = RunCommand({"generate", "--skin", skin_, "--out", out_, dir_ / "photos"});
  EXPECT_EQ(result.status, 1);
  EXPECT_EQ(result.out.substr(0, result.out.find("Initialisiere Parser")),
            "Initialisiere...fertig\nErzeuge verkleinerte Bilder...fertig\n  Schritt 1 von 2\n"
            "Fehler beim Verarbeiten der Bilddatei " +
                (dir_ / "photos/0-kaputt.jpg") + "!\n  Schritt 2 von 2\n");
  EXPECT_EQ(result.out.substr(result.out.rfind("Galerie")),
            "Galerie erstellt, 1 Bild konnte nicht verarbeitet werden.\n");
  EXPECT_FALSE(Exists(out_ + "/th_0-kaputt.jpg"));
  EXPECT_EQ(ReadFile(out_ + "/index.html"),
            "\r\nStandard|#00FF80|16777215\r\nth_a.JPG\r\nth_b.jpg");
}

// When nothing can be shown, the last line says that no gallery was made, and why.
TEST_F(CliGenerateTest, WithoutAnyImageTheLastLineSaysNoGalleryWasMade) {
  CliResult empty = RunCommand({"generate", "--skin", skin_, "--out", out_});
  EXPECT_EQ(empty.status, 1);
  EXPECT_EQ(empty.out, "Keine Galerie erstellt: Die Bildliste ist leer.\n");
  EXPECT_FALSE(Exists(out_));

  // A list whose photos are not where it says.
  WriteFile(dir_ / "list.csv", "\"Dateiname\";\"Pfad\";\r\n\"a.jpg\";\"" + (dir_ / "weg/") +
                                   "\";\r\n\"b.jpg\";\"" + (dir_ / "weg/") + "\";\r\n");
  CliResult none =
      RunCommand({"generate", "--skin", skin_, "--out", out_, "--list", dir_ / "list.csv"});
  EXPECT_EQ(none.status, 1);
  EXPECT_EQ(none.out.substr(
                none.out.find("Fehler beim Verarbeiten der Bilddatei " + (dir_ / "weg/b.jpg"))),
            "Fehler beim Verarbeiten der Bilddatei " + (dir_ / "weg/b.jpg") +
                "!\n  Schritt 2 von 2\nKeine Galerie erstellt: Keines der 2 Bilder konnte "
                "verarbeitet werden.\n");
  EXPECT_EQ(ListFolder(out_), std::vector<std::string>{});
}

// An error that ends the run as an exception stands in the log too, not on stderr alone.
TEST_F(CliGenerateTest, EveryErrorReachesTheLogOnStdout) {
  WriteFile(dir_ / "skin/index.tpl", "[VTL] CONDITION(TRUE) ohne Ende");
  CliResult result =
      RunCommand({"generate", "--skin", skin_, "--out", out_, dir_ / "photos/b.jpg"});
  EXPECT_EQ(result.status, 1);
  const std::string message = "Fehler beim Lesen der Vorlagendatei! Bedingungsende fehlt!";
  EXPECT_TRUE(result.out.ends_with("\n" + message + "\n")) << result.out;
  EXPECT_EQ(result.err, "Fehler: " + message + "\n");
}

TEST_F(CliGenerateTest, TheVariantCacheCanBeTurnedOffOrLimited) {
  const std::string cache = home_ / ".cache/vistrel";
  CliResult off =
      RunCommand({"generate", "--skin", skin_, "--out", out_, "--no-cache", dir_ / "photos/b.jpg"});
  EXPECT_EQ(off.status, 0) << off.err;
  EXPECT_FALSE(Exists(cache));
  CliResult on = RunCommand({"generate", "--skin", skin_, "--out", dir_ / "o2", "--cache-size",
                             "1g", dir_ / "photos/b.jpg"});
  EXPECT_EQ(on.status, 0) << on.err;
  EXPECT_EQ(ListFolder(cache).size(), 2u);
  EXPECT_EQ(ReadFile(dir_ / "o2/b.jpg"), ReadFile(out_ + "/b.jpg"));
  for (const char* size : {"", "x", "12X", "-5", "1T", "9999999999", "0", "5M", "1001G"}) {
    CliResult bad = RunCommand(
        {"generate", "--skin", skin_, "--out", dir_ / "o3", "--cache-size", size, dir_ / "photos"});
    EXPECT_EQ(bad.status, 2) << size;
    EXPECT_NE(bad.err.find("--cache-size erwartet eine Größe wie 500M oder 2G"), std::string::npos);
  }
  EXPECT_FALSE(Exists(dir_ / "o3"));
}

// --no-location: the photo's position is on no page, and the copied original is without it.
TEST_F(CliGenerateTest, NoLocationLeavesThePlaceOutOfPagesAndOriginals) {
  TSkinFixture fixture;
  fixture.template_files = {
      {"index.tpl", "[VTL] NEWSECTION NUMREPEAT:0\n[%EXIF:GPS%]\n[VTL] ENDSECTION"}};
  const std::string skin = WriteSkin(dir_ / "gps-skin", fixture);
  TTiff tiff;
  tiff.gps = {Ascii(0x0001, "N"), Rationals(0x0002, {{47, 1}, {30, 1}, {0, 1}}), Ascii(0x0003, "E"),
              Rationals(0x0004, {{8, 1}, {15, 1}, {0, 1}})};
  const std::string photo = dir_ / "gps/g.jpg";
  WriteFile(photo, WithExif(MakeJpeg(120, 80), BuildTiff(tiff)));
  CliResult with =
      RunCommand({"generate", "--skin", skin, "--out", dir_ / "mit", "--copy-originals", photo});
  EXPECT_EQ(with.status, 0) << with.err;
  EXPECT_NE(ReadFile(dir_ / "mit/index.html").find("[47.5"), std::string::npos);
  EXPECT_EQ(ReadFile(dir_ / "mit/g.jpg"), ReadFile(photo));
  CliResult without = RunCommand({"generate", "--skin", skin, "--out", dir_ / "ohne",
                                  "--copy-originals", "--no-location", photo});
  EXPECT_EQ(without.status, 0) << without.err;
  EXPECT_NE(ReadFile(dir_ / "ohne/index.html").find("[]"), std::string::npos);
  EXPECT_EQ(ReadFile(dir_ / "ohne/g.jpg").find("GPS"), std::string::npos);
  EXPECT_NE(ReadFile(dir_ / "ohne/g.jpg"), ReadFile(photo));
}

// A cache folder that cannot be used is said once in the log, and the run still succeeds.
TEST_F(CliGenerateTest, AnUnusableCacheIsNotedAndTheRunSucceeds) {
  WriteFile(home_ / ".cache/vistrel", "a file, not a folder");
  CliResult result = RunCommand({"generate", "--skin", skin_, "--out", out_, dir_ / "photos"});
  EXPECT_EQ(result.status, 0) << result.err;
  EXPECT_EQ(result.out,
            "Initialisiere...fertig\nErzeuge verkleinerte Bilder...fertig\n  Schritt 1 von 2\n"
            "  Schritt 2 von 2\nDer Zwischenspeicher " +
                (home_ / ".cache/vistrel") +
                " ist kein Ordner; die Bilder werden ohne ihn erzeugt.\n"
                "Initialisiere Parser und erzeuge Ausgabedateien...fertig\n"
                "  Schritt 1 von 1\nGalerie erfolgreich erstellt!\n");
}

TEST(CliSkinsTest, ListsTheCatalogue) {
  TempDir dir;
  TSkinFixture fixture;
  WriteSkin(dir / "skins/a", fixture);
  WriteFile(dir / "skins/bad.vsk", "[General]\n");
  CliResult result = RunCommand({"skins", dir / "skins"});
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.out, "ok\tTestskin\t" + (dir / "skins/a/test.vsk") + "\t\ninvalid\t\t" +
                            (dir / "skins/bad.vsk") + "\tFehler beim Laden der Datei " +
                            (dir / "skins/bad.vsk") + ": Datei enthält keinen Skin-Namen!\n");
}

// The exit status of a command run through /bin/sh, or -1 when it did not exit.
int Status(const std::string& command) {
  const int status = std::system(command.c_str());
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// The installed program, end to end, with a home of the test (where its cache goes).
class CliProgramTest : public ::testing::Test {
 protected:
  TempDir dir;
  ScopedEnv env_home_{"HOME", dir / "home"};
  ScopedEnv env_data_{"XDG_DATA_HOME", std::nullopt};
  ScopedEnv env_cache_{"XDG_CACHE_HOME", std::nullopt};
};

// Exit codes as scripts see them.
TEST_F(CliProgramTest, ExitCodesOfTheRealProgram) {
  const std::string skin = WriteSkin(dir / "skin");
  WriteFile(dir / "p/a.jpg", MakeJpeg(50, 50));
  auto run = [](const std::string& command) { return Status(command + " >/dev/null 2>&1"); };
  const std::string cli = VISTREL_CLI;
  EXPECT_EQ(run(cli + " generate --skin '" + skin + "' --out '" + (dir / "out") + "' '" +
                (dir / "p") + "'"),
            0);
  EXPECT_TRUE(Exists(dir / "out/index.html"));
  EXPECT_EQ(run(cli + " generate --skin '" + (dir / "none.vsk") + "' --out '" + (dir / "o2") + "'"),
            2);
  EXPECT_EQ(run(cli + " metadata '" + (dir / "p/a.jpg") + "'"), 0);
  EXPECT_EQ(run(cli), 2);
  EXPECT_EQ(run(cli + " --help"), 0);
  EXPECT_EQ(run(cli + " generate -h"), 0);
  EXPECT_EQ(run(cli + " --version"), 0);
  EXPECT_EQ(run(cli + " generate --bogus"), 2);
}

// A full disk is told once, naming the file and the reason; no photo is blamed.
TEST_F(CliProgramTest, AFullDiskIsToldOnceAndNoPhotoIsBlamed) {
  TSkinFixture fixture;
  fixture.variants = {{"BIG", "g", "800", "800", "%old%"}};
  const std::string skin = WriteSkin(dir / "skin", fixture);
  for (int i = 0; i < 6; ++i)
    WriteFile(dir / ("p/" + std::to_string(i) + ".jpg"), MakeJpeg(1200, 900));
  // A file size limit fails writes as a full disk does (EFBIG instead of ENOSPC).
  const std::string command = "trap '' XFSZ; ulimit -f 16; " + std::string(VISTREL_CLI) +
                              " generate --no-cache --skin '" + skin + "' --out '" + (dir / "out") +
                              "' '" + (dir / "p") + "' >'" + (dir / "log.txt") + "' 2>&1";
  EXPECT_EQ(Status(command), 1);
  const std::string log = ReadFile(dir / "log.txt");
  EXPECT_EQ(log.find("Fehler beim Verarbeiten"), std::string::npos) << log;
  const std::string last = log.substr(log.rfind('\n', log.size() - 2) + 1);
  EXPECT_TRUE(last.starts_with("Keine Galerie erstellt: Die Datei " + (dir / "out/")) &&
              last.ends_with(".jpg konnte nicht geschrieben werden (Datei zu groß).\n"))
      << log;
  EXPECT_EQ(ListFolder(dir / "out"), std::vector<std::string>{});
}

// A run killed at any moment leaves nothing the next run must live with: the next run removes
// what the dead one reserved or half wrote, replaces what it finished, and names its files as a
// run into an empty folder would.
TEST_F(CliProgramTest, ARunKilledAtAnyMomentLeavesNothingForTheNextRun) {
  TSkinFixture fixture;
  fixture.variants = {{"BIG", "g", "1600", "1600", "%old%"},
                      {"THUMB", "k", "100", "100", "th_%old%"}};
  const std::string skin = WriteSkin(dir / "skin", fixture);
  const std::string photo = MakeJpeg(2400, 1800);
  for (int i = 0; i < 20; ++i) WriteFile(dir / ("p/" + std::to_string(100 + i) + ".jpg"), photo);
  auto files = [](const std::string& folder) {
    std::map<std::string, struct stat> found;
    for (const std::string& name : ListFolder(folder)) {
      struct stat st {};
      ::lstat((folder + "/" + name).c_str(), &st);
      found[name] = st;
    }
    return found;
  };
  auto count = [&](const std::string& folder, bool written) {
    int n = 0;
    for (const auto& [name, st] : files(folder))
      n += name.ends_with(".jpg") && (st.st_size > 0) == written ? 1 : 0;
    return n;
  };
  const std::vector<std::pair<std::string, std::function<bool(const std::string&)>>> moments = {
      {"names reserved", [&](const std::string& out) { return count(out, false) > 0; }},
      {"first copy written", [&](const std::string& out) { return count(out, true) > 0; }},
      {"a quarter written", [&](const std::string& out) { return count(out, true) >= 10; }},
  };
  int number = 0;
  for (const auto& [moment, reached] : moments) {
    const std::string out = dir / ("out" + std::to_string(++number));
    auto generate = [&](const std::string& into) {
      return std::vector<std::string>{"generate", "--skin", skin, "--out", into, dir / "p"};
    };
    const pid_t child =
        StartProgram({VISTREL_CLI, "generate", "--skin", skin, "--out", out, dir / "p"},
                     dir / "out.txt", dir / "err.txt");
    ASSERT_GT(child, 0);
    bool killed = false;
    for (int i = 0; i < 60000 && !killed; ++i) {
      if (reached(out))
        killed = ::kill(child, SIGKILL) == 0;
      else
        ::usleep(1000);
    }
    const int status = WaitForProgram(child);
    ASSERT_TRUE(killed && WIFSIGNALED(status)) << moment << ": the run ended by itself";
    const auto dead = files(out);
    const bool left_something = std::any_of(dead.begin(), dead.end(), [](const auto& entry) {
      return entry.second.st_size == 0 || entry.first.starts_with(".vistrel-lauf-");
    });
    EXPECT_TRUE(left_something) << moment;

    const CliResult next = [&] {
      std::ostringstream log, err;
      const int code = RunCli(generate(out), log, err);
      return CliResult{code, log.str(), err.str()};
    }();
    EXPECT_EQ(next.status, 0) << moment << next.out << next.err;
    EXPECT_TRUE(next.out.ends_with("Galerie erfolgreich erstellt!\n")) << moment;
    const auto after = files(out);
    // The files the dead run finished were its own: the next run replaces them and makes the
    // same files, under the same names, as a run into an empty folder.
    const std::string reference = dir / ("ref" + std::to_string(number));
    std::filesystem::create_directories(reference);
    std::ostringstream ignored;
    ASSERT_EQ(RunCli(generate(reference), ignored, ignored), 0);
    EXPECT_EQ(ListFolder(out), ListFolder(reference)) << moment;
    for (const auto& [name, st] : after) {
      if (name == ".vistrel-inhalt") continue;  // the manifests differ in their times
      EXPECT_GT(st.st_size, 0) << moment << ": " << name;
      EXPECT_EQ(ReadFile(out + "/" + name), ReadFile(reference + "/" + name))
          << moment << ": " << name;
    }
  }
}

// SIGINT stops a run between images: exit 130, "Abgebrochen" last, no empty file left.
TEST_F(CliProgramTest, AnInterruptedRunStopsAndSaysSo) {
  TSkinFixture fixture;
  fixture.variants = {{"BIG", "g", "1600", "1600", "%old%"}};
  const std::string skin = WriteSkin(dir / "skin", fixture);
  const std::string photo = MakeJpeg(2400, 1800);
  for (int i = 0; i < 40; ++i) WriteFile(dir / ("p/" + std::to_string(100 + i) + ".jpg"), photo);
  const std::string command = std::string(VISTREL_CLI) + " generate --skin '" + skin + "' --out '" +
                              (dir / "out") + "' '" + (dir / "p") + "' >'" + (dir / "log.txt") +
                              "' 2>&1";
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    ::execl("/bin/sh", "sh", "-c", ("exec " + command).c_str(), static_cast<char*>(nullptr));
    ::_exit(127);
  }
  // Interrupt once the first copy is written (every name is reserved, empty, before that).
  for (int i = 0; i < 3000 && ReadFile(dir / "out/100.jpg").empty(); ++i) ::usleep(10000);
  ::kill(child, SIGINT);
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 130);
  const std::string log = ReadFile(dir / "log.txt");
  // The last line says what stays: every finished copy, no page.
  const size_t last = log.rfind("Abgebrochen: ");
  ASSERT_NE(last, std::string::npos) << log;
  EXPECT_TRUE(log.ends_with(" in " + (dir / "out/") + ".\n")) << log;
  EXPECT_FALSE(Exists(dir / "out/index.html"));
  int copies = 0;
  for (const std::string& name : ListFolder(dir / "out")) {
    if (name == ".vistrel-inhalt") continue;
    EXPECT_GT(ReadFile(dir / "out/" + name).size(), 1000u) << name;
    ++copies;
  }
  EXPECT_EQ(log.substr(last),
            "Abgebrochen: " + std::to_string(copies) +
                (copies == 1 ? " Bilddatei bleibt in " : " Bilddateien bleiben in ") +
                (dir / "out/") + ".\n");
}

// A run long in every phase: a list of 2,000 rows over 40 large photos (reading the list takes
// a while, making the copies longer), into dir/out without the cache.
std::vector<std::string> LongRun(const TempDir& dir) {
  TSkinFixture fixture;
  fixture.variants = {{"BIG", "g", "1600", "1600", "%old%"}};
  const std::string skin = WriteSkin(dir / "skin", fixture);
  const std::string photo = MakeJpeg(2400, 1800);
  std::string list = "\"Dateiname\";\"Pfad\";\r\n";
  for (int i = 0; i < 40; ++i) WriteFile(dir / ("p/" + std::to_string(100 + i) + ".jpg"), photo);
  for (int i = 0; i < 2000; ++i)
    list += "\"" + std::to_string(100 + i % 40) + ".jpg\";\"" + (dir / "p/") + "\";\r\n";
  WriteFile(dir / "list.csv", list);
  return {VISTREL_CLI, "generate", "--skin",         skin,        "--out",
          dir / "out", "--list",   dir / "list.csv", "--no-cache"};
}

// From the first instant on, SIGINT and SIGTERM stop the program the same way: status 130, and
// either nothing printed yet (stopped before the run began) or the run's log ending with
// "Abgebrochen".
TEST_F(CliProgramTest, AStopSignalAtAnyMomentEndsWithStatus130) {
  const std::vector<std::string> command = LongRun(dir);
  const struct {
    int delay_ms;
    int signal;
  } moments[] = {{0, SIGTERM},  {0, SIGINT},     {40, SIGTERM},
                 {250, SIGINT}, {1000, SIGTERM}, {4000, SIGINT}};
  for (const auto& moment : moments) {
    std::filesystem::remove_all(dir / "out");
    const pid_t child = StartProgram(command, dir / "out.txt", dir / "err.txt");
    ASSERT_GT(child, 0);
    ::usleep(static_cast<useconds_t>(moment.delay_ms) * 1000);
    ::kill(child, moment.signal);
    const int status = WaitForProgram(child);
    const std::string out = ReadFile(dir / "out.txt");
    ASSERT_TRUE(WIFEXITED(status)) << moment.delay_ms << " ms: " << status;
    EXPECT_EQ(WEXITSTATUS(status), 130) << moment.delay_ms << " ms\n" << out;
    if (!out.empty()) {
      // Stopped before the output folder: "Abgebrochen"; after: what stays there too.
      const size_t last = out.rfind('\n', out.size() - 2);
      const std::string line = out.substr(last == std::string::npos ? 0 : last + 1);
      EXPECT_TRUE(line == "Abgebrochen\n" || line.starts_with("Abgebrochen: "))
          << moment.delay_ms << " ms\n"
          << out;
    }
    EXPECT_EQ(ReadFile(dir / "err.txt"), "") << moment.delay_ms << " ms";
  }
}

// A program started with SIGINT ignored keeps ignoring it (it runs to its end), while
// SIGTERM still stops it.
TEST_F(CliProgramTest, AnInheritedIgnoreOfSigintIsKept) {
  const std::string skin = WriteSkin(dir / "small-skin");
  WriteFile(dir / "small/a.jpg", MakeJpeg(50, 50));
  const pid_t child = StartProgram(
      {VISTREL_CLI, "generate", "--skin", skin, "--out", dir / "small-out", dir / "small"},
      dir / "out.txt", dir / "err.txt", true);
  ASSERT_GT(child, 0);
  ::kill(child, SIGINT);  // held back until the program lets signals through
  ::usleep(100000);
  ::kill(child, SIGINT);
  const int status = WaitForProgram(child);
  ASSERT_TRUE(WIFEXITED(status)) << status;
  EXPECT_EQ(WEXITSTATUS(status), 0) << ReadFile(dir / "out.txt");
  EXPECT_TRUE(Exists(dir / "small-out/index.html"));

  const pid_t stopped = StartProgram(LongRun(dir), dir / "out.txt", dir / "err.txt", true);
  ASSERT_GT(stopped, 0);
  ::kill(stopped, SIGINT);
  ::usleep(500000);
  ::kill(stopped, SIGTERM);
  const int stopped_status = WaitForProgram(stopped);
  ASSERT_TRUE(WIFEXITED(stopped_status)) << stopped_status;
  EXPECT_EQ(WEXITSTATUS(stopped_status), 130);
}

}  // namespace
}  // namespace vistrel
