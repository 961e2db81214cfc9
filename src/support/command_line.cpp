#include "support/command_line.h"

#include <algorithm>

namespace vistrel {

namespace {

const TOptionEntry kHelpOption{"--help", "-h", "", "diese Hilfe zeigen", false, {}};
const TOptionEntry kVersionOption{"--version", "", "", "die Version zeigen", false, {}};

bool StartsWith(std::string_view text, std::string_view start) {
  return text.substr(0, start.size()) == start;
}

// An argument that names an option: "-" followed by anything ("-" alone is an operand).
bool LooksLikeOption(std::string_view arg) { return arg.size() > 1 && arg[0] == '-'; }

// The option `name` ("--skin", "-h") of `command`, --help included and --version when
// `with_version`; nullptr when there is none.
const TOptionEntry* FindOption(const TCommandEntry& command, std::string_view name,
                               bool with_version) {
  if (name == kHelpOption.name || name == kHelpOption.short_name) return &kHelpOption;
  if (with_version && name == kVersionOption.name) return &kVersionOption;
  for (const TOptionEntry& option : command.options)
    if (name == option.name || (!option.short_name.empty() && name == option.short_name))
      return &option;
  return nullptr;
}

// Reads the options and operands of `command` from `args` into `result`. Strict, it stops at
// the first problem or at --help/--version; lenient (for completion), it passes over unknown
// options and a missing value.
void CollectArguments(const TCommandEntry& command, bool with_version,
                      const std::vector<std::string>& args, bool strict, TParsedArguments& result) {
  auto fail = [&](std::string problem) {
    result.action = TParsedArguments::TAction::kUsageError;
    result.problem = std::move(problem);
  };
  bool options_ended = false;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (!options_ended && arg == "--") {
      options_ended = true;
      continue;
    }
    if (options_ended || !LooksLikeOption(arg)) {
      if (command.operands.empty() && strict) return fail("Unerwartetes Argument " + arg);
      result.operands.push_back(arg);
      continue;
    }
    std::string name = arg;
    std::optional<std::string> attached;
    if (const size_t equals = arg.find('='); StartsWith(arg, "--") && equals != std::string::npos) {
      name = arg.substr(0, equals);
      attached = arg.substr(equals + 1);
    }
    const TOptionEntry* option = FindOption(command, name, with_version);
    if (!option) {
      if (strict) return fail("Unbekannte Option " + name);
      continue;
    }
    if (option == &kHelpOption || option == &kVersionOption) {
      if (!strict) continue;
      result.action = option == &kHelpOption ? TParsedArguments::TAction::kHelp
                                             : TParsedArguments::TAction::kVersion;
      return;
    }
    if (option->value.empty()) {
      if (attached && strict) return fail("Die Option " + name + " nimmt keinen Wert");
      result.options.emplace_back(option->name, "");
    } else if (attached) {
      result.options.emplace_back(option->name, *attached);
    } else if (i + 1 < args.size()) {
      result.options.emplace_back(option->name, args[++i]);
    } else if (strict) {
      return fail("Die Option " + name + " braucht einen Wert der Form, die der Aufruf zeigt");
    }
  }
  if (!strict) return;
  for (const TOptionEntry& option : command.options)
    if (option.required && !result.Has(option.name)) return fail("Es fehlt " + option.name);
}

// The width of a text on a terminal: its UTF-8 characters (continuation bytes do not count).
size_t DisplayWidth(std::string_view text) {
  return static_cast<size_t>(std::count_if(text.begin(), text.end(), [](char c) {
    return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
  }));
}

// Rows of two columns, the second one aligned.
std::string Table(const std::vector<std::pair<std::string, std::string>>& rows) {
  size_t width = 0;
  for (const auto& [left, right] : rows) width = std::max(width, DisplayWidth(left));
  std::string text;
  for (const auto& [left, right] : rows)
    text += left + std::string(width - DisplayWidth(left) + 2, ' ') + right + "\n";
  return text;
}

std::string OptionsTable(const std::vector<TOptionEntry>& options, bool with_version) {
  std::vector<const TOptionEntry*> all;
  for (const TOptionEntry& option : options) all.push_back(&option);
  all.push_back(&kHelpOption);
  if (with_version) all.push_back(&kVersionOption);
  std::vector<std::pair<std::string, std::string>> rows;
  for (const TOptionEntry* option : all) {
    std::string left = option->short_name.empty() ? "      " : "  " + option->short_name + ", ";
    left += option->name;
    if (!option->value.empty()) left += " " + option->value;
    rows.emplace_back(left, option->help);
  }
  return "Optionen:\n" + Table(rows);
}

// "vistrel-cli generate --skin SKINDATEI --out VERZEICHNIS [OPTIONEN] [BILD...]"
std::string Synopsis(const std::string& program, const TCommandEntry& command) {
  std::string text = program;
  if (!command.name.empty()) text += " " + command.name;
  bool optional_ones = false;
  for (const TOptionEntry& option : command.options) {
    if (option.required)
      text += " " + option.name + " " + option.value;
    else
      optional_ones = true;
  }
  if (optional_ones) text += " [OPTIONEN]";
  if (!command.operands.empty()) text += " " + command.operands;
  return text;
}

std::string Paragraphs(const std::string& text) { return text.empty() ? "" : "\n" + text; }

// The words of `candidates` that continue `typed`, each after `prefix`.
std::vector<std::string> Continuing(const std::vector<std::string>& candidates,
                                    const std::string& typed, const std::string& prefix) {
  std::vector<std::string> words;
  for (const std::string& candidate : candidates)
    if (StartsWith(candidate, typed)) words.push_back(prefix + candidate);
  return words;
}

TCompletionReply CompleteValue(const TCompletion& completion, const std::string& prefix,
                               const std::string& typed, const TParsedArguments& so_far) {
  TCompletionReply reply;
  reply.kind = completion.kind;
  reply.pattern = completion.pattern;
  reply.prefix = prefix;
  if (completion.kind == TCompletion::TKind::kWords && completion.words)
    reply.words = Continuing(completion.words(so_far), typed, prefix);
  return reply;
}

TCompletionReply OptionNames(const TCommandEntry& command, bool with_version,
                             const std::string& typed) {
  std::vector<std::string> names;
  for (const TOptionEntry& option : command.options) names.push_back(option.name);
  names.push_back(kHelpOption.name);
  if (with_version) names.push_back(kVersionOption.name);
  TCompletionReply reply;
  reply.kind = TCompletion::TKind::kWords;
  reply.words = Continuing(names, typed, "");
  return reply;
}

}  // namespace

