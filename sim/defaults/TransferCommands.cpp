#include "sim/defaults/TransferCommands.h"

#include "platform/foundation/NSPropertyListSerialization.h"
#include "sim/defaults/AtomicFileWriter.h"

namespace kavro::defaults {

std::optional<std::vector<std::uint8_t>> TransferCommands::readStandardInput(CommandContext& context) {
  constexpr std::size_t kLimit = NSPropertyListSerialization::kMaximumFileSize;
  std::vector<std::uint8_t> bytes;
  char chunk[1 << 16];
  while (context.in().read(chunk, sizeof chunk) || context.in().gcount() > 0) {
    bytes.insert(bytes.end(), chunk, chunk + context.in().gcount());
    if (bytes.size() > kLimit) {
      context.failure("standard input holds more than " + std::to_string(kLimit >> 20) +
                      " MiB; nothing was written");
      return std::nullopt;
    }
  }
  if (context.in().bad()) {
    context.failure("cannot read standard input; nothing was written");
    return std::nullopt;
  }
  return bytes;
}

std::optional<PlistValue> TransferCommands::readSource(CommandContext& context, const std::string& source) {
  std::string error;
  std::optional<PlistValue> value;
  if (source == "-") {
    auto bytes = readStandardInput(context);
    if (!bytes) return std::nullopt;
    value = NSPropertyListSerialization::propertyListWithData(*bytes, &error);
    if (!value) error = "standard input: " + error;
  } else {
    value = NSPropertyListSerialization::propertyListWithContentsOfFile(source, &error);
  }
  if (!value) context.failure(error + "; nothing was written");
  return value;
}

int TransferCommands::importDomain(CommandContext& context, Arguments arguments) {
  if (arguments.size() != 2) return context.badArguments("import takes DOMAIN PATH, or DOMAIN - for standard input");
  int status = CommandContext::kSuccess;
  const std::string& domain = arguments[0];
  auto* store = context.storeForDomain(domain, status);
  if (!store) return status;
  std::optional<PlistValue> values = readSource(context, arguments[1]);
  if (!values) return CommandContext::kFailure;
  if (!values->isDictionary())
    return context.failure("the property list in " + (arguments[1] == "-" ? "standard input" : arguments[1]) +
                           " is " + PlistValue::typeName(values->type()) +
                           ", not a dictionary; nothing was written");
  return context.storeResult(store->replaceDomain(*values->asDictionary(), domain), false);
}

int TransferCommands::exportDomain(CommandContext& context, Arguments arguments) {
  if (arguments.size() != 2) return context.badArguments("export takes DOMAIN PATH, or DOMAIN - for standard output");
  int status = CommandContext::kSuccess;
  const std::string& domain = arguments[0];
  const std::string& target = arguments[1];
  auto* store = context.storeForDomain(domain, status);
  if (!store) return status;
  PlistValue values(store->values(domain));
  if (!store->lastError().empty()) return CommandContext::kFailure;
  std::string error;
  auto xml = NSPropertyListSerialization::dataWithPropertyList(values, NSPropertyListFormat::xml, &error);
  if (!xml) return context.failure(error);
  if (target == "-") {
    context.out().write(reinterpret_cast<const char*>(xml->data()), static_cast<std::streamsize>(xml->size()));
    return CommandContext::kSuccess;
  }
  if (!AtomicFileWriter::write(target, *xml, error)) return context.failure(error);
  return CommandContext::kSuccess;
}

}  // namespace kavro::defaults
