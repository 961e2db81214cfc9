// The conventions of both programs' command lines, driven by one table per program: the
// arguments are parsed from it, the help texts are written from it, and the shell's completion
// is answered from it, so an option added to the table is parsed, explained and completed.
//
//   PROGRAM [--help | -h | --version]
//   PROGRAM COMMAND [OPTION...] [OPERAND...]       (a program with commands)
//   PROGRAM [OPTION...] [OPERAND...]               (a program without commands)
//
// An option is "--name", "--name VALUE" or "--name=VALUE"; options and operands may be mixed;
// "--" ends the options, so every later argument is an operand ("--" itself is not one); any
// other argument that starts with "-" (except "-" alone) must be an option of the table.
// "--help" and "-h" ask for the help of the program or of the command they follow.
//
// Plain data and free functions without state; safe from any thread.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace vistrel {

struct TParsedArguments;

// What the shell offers for an option's value or for an operand.
struct TCompletion {
  enum class TKind { kNothing, kFiles, kFolders, kWords };
  TKind kind = TKind::kNothing;
  // kFiles: the file names offered besides folders, as a shell pattern ("*.vsk"); empty
  // offers every file.
  std::string pattern{};
  // kWords: the words offered, given what the command line holds so far.
  std::function<std::vector<std::string>(const TParsedArguments& so_far)> words{};
};

struct TOptionEntry {
  std::string name{};        // "--skin"
  std::string short_name{};  // "-h", or empty
  std::string value{};       // the value's placeholder ("SKINDATEI"); empty for a flag
  std::string help{};        // one line
  bool required = false;     // shown in the synopsis; a missing one is a usage error
  TCompletion completion{};  // of the value
};

struct TCommandEntry {
  std::string name{};      // "generate"
  std::string operands{};  // as the synopsis shows them: "[BILD...]"
  std::string summary{};   // one line, in the program's list of commands
  // Paragraphs after the options in the command's help (operands, exit status); may be empty.
  std::string description{};
  std::vector<TOptionEntry> options{};  // without --help, which every command has
  TCompletion operand_completion{};
  bool hidden = false;  // neither in the help nor completed
};

struct TProgramTable {
  std::string name;     // "vistrel-cli"
  std::string version;  // as --version prints it after the name
  std::string summary;  // one line after the synopsis
  // Paragraphs at the end of the program's help; may be empty.
  std::string description;
  std::vector<TCommandEntry> commands;  // empty: the program itself is the one command
  // Options and operands of a program without commands (its name is ignored).
  TCommandEntry itself;
};

struct TParsedArguments {
  enum class TAction { kRun, kHelp, kVersion, kUsageError };
  TAction action = TAction::kRun;
  // The command the arguments are for; nullptr for the program level (no command given, or a
  // program without commands).
  const TCommandEntry* command = nullptr;
  // The options given, in order, by their long name, with their value ("" for a flag).
  std::vector<std::pair<std::string, std::string>> options;
  std::vector<std::string> operands;
  // kUsageError: what is wrong; empty when the arguments were missing altogether.
  std::string problem;

  bool Has(std::string_view name) const;
  // The value of the option's last occurrence.
  std::optional<std::string> Last(std::string_view name) const;
  // The values of every occurrence, in order.
  std::vector<std::string> All(std::string_view name) const;
};

// Parses `args` (without the program's name). Help or version asked for wins over any problem
// in a later argument; a problem in an earlier one is reported.
TParsedArguments ParseCommandLine(const TProgramTable& program,
                                  const std::vector<std::string>& args);

// The help of the program: its synopsis, summary, commands (or options) and description.
std::string ProgramHelp(const TProgramTable& program);
// The help of one command: synopsis, summary, options and description.
std::string CommandHelp(const TProgramTable& program, const TCommandEntry& command);
// "vistrel-cli 0.33 (beta)" and a line end.
std::string VersionText(const TProgramTable& program);
// The command of that name, or nullptr.
const TCommandEntry* FindCommand(const TProgramTable& program, std::string_view name);
// The line after a usage error that says where help is: „PROGRAM [COMMAND] --help“ …
std::string HelpHint(const TProgramTable& program, const TCommandEntry* command);

// What the shell may put in place of the word being typed. `words` are the arguments after
// the program's name up to and including that word (which may be empty). Every word offered
// starts with `prefix` + the typed part; files and folders are left to the shell, which
// completes the part of the word after `prefix`.
struct TCompletionReply {
  TCompletion::TKind kind = TCompletion::TKind::kNothing;
  std::string pattern;             // kFiles
  std::string prefix;              // the part of the word before the value ("--skin=")
  std::vector<std::string> words;  // kWords
};
TCompletionReply CompleteCommandLine(const TProgramTable& program,
                                     const std::vector<std::string>& words);

}  // namespace vistrel
