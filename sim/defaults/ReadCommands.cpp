#include "sim/defaults/ReadCommands.h"

#include "platform/foundation/OldStylePropertyListWriter.h"

namespace kavro::defaults {

using kavro::platform::foundation::OldStylePropertyListWriter;

namespace {

std::string missingPair(const std::string& domain, const std::string& key) {
  return "The domain/default pair of (" + domain + ", " + key + ") does not exist";
}

}  // namespace

int ReadCommands::read(CommandContext& context, Arguments arguments) {
  if (arguments.empty() || arguments.size() > 2) return context.badArguments("read takes DOMAIN [KEY]");
  int status = CommandContext::kSuccess;
  const std::string& domain = arguments[0];
  auto* store = context.storeForDomain(domain, status);
  if (!store) return status;
  if (arguments.size() == 1) {
    if (!store->domainExists(domain)) return context.failure("Domain " + domain + " does not exist");
    PlistValue values(store->values(domain));
    if (!store->lastError().empty()) return CommandContext::kFailure;  // the store has said why
    context.out() << OldStylePropertyListWriter::description(values) << "\n";
    return CommandContext::kSuccess;
  }
  const std::string& key = arguments[1];
  PlistValue value = store->value(key, domain);
  if (!store->lastError().empty()) return CommandContext::kFailure;
  if (value.isNil()) return context.failure(missingPair(domain, key));
  // As the platform's tool does, a string value alone is printed as it is.
  if (const std::string* text = value.asString())
    context.out() << *text << "\n";
  else
    context.out() << OldStylePropertyListWriter::description(value) << "\n";
  return CommandContext::kSuccess;
}

const char* ReadCommands::typeWord(const PlistValue& value) {
  switch (value.type()) {
    case PlistValue::Type::nil: return "nil";
    case PlistValue::Type::boolean: return "boolean";
    case PlistValue::Type::integer: return "integer";
    case PlistValue::Type::real: return "float";
    case PlistValue::Type::string: return "string";
    case PlistValue::Type::data: return "data";
    case PlistValue::Type::date: return "date";
    case PlistValue::Type::array: return "array";
    case PlistValue::Type::dictionary: return "dictionary";
  }
  return "unknown";
}

int ReadCommands::readType(CommandContext& context, Arguments arguments) {
  if (arguments.size() != 2) return context.badArguments("read-type takes DOMAIN KEY");
  int status = CommandContext::kSuccess;
  const std::string& domain = arguments[0];
  const std::string& key = arguments[1];
  auto* store = context.storeForDomain(domain, status);
  if (!store) return status;
  PlistValue value = store->value(key, domain);
  if (!store->lastError().empty()) return CommandContext::kFailure;
  if (value.isNil()) return context.failure(missingPair(domain, key));
  context.out() << "Type is " << typeWord(value) << "\n";
  return CommandContext::kSuccess;
}

int ReadCommands::domains(CommandContext& context, Arguments arguments) {
  if (!arguments.empty()) return context.badArguments("domains takes no arguments");
  int status = CommandContext::kSuccess;
  auto* store = context.store(status);
  if (!store) return status;
  std::string line;
  for (const std::string& name : store->domainNames()) line += (line.empty() ? "" : ", ") + name;
  if (!line.empty()) context.out() << line << "\n";
  return CommandContext::kSuccess;
}

}  // namespace kavro::defaults
