#include "sim/defaults/DefaultsTool.h"

#include "sim/defaults/FindCommand.h"
#include "sim/defaults/ReadCommands.h"
#include "sim/defaults/TransferCommands.h"
#include "sim/defaults/UsageText.h"
#include "sim/defaults/WriteCommands.h"

#include <array>
#include <optional>
#include <string_view>

namespace kavro::defaults {

namespace {

struct Command {
  std::string_view name;
  int (*handler)(CommandContext&, Arguments);
};

int help(CommandContext& context, Arguments arguments) {
  if (!arguments.empty()) return context.badArguments("help takes no arguments");
  context.out() << UsageText::usage();
  return CommandContext::kSuccess;
}

constexpr std::array<Command, 10> kCommands = {{
    {"read", &ReadCommands::read},
    {"read-type", &ReadCommands::readType},
    {"write", &WriteCommands::write},
    {"rename", &WriteCommands::rename},
    {"delete", &WriteCommands::remove},
    {"import", &TransferCommands::importDomain},
    {"export", &TransferCommands::exportDomain},
    {"domains", &ReadCommands::domains},
    {"find", &FindCommand::find},
    {"help", &help},
}};

}  // namespace

int DefaultsTool::run(const std::vector<std::string>& arguments) {
  std::optional<std::string> deviceOption;
  std::size_t next = 0;
  // Bad options are reported before any device is chosen.
  CommandContext optionContext(out_, err_, in_, std::nullopt);
  for (; next < arguments.size(); ++next) {
    const std::string& argument = arguments[next];
    if (argument == "--device") {
      if (next + 1 >= arguments.size()) return optionContext.badCommand("--device needs a folder");
      deviceOption = arguments[++next];
    } else if (argument.starts_with("--device=")) {
      deviceOption = argument.substr(9);
    } else if (argument == "-h" || argument == "--help") {
      out_ << UsageText::usage();
      return kSuccess;
    } else if (argument.starts_with("-")) {
      return optionContext.badCommand("unknown option " + argument);
    } else {
      break;
    }
  }
  if (next == arguments.size()) return optionContext.badCommand("no command given");
  const std::string& verb = arguments[next];
  const Arguments rest(arguments.data() + next + 1, arguments.size() - next - 1);
  CommandContext context(out_, err_, in_, std::move(deviceOption));
  for (const Command& command : kCommands)
    if (command.name == verb) return command.handler(context, rest);
  return context.badCommand("unknown command \"" + verb + "\"");
}

}  // namespace kavro::defaults
