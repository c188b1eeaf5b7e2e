#include "sim/defaults/WriteCommands.h"

#include "sim/defaults/PropertyListArgument.h"

namespace kavro::defaults {

namespace {

using Dictionary = PlistValue::Dictionary;
using Kind = ValueRequest::Kind;

std::string notA(const std::string& what, const std::string& domain, const std::string& key,
                  const PlistValue& current) {
  return "the value of " + key + " in " + domain + " is " + PlistValue::typeName(current.type()) +
         ", not " + what + "; nothing was written";
}

// Appends the request's elements to the array under `key`, or merges its keys
// into the dictionary there; a missing value starts empty.
bool addTo(Dictionary& stored, const std::string& domain, const std::string& key, const ValueRequest& request,
           std::string& error) {
  PlistValue& current = stored[key];
  const bool toArray = request.kind == Kind::arrayAdd;
  if (current.isNil()) current = toArray ? PlistValue(PlistValue::Array()) : PlistValue(Dictionary());
  if (toArray) {
    PlistValue::Array* array = current.asArray();
    if (!array) {
      error = notA("an array", domain, key, current);
      return false;
    }
    const PlistValue::Array& added = *request.value.asArray();
    array->insert(array->end(), added.begin(), added.end());
    return true;
  }
  Dictionary* dictionary = current.asDictionary();
  if (!dictionary) {
    error = notA("a dictionary", domain, key, current);
    return false;
  }
  for (const auto& [name, value] : *request.value.asDictionary()) dictionary->insert_or_assign(name, value);
  return true;
}

}  // namespace

int WriteCommands::write(CommandContext& context, Arguments arguments) {
  if (arguments.size() < 2)
    return context.badArguments("write takes DOMAIN KEY [-TYPE] VALUE, or DOMAIN PLIST");
  int status = CommandContext::kSuccess;
  const std::string& domain = arguments[0];
  if (!context.checkDomainName(domain, status)) return status;
  if (arguments.size() == 2) return replaceDomain(context, domain, arguments[1]);
  std::string problem;
  std::optional<ValueRequest> request = ValueArguments::parse(arguments.subspan(2), problem);
  if (!request) return context.badArguments(problem);
  return store(context, domain, arguments[1], *request);
}

int WriteCommands::replaceDomain(CommandContext& context, const std::string& domain, const std::string& text) {
  std::string error;
  std::optional<PlistValue> values = PropertyListArgument::parse(text, &error);
  if (!values) return context.badArguments("write DOMAIN PLIST: " + error + "; nothing was written");
  if (!values->isDictionary())
    return context.badArguments("write DOMAIN PLIST takes a dictionary, not " +
                                std::string(PlistValue::typeName(values->type())) +
                                " (a value goes after a key: write DOMAIN KEY VALUE); nothing was written");
  int status = CommandContext::kSuccess;
  auto* store = context.store(status);
  if (!store) return status;
  return context.storeResult(store->replaceDomain(*values->asDictionary(), domain), false);
}

int WriteCommands::store(CommandContext& context, const std::string& domain, const std::string& key,
                         const ValueRequest& request) {
  int status = CommandContext::kSuccess;
  auto* store = context.store(status);
  if (!store) return status;
  if (request.kind == Kind::set) return context.storeResult(store->setValue(key, request.value, domain), false);
  bool refused = false;
  const bool ok = store->update(domain, [&](Dictionary& stored, std::string& error) {
    refused = !addTo(stored, domain, key, request, error);
    return !refused;
  });
  return context.storeResult(ok, refused);
}

int WriteCommands::rename(CommandContext& context, Arguments arguments) {
  if (arguments.size() != 3) return context.badArguments("rename takes DOMAIN OLD NEW");
  int status = CommandContext::kSuccess;
  const std::string& domain = arguments[0];
  const std::string& from = arguments[1];
  const std::string& to = arguments[2];
  auto* store = context.storeForDomain(domain, status);
  if (!store) return status;
  bool refused = false;
  const bool ok = store->update(domain, [&](Dictionary& stored, std::string& error) {
    auto found = stored.find(from);
    if (found == stored.end()) {
      refused = true;
      error = "Key " + from + " does not exist in domain " + domain + "; nothing was written";
      return false;
    }
    PlistValue value = std::move(found->second);
    stored.erase(found);
    stored.insert_or_assign(to, std::move(value));
    return true;
  });
  return context.storeResult(ok, refused);
}

int WriteCommands::remove(CommandContext& context, Arguments arguments) {
  if (arguments.empty() || arguments.size() > 2) return context.badArguments("delete takes DOMAIN [KEY]");
  int status = CommandContext::kSuccess;
  const std::string& domain = arguments[0];
  auto* store = context.storeForDomain(domain, status);
  if (!store) return status;
  if (arguments.size() == 1) {
    if (!store->domainExists(domain)) return context.failure("Domain (" + domain + ") not found.");
    return context.storeResult(store->removeDomain(domain), false);
  }
  const std::string& key = arguments[1];
  bool refused = false;
  const bool ok = store->update(domain, [&](Dictionary& stored, std::string& error) {
    if (stored.erase(key) == 1) return true;
    refused = true;
    error = "The domain/default pair of (" + domain + ", " + key + ") does not exist";
    return false;
  });
  return context.storeResult(ok, refused);
}

}  // namespace kavro::defaults
