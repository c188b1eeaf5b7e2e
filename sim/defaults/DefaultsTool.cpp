#include "sim/defaults/DefaultsTool.h"

#include "platform/foundation/NSPropertyListSerialization.h"
#include "platform/foundation/NSUserDefaults.h"
#include "platform/foundation/OldStylePropertyListWriter.h"
#include "sim/devicefolder/DeviceFolder.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdlib>

namespace kavro::defaults {

using kavro::platform::foundation::OldStylePropertyListWriter;

namespace {

constexpr const char* kUsage =
    "usage: kavro-defaults [--device DIR] COMMAND\n"
    "  read DOMAIN [KEY]              print a domain, or one value, in the platform's text form\n"
    "  write DOMAIN KEY -bool|-int|-float|-string VALUE\n"
    "                                 store one value (-bool takes true/false/yes/no/1/0)\n"
    "  write DOMAIN KEY -array [VALUE...]\n"
    "                                 store an array of strings\n"
    "  write DOMAIN KEY -array-add [VALUE...]\n"
    "                                 append strings to an array, creating it if missing\n"
    "  delete DOMAIN [KEY]            remove one key, or the whole domain\n"
    "  export DOMAIN -                print the domain as an XML property list\n"
    "  domains                        list the domains that have a file, comma separated\n"
    "The device folder is DIR, else $KAVRO_DEVICE, else $XDG_DATA_HOME/kavroprefs/device\n"
    "(an absolute XDG_DATA_HOME, else $HOME/.local/share). Domains are files under\n"
    "DEVICE/var/jb/var/mobile/Library/Preferences.\n";

std::string lowercase(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return text;
}

std::optional<PlistValue> parseBoolean(const std::string& text) {
  const std::string word = lowercase(text);
  if (word == "true" || word == "yes" || word == "1") return PlistValue(true);
  if (word == "false" || word == "no" || word == "0") return PlistValue(false);
  return std::nullopt;
}

std::optional<PlistValue> parseInteger(const std::string& text) {
  long long value = 0;
  const char* end = text.data() + text.size();
  auto result = std::from_chars(text.data() + (text.starts_with('+') ? 1 : 0), end, value);
  if (text.empty() || result.ec != std::errc() || result.ptr != end) return std::nullopt;
  return PlistValue(value);
}

std::optional<PlistValue> parseReal(const std::string& text) {
  if (text.empty() || std::isspace(static_cast<unsigned char>(text.front()))) return std::nullopt;
  char* end = nullptr;
  double value = std::strtod(text.c_str(), &end);
  if (end != text.c_str() + text.size() || !std::isfinite(value)) return std::nullopt;
  return PlistValue(value);
}

PlistValue stringArray(std::span<const std::string> values) {
  PlistValue::Array array(values.begin(), values.end());
  return PlistValue(std::move(array));
}

}  // namespace

int DefaultsTool::badArguments(const std::string& problem) {
  err_ << "kavro-defaults: " << problem << "\n" << kUsage;
  return kBadArguments;
}

int DefaultsTool::failure(const std::string& problem) {
  err_ << "kavro-defaults: " << problem << "\n";
  return kFailure;
}

int DefaultsTool::run(const std::vector<std::string>& arguments) {
  std::size_t next = 0;
  for (; next < arguments.size(); ++next) {
    const std::string& argument = arguments[next];
    if (argument == "--device") {
      if (next + 1 >= arguments.size()) return badArguments("--device needs a folder");
      deviceOption_ = arguments[++next];
    } else if (argument.starts_with("--device=")) {
      deviceOption_ = argument.substr(9);
    } else if (argument == "-h" || argument == "--help") {
      out_ << kUsage;
      return kSuccess;
    } else if (argument.starts_with("-")) {
      return badArguments("unknown option " + argument);
    } else {
      break;
    }
  }
  if (next == arguments.size()) return badArguments("no command given");
  const std::string& verb = arguments[next];
  Arguments rest(arguments.data() + next + 1, arguments.size() - next - 1);
  if (verb == "read") return read(rest);
  if (verb == "write") return write(rest);
  if (verb == "delete") return remove(rest);
  if (verb == "export") return exportDomain(rest);
  if (verb == "domains") return domains(rest);
  return badArguments("unknown command \"" + verb + "\"");
}

bool DefaultsTool::checkDomainName(const std::string& domain, int& status) {
  std::string reason;
  if (kavro::platform::foundation::PreferenceDomainStore::isValidDomainName(domain, &reason)) return true;
  status = badArguments("\"" + domain + "\" is not a domain name: " + reason);
  return false;
}

bool DefaultsTool::openStore(int& status) {
  std::optional<std::filesystem::path> device;
  try {
    device = kavro::sim::chooseDeviceFolder(deviceOption_);
  } catch (const kavro::sim::DeviceFolderError& error) {
    status = failure(error.what());
    return false;
  }
  // The tool never makes a device: the simulator fills a new one with its sample
  // applications only when the folder does not exist yet.
  std::error_code ignored;
  if (!std::filesystem::is_directory(*device, ignored)) {
    status = failure("the device folder " + device->string() +
                     " does not exist; run kavro-sim once to create it, or choose another "
                     "with --device");
    return false;
  }
  std::string preferences = NSUserDefaults::kPreferencesDirectory;
  store_ = std::make_unique<kavro::platform::foundation::PreferenceDomainStore>(*device /
                                                                      preferences.substr(1));
  return true;
}

int DefaultsTool::read(Arguments arguments) {
  if (arguments.empty() || arguments.size() > 2) return badArguments("read takes DOMAIN [KEY]");
  int status = kSuccess;
  const std::string& domain = arguments[0];
  if (!checkDomainName(domain, status) || !openStore(status)) return status;
  if (arguments.size() == 1) {
    if (!store_->domainExists(domain)) return failure("Domain " + domain + " does not exist");
    PlistValue values(store_->values(domain));
    if (!store_->lastError().empty()) return kFailure;  // the store has said why
    out_ << OldStylePropertyListWriter::description(values) << "\n";
    return kSuccess;
  }
  const std::string& key = arguments[1];
  PlistValue value = store_->value(key, domain);
  if (!store_->lastError().empty()) return kFailure;
  if (value.isNil())
    return failure("The domain/default pair of (" + domain + ", " + key + ") does not exist");
  // As the platform's tool does, a string value alone is printed as it is.
  if (const std::string* text = value.asString())
    out_ << *text << "\n";
  else
    out_ << OldStylePropertyListWriter::description(value) << "\n";
  return kSuccess;
}

int DefaultsTool::write(Arguments arguments) {
  if (arguments.size() < 3) return badArguments("write takes DOMAIN KEY [-TYPE] VALUE");
  int status = kSuccess;
  const std::string& domain = arguments[0];
  const std::string& key = arguments[1];
  const std::string& type = arguments[2];
  Arguments values = arguments.subspan(3);
  if (!checkDomainName(domain, status)) return status;

  std::optional<PlistValue> value;
  if (type == "-array") {
    value = stringArray(values);
  } else if (type == "-array-add") {
    if (!openStore(status)) return status;
    return arrayAdd(domain, key, values);
  } else if (!type.starts_with("-")) {
    // An untyped value is a string.
    if (!values.empty()) return badArguments("write DOMAIN KEY VALUE takes one value; use -array for several");
    value = PlistValue(type);
  } else {
    if (values.size() != 1) return badArguments("write " + type + " takes exactly one value");
    const std::string& text = values[0];
    if (type == "-bool" || type == "-boolean") {
      value = parseBoolean(text);
      if (!value) return badArguments("-bool takes true, false, yes, no, 1 or 0, not \"" + text + "\"");
    } else if (type == "-int" || type == "-integer") {
      value = parseInteger(text);
      if (!value) return badArguments("-int takes a whole number of 64 bits, not \"" + text + "\"");
    } else if (type == "-float") {
      value = parseReal(text);
      if (!value) return badArguments("-float takes a finite number, not \"" + text + "\"");
    } else if (type == "-string") {
      value = PlistValue(text);
    } else {
      return badArguments("unknown value type " + type);
    }
  }
  if (!openStore(status)) return status;
  return store_->setValue(key, *value, domain) ? kSuccess : kFailure;
}

int DefaultsTool::arrayAdd(const std::string& domain, const std::string& key, Arguments values) {
  bool refused = false;
  bool ok = store_->update(domain, [&](PlistValue::Dictionary& stored, std::string& error) {
    PlistValue& current = stored[key];
    if (current.isNil()) current = PlistValue(PlistValue::Array());
    PlistValue::Array* array = current.asArray();
    if (!array) {
      refused = true;
      error = "the value of " + key + " in " + domain + " is " +
              PlistValue::typeName(current.type()) + ", not an array; nothing was written";
      return false;
    }
    array->insert(array->end(), values.begin(), values.end());
    return true;
  });
  if (!ok && refused) return failure(store_->lastError());
  return ok ? kSuccess : kFailure;
}

int DefaultsTool::remove(Arguments arguments) {
  if (arguments.empty() || arguments.size() > 2) return badArguments("delete takes DOMAIN [KEY]");
  int status = kSuccess;
  const std::string& domain = arguments[0];
  if (!checkDomainName(domain, status) || !openStore(status)) return status;
  if (arguments.size() == 1) {
    if (!store_->domainExists(domain)) return failure("Domain (" + domain + ") not found.");
    return store_->removeDomain(domain) ? kSuccess : kFailure;
  }
  const std::string& key = arguments[1];
  bool refused = false;
  bool ok = store_->update(domain, [&](PlistValue::Dictionary& stored, std::string& error) {
    if (stored.erase(key) == 1) return true;
    refused = true;
    error = "The domain/default pair of (" + domain + ", " + key + ") does not exist";
    return false;
  });
  if (!ok && refused) return failure(store_->lastError());
  return ok ? kSuccess : kFailure;
}

int DefaultsTool::exportDomain(Arguments arguments) {
  if (arguments.size() != 2) return badArguments("export takes DOMAIN -");
  if (arguments[1] != "-") return badArguments("export writes to standard output only: give - as the target");
  int status = kSuccess;
  const std::string& domain = arguments[0];
  if (!checkDomainName(domain, status) || !openStore(status)) return status;
  PlistValue values(store_->values(domain));
  if (!store_->lastError().empty()) return kFailure;
  std::string error;
  auto xml = NSPropertyListSerialization::dataWithPropertyList(values, NSPropertyListFormat::xml, &error);
  if (!xml) return failure(error);
  out_.write(reinterpret_cast<const char*>(xml->data()), static_cast<std::streamsize>(xml->size()));
  return kSuccess;
}

int DefaultsTool::domains(Arguments arguments) {
  if (!arguments.empty()) return badArguments("domains takes no arguments");
  int status = kSuccess;
  if (!openStore(status)) return status;
  std::vector<std::string> names = store_->domainNames();
  std::string line;
  for (const std::string& name : names) line += (line.empty() ? "" : ", ") + name;
  if (!line.empty()) out_ << line << "\n";
  return kSuccess;
}

}  // namespace kavro::defaults
