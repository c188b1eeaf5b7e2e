// Looking an application up by identifier, installed or not.

#include "platform/mobilecoreservices/ApplicationCatalogue.h"
#include "platform/mobilecoreservices/LSApplicationProxy.h"
#include "platform/mobilecoreservices/LSApplicationWorkspace.h"
#include "tests/platform/mobilecoreservices/ApplicationTestSupport.h"

namespace kavro::test {
namespace {

using LookupTest = ApplicationsTest;

TEST_F(LookupTest, KnownIdentifiersGiveTheApplicationAndUnknownOnesAnEmptyProxy) {
  installSystem("Sidecar.app", "com.apple.sidecar", "Sidecar", {{"SBAppTags", PlistValue::Array{"hidden"}}});

  auto known = LSApplicationProxy::applicationProxyForIdentifier("com.apple.sidecar");
  ASSERT_TRUE(known);
  EXPECT_TRUE(known->isInstalled());
  EXPECT_EQ(known->applicationIdentifier(), "com.apple.sidecar");
  EXPECT_EQ(known->localizedName(), "Sidecar");
  EXPECT_EQ(known->bundlePath(), "/Applications/Sidecar.app");
  ASSERT_TRUE(known->correspondingApplicationRecord());
  EXPECT_EQ(known->correspondingApplicationRecord()->appTags(), std::vector<std::string>{"hidden"})
      << "a hidden application is still found by identifier";

  for (const std::string identifier : {"com.apple.Sidecar", "com.example.gone", "", "../../etc"}) {
    auto unknown = LSApplicationProxy::applicationProxyForIdentifier(identifier);
    ASSERT_TRUE(unknown) << identifier;
    EXPECT_FALSE(unknown->isInstalled()) << identifier;
    EXPECT_EQ(unknown->applicationIdentifier(), identifier);
    EXPECT_FALSE(unknown->hasLocalizedName());
    EXPECT_EQ(unknown->localizedName(), "");
    EXPECT_EQ(unknown->bundlePath(), "");
    EXPECT_EQ(unknown->correspondingApplicationRecord(), nullptr);
  }
}

TEST_F(LookupTest, LookUpsFollowInstallationsRemovalsAndChangedIdentifiers) {
  EXPECT_FALSE(LSApplicationProxy::applicationProxyForIdentifier("late")->isInstalled());
  installUser("C1", "Late.app", "late", "Late");
  EXPECT_EQ(LSApplicationProxy::applicationProxyForIdentifier("late")->localizedName(), "Late");

  installUser("C1", "Late.app", "renamed", "Renamed");
  EXPECT_FALSE(LSApplicationProxy::applicationProxyForIdentifier("late")->isInstalled());
  EXPECT_EQ(LSApplicationProxy::applicationProxyForIdentifier("renamed")->localizedName(), "Renamed");

  std::filesystem::remove_all(hostPath("/var/containers/Bundle/Application/C1"));
  EXPECT_FALSE(LSApplicationProxy::applicationProxyForIdentifier("renamed")->isInstalled());
}

TEST_F(LookupTest, SettledLookUpsCostNoParsingAndStillSeeNewApplications) {
  settleFileClock();
  auto& catalogue = kavro::platform::mobilecoreservices::ApplicationCatalogue::current();
  installSystem("One.app", "one", "One");
  EXPECT_TRUE(LSApplicationProxy::applicationProxyForIdentifier("one")->isInstalled());
  EXPECT_FALSE(LSApplicationProxy::applicationProxyForIdentifier("two")->isInstalled());
  std::size_t reads = catalogue.infoPlistReadCount();
  for (int round = 0; round < 3; ++round) {
    EXPECT_TRUE(LSApplicationProxy::applicationProxyForIdentifier("one")->isInstalled());
    EXPECT_FALSE(LSApplicationProxy::applicationProxyForIdentifier("two")->isInstalled());
  }
  EXPECT_EQ(catalogue.infoPlistReadCount(), reads);

  // A new container folder changes the folder it is made in, which the look-up of an
  // unknown identifier checks.
  installUser("C2", "Two.app", "two", "Two");
  EXPECT_EQ(LSApplicationProxy::applicationProxyForIdentifier("two")->localizedName(), "Two");
}

TEST_F(LookupTest, EachProcessReadsTheSameDevice) {
  installSystem("Shared.app", "shared", "Shared");
  EXPECT_TRUE(LSApplicationProxy::applicationProxyForIdentifier("shared")->isInstalled());
  kavro::platform::ProcessScope inSpringboard(springboard());
  EXPECT_EQ(LSApplicationProxy::applicationProxyForIdentifier("shared")->localizedName(), "Shared");
  EXPECT_EQ(LSApplicationWorkspace::defaultWorkspace()->allInstalledApplications().size(), 1u);
}

}  // namespace
}  // namespace kavro::test
