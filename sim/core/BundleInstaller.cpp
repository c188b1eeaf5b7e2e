#include "sim/core/BundleInstaller.h"

#include "platform/foundation/NSPropertyListSerialization.h"
#include "sim/core/SampleDevice.h"

#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <fstream>
#include <iterator>
#include <map>
#include <optional>
#include <regex>
#include <set>

namespace kavro::sim {

namespace fs = std::filesystem;

namespace {

constexpr const char* kBundlesFolder = "var/jb/Library/PreferenceBundles";
constexpr const char* kEntriesFolder = "var/jb/Library/PreferenceLoader/Preferences";
constexpr const char* kEntryFileInside = "entry.plist";
constexpr const char* kRootList = "Root.plist";
constexpr const char* kIconFile = "icon.png";

[[noreturn]] void notABundle(const fs::path& folder, const std::string& what) {
  throw BundleInstallError(folder.string() + " is not a preference bundle: " + what);
}

std::optional<std::string> readFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (in.bad()) return std::nullopt;
  return bytes;
}

// A property list that must be a dictionary; what is wrong with it otherwise.
PlistValue readDictionary(const fs::path& folder, const fs::path& file, const std::string& what) {
  std::string error;
  auto plist = NSPropertyListSerialization::propertyListWithContentsOfFile(file, &error);
  if (!plist) notABundle(folder, what + " " + file.string() + " cannot be read (" + error + ")");
  if (!plist->isDictionary()) notABundle(folder, what + " " + file.string() + " is not a dictionary");
  return *plist;
}

// Writes `bytes` to `target` through a temporary file and a rename, unless the
// target already holds exactly them.
void installFile(const fs::path& target, const std::string& bytes) {
  if (readFile(target) == bytes) return;
  fs::create_directories(target.parent_path());
  fs::path temporary = target.parent_path() / ("." + target.filename().string() + ".tmp-" + std::to_string(::getpid()));
  {
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.flush();
    if (!out) {
      std::error_code ignored;
      fs::remove(temporary, ignored);
      throw std::runtime_error("cannot write " + temporary.string());
    }
  }
  std::error_code error;
  fs::rename(temporary, target, error);
  if (error) {
    std::error_code ignored;
    fs::remove(temporary, ignored);
    throw std::runtime_error("cannot replace " + target.string() + ": " + error.message());
  }
}

// Mirrors the folder's regular files into `target`: new and changed files are
// replaced, files the folder no longer has are removed.
void copyBundleFiles(const fs::path& source, const fs::path& target) {
  std::set<fs::path> kept;
  std::error_code error;
  for (auto it = fs::recursive_directory_iterator(source, error); !error && it != fs::recursive_directory_iterator();
       it.increment(error)) {
    if (isEditorLeftover(it->path())) {
      if (it->is_directory(error)) it.disable_recursion_pending();
      continue;
    }
    if (!it->is_regular_file(error)) continue;
    fs::path relative = it->path().lexically_relative(source);
    auto bytes = readFile(it->path());
    if (!bytes) notABundle(source, "its file " + it->path().string() + " cannot be read");
    installFile(target / relative, *bytes);
    kept.insert(relative);
  }
  if (error) throw BundleInstallError("cannot read the bundle folder " + source.string() + ": " + error.message());
  std::vector<fs::path> stale;
  for (auto it = fs::recursive_directory_iterator(target, error); !error && it != fs::recursive_directory_iterator();
       it.increment(error))
    if (!it->is_directory(error) && !kept.count(it->path().lexically_relative(target))) stale.push_back(it->path());
  for (const fs::path& file : stale) fs::remove(file, error);
}

// The entry made for a bundle that ships none.
PlistValue madeEntry(const fs::path& folder, const std::string& name, const PlistValue& info) {
  std::string label = info["CFBundleDisplayName"].stringOr("");
  if (label.empty()) label = info["CFBundleName"].stringOr("");
  if (label.empty()) label = name;
  PlistValue::Dictionary entry{{"bundle", name}, {"cell", "PSLinkCell"}, {"isController", true}, {"label", label}};
  std::error_code error;
  if (fs::is_regular_file(folder / kIconFile, error)) entry["icon"] = kIconFile;
  return PlistValue::Dictionary{{"entry", entry}};
}

// The entry a folder installs with, and the file it came from (empty when made).
std::pair<PlistValue, fs::path> findEntry(const fs::path& folder, const std::string& name, const PlistValue& info) {
  std::error_code error;
  for (const fs::path& file : {folder / kEntryFileInside, folder.parent_path() / (name + ".plist")}) {
    if (!fs::exists(file, error)) continue;
    PlistValue entry = readDictionary(folder, file, "its entry");
    if (!entry["entry"].isDictionary()) notABundle(folder, "its entry " + file.string() + " has no \"entry\" dictionary");
    return {entry, file};
  }
  return {madeEntry(folder, name, info), fs::path()};
}

// The entry as installed: it names its bundle, and has a label.
std::string entryBytes(PlistValue entry, const std::string& name) {
  PlistValue::Dictionary* members = (*entry.asDictionary())["entry"].asDictionary();
  if (!(*members)["bundle"].isString()) (*members)["bundle"] = name;
  if ((*members)["label"].stringOr("").empty()) (*members)["label"] = name;
  auto bytes = NSPropertyListSerialization::dataWithPropertyList(entry, NSPropertyListFormat::xml);
  if (!bytes) throw std::runtime_error("cannot write the entry of " + name);
  return std::string(bytes->begin(), bytes->end());
}

}  // namespace

