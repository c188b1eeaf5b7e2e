// Which device folder the programs choose: the rule itself, and kavro-sim and
// kavro-defaults run side by side under each environment a person may have, landing
// on the same device or refusing alike.

#include "sim/devicefolder/DeviceFolder.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/DeviceFixture.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using kavro::sim::chooseDeviceFolder;
using kavro::sim::DeviceFolderError;

// Sets environment variables for the length of a test and restores them after.
class EnvironmentGuard {
 public:
  void set(const char* name, const char* value) {
    if (!saved_.count(name)) {
      const char* old = std::getenv(name);
      saved_[name] = old ? std::optional<std::string>(old) : std::nullopt;
    }
    if (value)
      ::setenv(name, value, 1);
    else
      ::unsetenv(name);
  }
  ~EnvironmentGuard() {
    for (const auto& [name, value] : saved_) {
      if (value)
        ::setenv(name.c_str(), value->c_str(), 1);
      else
        ::unsetenv(name.c_str());
    }
  }

 private:
  std::map<std::string, std::optional<std::string>> saved_;
};

TEST(DeviceFolderTest, TheOptionThenTheVariableThenAnAbsoluteDataHomeThenAnAbsoluteHome) {
  EnvironmentGuard environment;
  environment.set("KAVRO_DEVICE", "/tmp/from-env");
  environment.set("XDG_DATA_HOME", "/tmp/xdg");
  environment.set("HOME", "/home/someone");
  EXPECT_EQ(chooseDeviceFolder(std::string("/tmp/from-flag")), fs::path("/tmp/from-flag"));
  EXPECT_EQ(chooseDeviceFolder(std::string("relative/dev")), fs::path("relative/dev"));
  EXPECT_EQ(chooseDeviceFolder(std::nullopt), fs::path("/tmp/from-env"));
  environment.set("KAVRO_DEVICE", "");
  EXPECT_EQ(chooseDeviceFolder(std::nullopt), fs::path("/tmp/xdg/kavroprefs/device"));
  environment.set("XDG_DATA_HOME", "relative/data");
  EXPECT_EQ(chooseDeviceFolder(std::nullopt), fs::path("/home/someone/.local/share/kavroprefs/device"));
  environment.set("XDG_DATA_HOME", nullptr);
  EXPECT_EQ(chooseDeviceFolder(std::nullopt), fs::path("/home/someone/.local/share/kavroprefs/device"));
}

TEST(DeviceFolderTest, AnEmptyOptionOrNoUsableHomeIsAnError) {
  EnvironmentGuard environment;
  environment.set("KAVRO_DEVICE", "/tmp/from-env");
  // An empty --device is a mistake, not a request for the default.
  EXPECT_THROW(chooseDeviceFolder(std::string("")), DeviceFolderError);
  environment.set("KAVRO_DEVICE", nullptr);
  environment.set("XDG_DATA_HOME", nullptr);
  environment.set("HOME", nullptr);
  EXPECT_THROW(chooseDeviceFolder(std::nullopt), DeviceFolderError);
  environment.set("HOME", "relative/home");
  EXPECT_THROW(chooseDeviceFolder(std::nullopt), DeviceFolderError);
  environment.set("XDG_DATA_HOME", "relative/data");
  EXPECT_THROW(chooseDeviceFolder(std::nullopt), DeviceFolderError);
  environment.set("XDG_DATA_HOME", "/tmp/xdg");  // an absolute data home needs no home
  EXPECT_EQ(chooseDeviceFolder(std::nullopt), fs::path("/tmp/xdg/kavroprefs/device"));
}

// One environment a person may run both programs in, and where the device should be
// (relative to the test's folder), or nothing when both must refuse.
struct Setting {
  const char* name;
  std::vector<std::string> options;      // before the command: "--device", "DIR"
  std::vector<std::string> environment;  // "@" stands for the test's folder
  std::optional<std::string> expected;
};