const TCommandEntry* FindCommand(const TProgramTable& program, std::string_view name) {
  for (const TCommandEntry& command : program.commands)
    if (command.name == name) return &command;
  return nullptr;
}

bool TParsedArguments::Has(std::string_view name) const {
  return std::any_of(options.begin(), options.end(),
                     [&](const auto& option) { return option.first == name; });
}

std::optional<std::string> TParsedArguments::Last(std::string_view name) const {
  for (auto option = options.rbegin(); option != options.rend(); ++option)
    if (option->first == name) return option->second;
  return std::nullopt;
}

std::vector<std::string> TParsedArguments::All(std::string_view name) const {
  std::vector<std::string> values;
  for (const auto& [option, value] : options)
    if (option == name) values.push_back(value);
  return values;
}

TParsedArguments ParseCommandLine(const TProgramTable& program,
                                  const std::vector<std::string>& args) {
  TParsedArguments result;
  if (program.commands.empty()) {
    CollectArguments(program.itself, true, args, true, result);
    return result;
  }
  if (args.empty()) {
    result.action = TParsedArguments::TAction::kUsageError;
    return result;
  }
  const std::string& first = args[0];
  if (LooksLikeOption(first)) {
    const TOptionEntry* option = FindOption(TCommandEntry{}, first, true);
    if (option == &kHelpOption) {
      result.action = TParsedArguments::TAction::kHelp;
    } else if (option == &kVersionOption) {
      result.action = TParsedArguments::TAction::kVersion;
    } else {
      result.action = TParsedArguments::TAction::kUsageError;
      result.problem = "Unbekannte Option " + first.substr(0, first.find('='));
    }
    return result;
  }
  result.command = FindCommand(program, first);
  if (!result.command) {
    result.action = TParsedArguments::TAction::kUsageError;
    result.problem = "Unbekannter Befehl " + first;
    return result;
  }
  CollectArguments(*result.command, false, {args.begin() + 1, args.end()}, true, result);
  return result;
}