bool isEditorLeftover(const fs::path& file) {
  std::string name = file.filename().string();
  return name.empty() || name[0] == '.' || name[0] == '#' || name.back() == '~';
}

std::string installedBundlePath(const std::string& name) { return "/" + std::string(kBundlesFolder) + "/" + name + ".bundle"; }

std::string bundleNameOf(const fs::path& bundleFolder) {
  fs::path folder = bundleFolder.lexically_normal();
  if (!folder.has_filename()) folder = folder.parent_path();
  std::string name = folder.filename().string();
  if (name.size() > 7 && name.ends_with(".bundle")) name.resize(name.size() - 7);
  return name;
}

namespace {

// A folder checked to be a bundle, with the entry it installs with.
struct CheckedBundle {
  InstalledBundle bundle;
  PlistValue entry;
};

CheckedBundle checkBundle(const fs::path& bundleFolder) {
  fs::path folder = bundleFolder.lexically_normal();
  if (!folder.has_filename()) folder = folder.parent_path();
  std::error_code error;
  if (!fs::is_directory(folder, error)) notABundle(folder, "no such folder");
  std::string name = bundleNameOf(folder);
  if (name.empty() || name == "." || name == "..") notABundle(folder, "its folder has no name to install it under");
  if (!fs::exists(folder / "Info.plist", error)) notABundle(folder, "it has no Info.plist");
  PlistValue info = readDictionary(folder, folder / "Info.plist", "its");
  auto [entry, entrySource] = findEntry(folder, name, info);
  bool entryOnly = entry["items"].isArray();
  if (!entryOnly) {
    if (!fs::exists(folder / kRootList, error))
      notABundle(folder, "it has no specifier list Root.plist (and its entry carries no \"items\")");
    readDictionary(folder, folder / kRootList, "its specifier list");
  }
  return {{name, folder, entrySource, entryOnly}, entry};
}

}  // namespace

InstalledBundle checkPreferenceBundle(const fs::path& bundleFolder) { return checkBundle(bundleFolder).bundle; }

InstalledBundle installPreferenceBundle(const fs::path& deviceFolder, const fs::path& bundleFolder) {
  CheckedBundle checked = checkBundle(bundleFolder);
  const std::string& name = checked.bundle.name;
  copyBundleFiles(checked.bundle.source, deviceFolder / kBundlesFolder / (name + ".bundle"));
  installFile(deviceFolder / kEntriesFolder / (name + ".plist"), entryBytes(checked.entry, name));
  return checked.bundle;
}

