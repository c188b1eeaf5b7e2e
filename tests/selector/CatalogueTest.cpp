// The picker's catalogue: hidden and excluded applications left out, names sorted by
// the plain string comparison (upper case before lower case, digits before letters,
// canonically equivalent forms equal), built once per picker.

#include "tests/selector/PickerTestSupport.h"

#include "platform/mobilecoreservices/LSApplicationProxy.h"
#include "store/Preferences.h"

namespace kavro::test {
namespace {

class CatalogueTest : public PickerTest {};

TEST_F(CatalogueTest, LeavesOutHiddenAndExcludedApplicationsAndSortsByName) {
  install({{"com.example.zoo", "Zoo"},
           {"com.example.apple", "apple"},
           {"com.example.one", "1Password"},
           {"com.example.hidden", "Hidden", {"SBInternalAppTag", "hidden"}},
           {"com.example.tagged", "Tagged", {"other"}},
           {"com.apple.sidecar", "Sidecar"},
           {"com.apple.appleseed.FeedbackAssistant", "Feedback"},
           {"com.apple.PosterBoard", "PosterBoard"},
           {"com.apple.webapp", "Web"},
           {"com.apple.dt.XcodePreviews", "Previews"},
           {"com.apple.Sidecar", "Sidecar Beta"},
           {"com.example.accent", "\xC3\x89toile"},          // "Étoile", precomposed
           {"com.example.decomposed", "E\xCC\x81toilf"},     // "Étoilf", E + combining acute
           {"com.example.cyrillic", "\xD0\xAF\xD0\xBD\xD0\xB4\xD0\xB5\xD0\xBA\xD1\x81"},
           {"com.example.zed", "Zed"},
           {"com.example.noname", std::nullopt}});
  openPicker("blacklist");
  std::vector<std::string> names;
  for (auto& application : picker->applications()) names.push_back(application->localizedName());
  // An accented letter sorts as its decomposition, with the letter it carries.
  EXPECT_EQ(names, (std::vector<std::string>{"", "1Password", "\xC3\x89toile", "E\xCC\x81toilf", "Sidecar Beta",
                                             "Tagged", "Zed", "Zoo", "apple",
                                             "\xD0\xAF\xD0\xBD\xD0\xB4\xD0\xB5\xD0\xBA\xD1\x81"}));
  EXPECT_EQ(rowTexts(1).size(), names.size());
}

TEST_F(CatalogueTest, IsBuiltOncePerPickerAndHiddenListedApplicationsStillShowAsCurrent) {
  install({{"com.example.a", "Alpha"}, {"com.example.h", "Hidden", {"hidden"}}});
  storeList("blacklist", {"com.example.h", "com.example.unknown"});
  openPicker("blacklist");
  EXPECT_EQ(rowTexts(1), (std::vector<std::string>{"Alpha"}));
  // Current rows resolve stored identifiers themselves: hidden and unknown ones too.
  EXPECT_EQ(rowTexts(0), (std::vector<std::string>{"Hidden", ""}));

  install({{"com.example.b", "Beta"}});  // overwrites App0: Alpha becomes Beta
  picker->tableView()->reloadData();
  EXPECT_EQ(rowTexts(1), (std::vector<std::string>{"Alpha"}));
  closePicker();
  openPicker("blacklist");
  EXPECT_EQ(rowTexts(1), (std::vector<std::string>{"Beta"}));
}

}  // namespace
}  // namespace kavro::test