std::string ProgramHelp(const TProgramTable& program) {
  if (program.commands.empty())
    return "Aufruf: " + Synopsis(program.name, program.itself) +
           (program.itself.options.empty() ? " [--help | --version]" : "") + "\n" +
           program.summary + "\n\n" + OptionsTable(program.itself.options, true) +
           Paragraphs(program.description);
  std::string text = "Aufruf:\n";
  std::vector<std::pair<std::string, std::string>> commands;
  for (const TCommandEntry& command : program.commands) {
    if (command.hidden) continue;
    text += "  " + Synopsis(program.name, command) + "\n";
    commands.emplace_back("  " + command.name, command.summary);
  }
  text += "  " + program.name + " --help | --version\n";
  return text + program.summary + "\n\nBefehle:\n" + Table(commands) + "\n" +
         OptionsTable({}, true) + "\n„" + program.name +
         " BEFEHL --help“ zeigt die Optionen eines Befehls.\n" + Paragraphs(program.description);
}

std::string CommandHelp(const TProgramTable& program, const TCommandEntry& command) {
  return "Aufruf: " + Synopsis(program.name, command) + "\n" + command.summary + "\n\n" +
         OptionsTable(command.options, false) + Paragraphs(command.description);
}

std::string VersionText(const TProgramTable& program) {
  return program.name + " " + program.version + "\n";
}

std::string HelpHint(const TProgramTable& program, const TCommandEntry* command) {
  if (command) return "„" + program.name + " " + command->name + " --help“ zeigt alle Optionen.\n";
  if (program.commands.empty()) return "„" + program.name + " --help“ zeigt alle Optionen.\n";
  return "„" + program.name + " --help“ zeigt alle Befehle.\n";
}

TCompletionReply CompleteCommandLine(const TProgramTable& program,
                                     const std::vector<std::string>& words) {
  if (words.empty()) return {};
  const std::string& typed = words.back();
  const bool with_commands = !program.commands.empty();
  const TCommandEntry* command = &program.itself;
  if (with_commands) {
    if (words.size() == 1) {
      if (StartsWith(typed, "-")) return OptionNames(TCommandEntry{}, true, typed);
      std::vector<std::string> names;
      for (const TCommandEntry& each : program.commands)
        if (!each.hidden) names.push_back(each.name);
      TCompletionReply reply;
      reply.kind = TCompletion::TKind::kWords;
      reply.words = Continuing(names, typed, "");
      return reply;
    }
    command = FindCommand(program, words[0]);
    if (!command || command->hidden) return {};
  }
  const std::vector<std::string> before(words.begin() + (with_commands ? 1 : 0), words.end() - 1);
  TParsedArguments so_far;
  so_far.command = with_commands ? command : nullptr;
  CollectArguments(*command, !with_commands, before, false, so_far);

  // Is the word typed the value of the option before it, or after "--"?
  bool options_ended = false;
  const TOptionEntry* awaiting = nullptr;
  for (const std::string& arg : before) {
    if (awaiting) {
      awaiting = nullptr;
    } else if (!options_ended && arg == "--") {
      options_ended = true;
    } else if (!options_ended && LooksLikeOption(arg) && arg.find('=') == std::string::npos) {
      const TOptionEntry* option = FindOption(*command, arg, false);
      if (option && !option->value.empty()) awaiting = option;
    }
  }
  if (awaiting) return CompleteValue(awaiting->completion, "", typed, so_far);
  if (!options_ended && StartsWith(typed, "-")) {
    const size_t equals = typed.find('=');
    if (equals == std::string::npos) return OptionNames(*command, !with_commands, typed);
    const TOptionEntry* option = FindOption(*command, typed.substr(0, equals), false);
    if (!option || option->value.empty()) return {};
    return CompleteValue(option->completion, typed.substr(0, equals + 1), typed.substr(equals + 1),
                         so_far);
  }
  return CompleteValue(command->operand_completion, "", typed, so_far);
}

}  // namespace vistrel
