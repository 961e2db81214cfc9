#include "support/command_line.h"

#include <gtest/gtest.h>

namespace vistrel {
namespace {

using TAction = TParsedArguments::TAction;

// A program with one command, and one without commands.
TProgramTable Tool() {
  TProgramTable program;
  program.name = "werkzeug";
  program.version = "1.2 (beta)";
  program.summary = "Macht etwas.";
  TCommandEntry make;
  make.name = "make";
  make.operands = "[DATEI...]";
  make.summary = "Etwas machen.";
  make.options = {{"--in", "", "EINGABE", "woher", true, {}},
                  {"--größe", "", "GRÖSSE", "wie groß", false, {}},
                  {"--laut", "-l", "", "mit Meldungen", false, {}}};
  program.commands = {make};
  return program;
}

TProgramTable Plain() {
  TProgramTable program;
  program.name = "fenster";
  program.version = "3";
  program.summary = "Zeigt ein Fenster.";
  program.description = "Mehr im Handbuch.\n";
  return program;
}

TEST(CommandLineTest, ParsesOptionsValuesAndOperands) {
  const TProgramTable tool = Tool();
  struct Case {
    std::vector<std::string> args;
    std::vector<std::pair<std::string, std::string>> options;
    std::vector<std::string> operands;
  };
  const std::vector<Case> cases = {
      {{"make", "--in", "a"}, {{"--in", "a"}}, {}},
      {{"make", "x", "--in=a=b", "y"}, {{"--in", "a=b"}}, {"x", "y"}},
      {{"make", "--in", "-l", "-l"}, {{"--in", "-l"}, {"--laut", ""}}, {}},
      {{"make", "--in", "a", "--in", "b", "-", "--", "--in", "-l", "--"},
       {{"--in", "a"}, {"--in", "b"}},
       {"-", "--in", "-l", "--"}},
      {{"make", "--größe=", "--in", ""}, {{"--größe", ""}, {"--in", ""}}, {}},
  };
  for (const Case& c : cases) {
    const TParsedArguments parsed = ParseCommandLine(tool, c.args);
    EXPECT_EQ(parsed.action, TAction::kRun) << c.args[1] << parsed.problem;
    ASSERT_NE(parsed.command, nullptr);
    EXPECT_EQ(parsed.command->name, "make");
    EXPECT_EQ(parsed.options, c.options) << c.args[1];
    EXPECT_EQ(parsed.operands, c.operands) << c.args[1];
  }
  const TParsedArguments parsed = ParseCommandLine(tool, {"make", "--in", "a", "--in", "b"});
  EXPECT_EQ(parsed.Last("--in"), "b");
  EXPECT_EQ(parsed.All("--in"), (std::vector<std::string>{"a", "b"}));
  EXPECT_FALSE(parsed.Has("--laut"));
  EXPECT_EQ(parsed.Last("--laut"), std::nullopt);
}

TEST(CommandLineTest, HelpVersionAndProblemsInTheOrderGiven) {
  const TProgramTable tool = Tool();
  const TProgramTable plain = Plain();
  struct Case {
    const TProgramTable* program;
    std::vector<std::string> args;
    TAction action;
    std::string problem;
  };
  const std::vector<Case> cases = {
      {&tool, {}, TAction::kUsageError, ""},
      {&tool, {"-h"}, TAction::kHelp, ""},
      {&tool, {"--version", "--bogus"}, TAction::kVersion, ""},
      {&tool, {"--bogus=1"}, TAction::kUsageError, "Unbekannte Option --bogus"},
      {&tool, {"mache"}, TAction::kUsageError, "Unbekannter Befehl mache"},
      {&tool, {"make", "--help", "--bogus"}, TAction::kHelp, ""},
      {&tool, {"make", "--bogus", "--help"}, TAction::kUsageError, "Unbekannte Option --bogus"},
      {&tool, {"make", "--", "--help"}, TAction::kUsageError, "Es fehlt --in"},
      {&tool, {"make", "--version"}, TAction::kUsageError, "Unbekannte Option --version"},
      {&tool,
       {"make", "--in"},
       TAction::kUsageError,
       "Die Option --in braucht einen Wert der Form, die der Aufruf zeigt"},
      {&tool,
       {"make", "--in", "a", "--laut=ja"},
       TAction::kUsageError,
       "Die Option --laut nimmt keinen Wert"},
      {&tool, {"make", "--in", "a", "-x"}, TAction::kUsageError, "Unbekannte Option -x"},
      {&plain, {}, TAction::kRun, ""},
      {&plain, {"--version"}, TAction::kVersion, ""},
      {&plain, {"-h"}, TAction::kHelp, ""},
      {&plain, {"datei"}, TAction::kUsageError, "Unerwartetes Argument datei"},
      {&plain, {"--", "-h"}, TAction::kUsageError, "Unerwartetes Argument -h"},
  };
  for (const Case& c : cases) {
    const TParsedArguments parsed = ParseCommandLine(*c.program, c.args);
    const std::string label = c.args.empty() ? "(nichts)" : c.args.back();
    EXPECT_EQ(parsed.action, c.action) << label;
    EXPECT_EQ(parsed.problem, c.problem) << label;
  }
}

// Columns line up by characters, not bytes, so a "Ö" does not push its row out of line.
TEST(CommandLineTest, HelpTextsComeFromTheTable) {
  const TProgramTable tool = Tool();
  EXPECT_EQ(CommandHelp(tool, tool.commands[0]),
            "Aufruf: werkzeug make --in EINGABE [OPTIONEN] [DATEI...]\n"
            "Etwas machen.\n"
            "\n"
            "Optionen:\n"
            "      --in EINGABE    woher\n"
            "      --größe GRÖSSE  wie groß\n"
            "  -l, --laut          mit Meldungen\n"
            "  -h, --help          diese Hilfe zeigen\n");
  EXPECT_EQ(ProgramHelp(tool),
            "Aufruf:\n"
            "  werkzeug make --in EINGABE [OPTIONEN] [DATEI...]\n"
            "  werkzeug --help | --version\n"
            "Macht etwas.\n"
            "\n"
            "Befehle:\n"
            "  make  Etwas machen.\n"
            "\n"
            "Optionen:\n"
            "  -h, --help     diese Hilfe zeigen\n"
            "      --version  die Version zeigen\n"
            "\n"
            "„werkzeug BEFEHL --help“ zeigt die Optionen eines Befehls.\n");
  EXPECT_EQ(ProgramHelp(Plain()),
            "Aufruf: fenster [--help | --version]\n"
            "Zeigt ein Fenster.\n"
            "\n"
            "Optionen:\n"
            "  -h, --help     diese Hilfe zeigen\n"
            "      --version  die Version zeigen\n"
            "\n"
            "Mehr im Handbuch.\n");
  EXPECT_EQ(VersionText(tool), "werkzeug 1.2 (beta)\n");
  EXPECT_EQ(HelpHint(tool, &tool.commands[0]), "„werkzeug make --help“ zeigt alle Optionen.\n");
  EXPECT_EQ(HelpHint(Plain(), nullptr), "„fenster --help“ zeigt alle Optionen.\n");
}

TEST(CommandLineTest, CompletionFollowsTheTable) {
  TProgramTable tool = Tool();
  tool.commands[0].options[0].completion = {TCompletion::TKind::kFiles, "*.txt", {}};
  tool.commands[0].options[1].completion = {
      TCompletion::TKind::kWords, "", [](const TParsedArguments& so_far) {
        return std::vector<std::string>{"klein", "groß", so_far.Last("--in").value_or("?")};
      }};
  tool.commands[0].operand_completion = {TCompletion::TKind::kFolders, "", {}};
  using TKind = TCompletion::TKind;
  struct Case {
    std::vector<std::string> words;
    TKind kind;
    std::string prefix;
    std::vector<std::string> offered;
  };
  const std::vector<Case> cases = {
      {{""}, TKind::kWords, "", {"make"}},
      {{"x"}, TKind::kWords, "", {}},
      {{"-"}, TKind::kWords, "", {"--help", "--version"}},
      {{"make", "--"}, TKind::kWords, "", {"--in", "--größe", "--laut", "--help"}},
      {{"make", "--in", ""}, TKind::kFiles, "", {}},
      {{"make", "--in=a"}, TKind::kFiles, "--in=", {}},
      {{"make", "--in", "a.txt", "--größe", "g"}, TKind::kWords, "", {"groß"}},
      {{"make", "--in=a.txt", "--größe="},
       TKind::kWords,
       "--größe=",
       {"--größe=klein", "--größe=groß", "--größe=a.txt"}},
      {{"make", "--laut=x"}, TKind::kNothing, "", {}},
      {{"make", "--in", "a", "--", "--i"}, TKind::kFolders, "", {}},
      {{"make", "--bogus", "d"}, TKind::kFolders, "", {}},
      {{"make", "--in", "--", ""}, TKind::kFolders, "", {}},
      {{"mache", ""}, TKind::kNothing, "", {}},
  };
  for (const Case& c : cases) {
    const TCompletionReply reply = CompleteCommandLine(tool, c.words);
    EXPECT_EQ(reply.kind, c.kind) << c.words.back();
    EXPECT_EQ(reply.prefix, c.prefix) << c.words.back();
    EXPECT_EQ(reply.words, c.offered) << c.words.back();
  }
  EXPECT_EQ(CompleteCommandLine(tool, {"make", "--in", ""}).pattern, "*.txt");
}

}  // namespace
}  // namespace vistrel