class DeviceFolderAgreement : public ::testing::TestWithParam<Setting> {
 protected:
  // A setting's words with "@" standing for the test's folder.
  std::vector<std::string> resolved(std::vector<std::string> words) const {
    for (std::string& word : words)
      if (auto at = word.find('@'); at != std::string::npos) word.replace(at, 1, folder.path().string());
    return words;
  }
  // Every device kavro-sim made under the test's folder (it marks each one).
  std::vector<fs::path> madeDevices() const {
    std::vector<fs::path> devices;
    for (const auto& entry : fs::recursive_directory_iterator(folder.path()))
      if (entry.path().filename() == ".kavro-device") devices.push_back(entry.path().parent_path());
    return devices;
  }

  kavro::test::TemporaryFolder folder;
};

TEST_P(DeviceFolderAgreement, BothProgramsUseTheSameDeviceOrBothRefuse) {
  const Setting& setting = GetParam();
  const fs::path work = folder.path() / "work";
  fs::create_directories(work);

  const auto options = resolved(setting.options);
  const auto environment = resolved(setting.environment);

  std::vector<std::string> simulatorArguments{"run"};
  simulatorArguments.insert(simulatorArguments.end(), options.begin(), options.end());
  simulatorArguments.push_back("-");
  auto simulator = kavro::test::runProgram(KAVRO_SIM_BINARY, {simulatorArguments, environment, work});

  std::vector<std::string> toolArguments = options;
  toolArguments.insert(toolArguments.end(), {"write", "com.agree", "key", "-string", "value"});
  auto tool = kavro::test::runProgram(KAVRO_DEFAULTS_BINARY, {toolArguments, environment, work});

  if (!setting.expected) {
    EXPECT_NE(simulator.status, 0);
    EXPECT_NE(tool.status, 0);
    EXPECT_NE(simulator.err.find("device"), std::string::npos) << simulator.err;
    EXPECT_NE(tool.err.find("device"), std::string::npos) << tool.err;
    EXPECT_TRUE(madeDevices().empty());
    return;
  }
  ASSERT_EQ(simulator.status, 0) << simulator.err;
  ASSERT_EQ(tool.status, 0) << tool.err;
  const fs::path expected = folder.path() / *setting.expected;
  EXPECT_EQ(madeDevices(), std::vector<fs::path>{expected});
  EXPECT_TRUE(fs::exists(expected / "var/jb/var/mobile/Library/Preferences/com.agree.plist"));
}

INSTANTIATE_TEST_SUITE_P(
    EveryRule, DeviceFolderAgreement,
    ::testing::Values(
        Setting{"Option", {"--device", "@/chosen"}, {"KAVRO_DEVICE=@/variable", "HOME=@/home"}, "chosen"},
        Setting{"RelativeOption", {"--device", "relative"}, {"HOME=@/home"}, "work/relative"},
        Setting{"EmptyOption", {"--device", ""}, {"KAVRO_DEVICE=@/variable", "HOME=@/home"}, std::nullopt},
        Setting{"Variable", {}, {"KAVRO_DEVICE=@/variable", "XDG_DATA_HOME=@/data", "HOME=@/home"}, "variable"},
        Setting{"EmptyVariable", {}, {"KAVRO_DEVICE=", "HOME=@/home"}, "home/.local/share/kavroprefs/device"},
        Setting{"DataHome", {}, {"XDG_DATA_HOME=@/data", "HOME=@/home"}, "data/kavroprefs/device"},
        Setting{"DataHomeWithoutHome", {}, {"XDG_DATA_HOME=@/data"}, "data/kavroprefs/device"},
        Setting{"RelativeDataHome", {}, {"XDG_DATA_HOME=data", "HOME=@/home"}, "home/.local/share/kavroprefs/device"},
        Setting{"Home", {}, {"HOME=@/home"}, "home/.local/share/kavroprefs/device"},
        Setting{"NoHome", {}, {}, std::nullopt},
        Setting{"EmptyHome", {}, {"HOME="}, std::nullopt},
        Setting{"RelativeHome", {}, {"HOME=home", "XDG_DATA_HOME=data"}, std::nullopt}),
    [](const ::testing::TestParamInfo<Setting>& info) { return std::string(info.param.name); });

}  // namespace