namespace {

std::optional<PlistValue> readQuietly(const fs::path& file) {
  return NSPropertyListSerialization::propertyListWithContentsOfFile(file);
}

// The "defaults" of the items of a specifier list.
void addDomains(const PlistValue& list, std::set<std::string>& domains) {
  const PlistValue::Array* items = list["items"].asArray();
  if (!items) return;
  for (const PlistValue& item : *items)
    if (std::string domain = item["defaults"].stringOr(""); !domain.empty()) domains.insert(domain);
}

std::set<std::string> domainsOfBundle(const fs::path& bundle) {
  std::set<std::string> domains;
  std::error_code error;
  for (auto it = fs::directory_iterator(bundle, error); !error && it != fs::directory_iterator(); it.increment(error))
    if (it->path().extension() == ".plist" && it->path().filename() != "Info.plist")
      if (auto list = readQuietly(it->path())) addDomains(*list, domains);
  return domains;
}

std::string lowercase(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

}  // namespace

std::vector<InstalledBundleSummary> installedBundleSummaries(const fs::path& deviceFolder) {
  std::vector<InstalledBundleSummary> bundles;
  std::error_code error;
  const fs::path entries = deviceFolder / kEntriesFolder;
  for (auto it = fs::directory_iterator(entries, error); !error && it != fs::directory_iterator(); it.increment(error)) {
    if (it->path().extension() != ".plist" || it->path().stem().empty()) continue;
    auto entry = readQuietly(it->path());
    if (!entry) continue;
    const PlistValue& members = (*entry)["entry"];
    InstalledBundleSummary summary{members["bundle"].stringOr(it->path().stem().string()), members["label"].stringOr(""), {}};
    if (summary.label.empty()) continue;
    std::set<std::string> domains = domainsOfBundle(deviceFolder / kBundlesFolder / (summary.name + ".bundle"));
    addDomains(*entry, domains);
    summary.domains.assign(domains.begin(), domains.end());
    bundles.push_back(std::move(summary));
  }
  std::sort(bundles.begin(), bundles.end(), [](const auto& a, const auto& b) {
    std::string left = lowercase(a.label), right = lowercase(b.label);
    return left != right ? left < right : a.name < b.name;
  });
  return bundles;
}

namespace {

// The regular files under a folder (editor leftovers aside), by their paths
// relative to it, with their bytes; empty when it does not exist.
std::map<std::string, std::string> filesUnder(const fs::path& root) {
  std::map<std::string, std::string> files;
  std::error_code error;
  for (auto it = fs::recursive_directory_iterator(root, error); !error && it != fs::recursive_directory_iterator();
       it.increment(error)) {
    if (isEditorLeftover(it->path())) {
      if (it->is_directory(error)) it.disable_recursion_pending();
      continue;
    }
    if (!it->is_regular_file(error)) continue;
    if (auto bytes = readFile(it->path())) files[it->path().lexically_relative(root).generic_string()] = *bytes;
  }
  return files;
}

// What a bundle has on the device: the files of its folder, and its entry under
// the key "" (no file of a folder has an empty path).
std::map<std::string, std::string> installedFiles(const fs::path& deviceFolder, const std::string& name) {
  auto files = filesUnder(deviceFolder / kBundlesFolder / (name + ".bundle"));
  if (auto entry = readFile(deviceFolder / kEntriesFolder / (name + ".plist"))) files[""] = *entry;
  return files;
}

bool isReadAsPropertyList(const fs::path& file) {
  return file.extension() == ".plist" || file.extension() == ".strings";
}

// The line a reader's message names ("… line 12: …"), or 0.
int lineInMessage(const std::string& message) {
  static const std::regex kLine("line ([0-9]{1,9})");
  std::smatch match;
  return std::regex_search(message, match, kLine) ? std::stoi(match[1]) : 0;
}

// The first property list or strings table of the source folder that differs from
// what is installed and cannot be read. The entry beside a bundle's folder is
// checked too; Kavro's resources are checked whole.
std::optional<ReinstallProblem> firstUnreadableFile(const BundleSource& source,
                                                    const std::map<std::string, std::string>& installed) {
  std::vector<std::pair<std::string, fs::path>> candidates;
  for (auto& [relative, bytes] : filesUnder(source.folder)) {
    if (!isReadAsPropertyList(relative)) continue;
    auto found = installed.find(relative);
    if (!source.builtIn && found != installed.end() && found->second == bytes) continue;
    candidates.emplace_back(relative, source.folder / relative);
  }
  if (!source.builtIn) {
    fs::path beside = source.folder.parent_path() / (source.name + ".plist");
    std::error_code error;
    if (fs::exists(beside, error)) candidates.emplace_back("../" + beside.filename().string(), beside);
  }
  for (auto& [relative, file] : candidates) {
    std::string error;
    if (!NSPropertyListSerialization::propertyListWithContentsOfFile(file, &error))
      return ReinstallProblem{relative, lineInMessage(error), error};
  }
  return std::nullopt;
}

// The source files that account for what changed between two installed states.
std::vector<std::string> changedSourceFiles(const std::map<std::string, std::string>& before,
                                            const std::map<std::string, std::string>& after,
                                            const BundleSource& source) {
  std::set<std::string> changed;
  auto note = [&](const std::string& path) {
    if (!path.empty()) return void(changed.insert(path));
    // The entry: the file it came from.
    std::error_code error;
    if (source.builtIn)
      changed.insert(std::string(kKavroBundleName) + ".plist");
    else if (fs::exists(source.folder / kEntryFileInside, error))
      changed.insert(kEntryFileInside);
    else if (fs::exists(source.folder.parent_path() / (source.name + ".plist"), error))
      changed.insert("../" + source.name + ".plist");
    else
      changed.insert("Info.plist");
  };
  for (auto& [path, bytes] : after)
    if (auto found = before.find(path); found == before.end() || found->second != bytes) note(path);
  for (auto& [path, bytes] : before)
    if (!after.count(path)) note(path);
  return {changed.begin(), changed.end()};
}

}  // namespace

Reinstall reinstallBundle(const fs::path& deviceFolder, const BundleSource& source) {
  auto before = installedFiles(deviceFolder, source.name);
  if (auto problem = firstUnreadableFile(source, before)) return {{}, std::move(problem)};
  try {
    if (source.builtIn)
      installKavroBundle(deviceFolder, source.folder);
    else
      installPreferenceBundle(deviceFolder, source.folder);
  } catch (const BundleInstallError& error) {
    return {{}, ReinstallProblem{"", lineInMessage(error.what()), error.what()}};
  } catch (const std::runtime_error& error) {
    // Kavro's resources lack a file (removed while it runs): the device keeps what it has.
    if (!source.builtIn) throw;
    return {{}, ReinstallProblem{"", 0, error.what()}};
  }
  return {changedSourceFiles(before, installedFiles(deviceFolder, source.name), source), std::nullopt};
}

}  // namespace kavro::sim
