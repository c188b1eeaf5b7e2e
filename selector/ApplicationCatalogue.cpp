#include "selector/ApplicationCatalogue.h"

#include "platform/foundation/NSString.h"
#include "platform/mobilecoreservices/LSApplicationProxy.h"

#include <algorithm>

namespace kavro::selector {

const std::vector<std::string>& excludedIdentifiers() {
  static const std::vector<std::string> identifiers = {
      "com.apple.sidecar", "com.apple.appleseed.FeedbackAssistant", "com.apple.PosterBoard", "com.apple.webapp",
      "com.apple.dt.XcodePreviews"};
  return identifiers;
}

namespace {

bool isHidden(const LSApplicationProxy& application) {
  auto record = application.correspondingApplicationRecord();
  if (!record) return false;
  auto tags = record->appTags();
  return tags && std::find(tags->begin(), tags->end(), "hidden") != tags->end();
}

bool isExcluded(const LSApplicationProxy& application) {
  const auto& excluded = excludedIdentifiers();
  return std::find(excluded.begin(), excluded.end(), application.applicationIdentifier()) != excluded.end();
}

}  // namespace

ApplicationList buildCatalogue(const ApplicationList& installed) {
  struct Entry {
    std::shared_ptr<LSApplicationProxy> application;
    std::u16string sortKey;
    bool named;
  };
  std::vector<Entry> entries;
  for (const auto& application : installed) {
    if (!application || isHidden(*application) || isExcluded(*application)) continue;
    entries.push_back({application, NSStringSortKey(application->localizedName()), application->hasLocalizedName()});
  }
  std::stable_sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) {
    if (a.named != b.named) return !a.named;
    return a.sortKey < b.sortKey;
  });
  ApplicationList catalogue;
  catalogue.reserve(entries.size());
  for (auto& entry : entries) catalogue.push_back(entry.application);
  return catalogue;
}

std::vector<NSStringSearchText> searchKeys(const ApplicationList& catalogue) {
  std::vector<NSStringSearchText> keys;
  keys.reserve(catalogue.size());
  for (const auto& application : catalogue)
    keys.push_back(application->hasLocalizedName() ? NSStringPrepareSearchText(NSStringLowercase(application->localizedName()))
                                                   : NSStringSearchText{});
  return keys;
}

ApplicationList searchCatalogue(const ApplicationList& catalogue, const std::vector<NSStringSearchText>& keys,
                                const std::string& query) {
  ApplicationList result;
  const std::u16string needle = NSStringSortKey(NSStringLowercase(query));
  if (needle.empty()) return result;
  for (std::size_t i = 0; i < catalogue.size() && i < keys.size(); ++i)
    if (NSStringSearchTextContains(keys[i], needle)) result.push_back(catalogue[i]);
  return result;
}

}  // namespace kavro::selector
