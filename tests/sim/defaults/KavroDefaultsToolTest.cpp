// kavro-defaults as a user runs it: its verbs and output, its exit statuses, how it
// finds the device, and several copies appending to one list at once.

#include "platform/foundation/NSPropertyListSerialization.h"
#include "platform/foundation/NSUserDefaults.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/DeviceFixture.h"

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include <nlohmann/json.hpp>

namespace {

namespace fs = std::filesystem;

using Result = kavro::test::ProgramResult;

std::string readText(const fs::path& path) {
  auto bytes = kavro::test::readFileBytes(path);
  return std::string(bytes.begin(), bytes.end());
}

class KavroDefaultsTool : public ::testing::Test {
 protected:
  KavroDefaultsTool() { fs::create_directories(device()); }

  fs::path device() const { return temporary_.path() / "device"; }
  fs::path preferences() const { return device() / "var/jb/var/mobile/Library/Preferences"; }

  // Runs the tool with `arguments` and only the given environment.
  Result run(std::vector<std::string> arguments, std::vector<std::string> environment = {}) const {
    return kavro::test::runProgram(KAVRO_DEFAULTS_BINARY, {std::move(arguments), std::move(environment), {}});
  }
  // Runs the tool on the test's device.
  Result tool(std::vector<std::string> arguments) const {
    arguments.insert(arguments.begin(), {"--device", device().string()});
    return run(std::move(arguments));
  }
  // Plays a script in kavro-sim on the test's device.
  Result simulator(const std::string& script) const {
    const fs::path path = temporary_.path() / "script.ksim";
    std::ofstream(path) << script;
    return kavro::test::runProgram(KAVRO_SIM_BINARY, {{"run", "--device", device().string(), path.string()}, {}, {}});
  }

  kavro::test::TemporaryFolder temporary_;
};

TEST_F(KavroDefaultsTool, WritesReadsExportsAndDeletes) {
  const std::string domain = "com.qelm.kavroprefs";
  EXPECT_EQ(tool({"write", domain, "enabled", "-bool", "YES"}).status, 0);
  EXPECT_EQ(tool({"write", domain, "blacklist", "-array", "com.apple.mobilesafari"}).status, 0);
  EXPECT_EQ(tool({"write", domain, "count", "-int", "-5"}).status, 0);
  EXPECT_EQ(tool({"write", domain, "ratio", "-float", "2.5"}).status, 0);
  EXPECT_EQ(tool({"write", domain, "name", "-string", "caf\xC3\xA9 \"bar\""}).status, 0);
  EXPECT_EQ(tool({"write", domain, "plain", "word"}).status, 0);

  Result whole = tool({"read", domain});
  EXPECT_EQ(whole.status, 0) << whole.err;
  EXPECT_EQ(whole.out,
            "{\n"
            "    blacklist = (\n"
            "        \"com.apple.mobilesafari\"\n"
            "    );\n"
            "    count = \"-5\";\n"
            "    enabled = 1;\n"
            "    name = \"caf\\U00e9 \\\"bar\\\"\";\n"
            "    plain = word;\n"
            "    ratio = \"2.5\";\n"
            "}\n");
  EXPECT_EQ(tool({"read", domain, "enabled"}).out, "1\n");
  EXPECT_EQ(tool({"read", domain, "name"}).out, "caf\xC3\xA9 \"bar\"\n");
  EXPECT_EQ(tool({"read", domain, "blacklist"}).out, "(\n    \"com.apple.mobilesafari\"\n)\n");

  // The store holds real types, as the platform's tool writes them.
  auto stored = NSUserDefaults::defaultsWithDirectory(preferences())->persistentDomainForName(domain);
  EXPECT_EQ(stored["enabled"], PlistValue(true));
  EXPECT_EQ(stored["count"], PlistValue(-5));
  EXPECT_EQ(stored["ratio"], PlistValue(2.5));

  Result exported = tool({"export", domain, "-"});
  EXPECT_EQ(exported.status, 0);
  EXPECT_TRUE(exported.out.starts_with("<?xml"));
  EXPECT_EQ(NSPropertyListSerialization::propertyListWithData(
                std::vector<std::uint8_t>(exported.out.begin(), exported.out.end())),
            PlistValue(stored));

  EXPECT_EQ(tool({"write", "com.other", "k", "-array-add", "x", "y"}).status, 0);
  EXPECT_EQ(tool({"write", "com.other", "k", "-array-add", "z"}).status, 0);
  EXPECT_EQ(tool({"read", "com.other", "k"}).out, "(\n    x,\n    y,\n    z\n)\n");
  EXPECT_EQ(tool({"domains"}).out, "com.other, com.qelm.kavroprefs\n");

  EXPECT_EQ(tool({"delete", domain, "count"}).status, 0);
  EXPECT_EQ(tool({"read", domain, "count"}).status, 1);
  EXPECT_EQ(tool({"delete", domain}).status, 0);
  EXPECT_FALSE(fs::exists(preferences() / (domain + ".plist")));
  EXPECT_EQ(tool({"domains"}).out, "com.other\n");
}

TEST_F(KavroDefaultsTool, ExitStatusesTellMissingThingsFromBadArguments) {
  ASSERT_EQ(tool({"write", "com.a", "text", "-string", "hello"}).status, 0);
  auto expectStatus = [&](std::vector<std::string> arguments, int status, const std::string& inError) {
    Result result = tool(arguments);
    EXPECT_EQ(result.status, status) << arguments[0];
    EXPECT_NE(result.err.find(inError), std::string::npos) << result.err;
    if (status == 2) {
      EXPECT_NE(result.err.find("usage:"), std::string::npos);
    }
  };
  expectStatus({"read", "com.missing"}, 1, "does not exist");
  expectStatus({"read", "com.a", "missing"}, 1, "does not exist");
  expectStatus({"delete", "com.missing"}, 1, "not found");
  expectStatus({"delete", "com.a", "missing"}, 1, "does not exist");
  // Appending to a value that is no array is refused and changes nothing.
  expectStatus({"write", "com.a", "text", "-array-add", "x"}, 1, "not an array");
  EXPECT_EQ(tool({"read", "com.a", "text"}).out, "hello\n");

  expectStatus({"frobnicate"}, 2, "unknown command");
  expectStatus({"read"}, 2, "read takes");
  expectStatus({"read", "a/b"}, 2, "not a domain name");
  expectStatus({"write", ".hidden", "k", "-int", "1"}, 2, "not a domain name");
  expectStatus({"write", "com.a", "k", "-int", "12abc"}, 2, "-int");
  expectStatus({"write", "com.a", "k", "-int", "99999999999999999999"}, 2, "-int");
  expectStatus({"write", "com.a", "k", "-bool", "maybe"}, 2, "-bool");
  expectStatus({"write", "com.a", "k", "-float", "nan"}, 2, "-float");
  expectStatus({"write", "com.a", "k", "-string"}, 2, "exactly one value");
  expectStatus({"write", "com.a", "k", "-datum", "x"}, 2, "unknown value type");
  expectStatus({"write", "com.a", "k", "-date", "x"}, 2, "-date");
  expectStatus({"export", "com.a"}, 2, "export takes");
  expectStatus({"--verbose", "domains"}, 2, "unknown option");
  EXPECT_EQ(run({}).status, 2);
  Result help = run({"--help"});
  EXPECT_EQ(help.status, 0);
  EXPECT_NE(help.out.find("usage:"), std::string::npos);
  EXPECT_EQ(tool({"read", "com.a"}).out, "{\n    text = hello;\n}\n");
}

TEST_F(KavroDefaultsTool, NeverMakesADevice) {
  // The tool never makes a device: the simulator fills a new one with its samples.
  Result missing = run({"--device", (temporary_.path() / "none").string(), "write", "com.a", "k", "1"});
  EXPECT_EQ(missing.status, 1);
  EXPECT_NE(missing.err.find("does not exist"), std::string::npos);
  EXPECT_FALSE(fs::exists(temporary_.path() / "none"));
}

TEST_F(KavroDefaultsTool, StoredDataNeverBreaksTheOutputOrHoldsItUp) {
  // Text that is not UTF-8 and a date in 2100, as another writer may store them.
  const std::string domain = "com.qelm.kavroprefs";
  const std::string xml =
      "<plist version=\"1.0\"><dict><key>name</key><string>caf\xE9</string>"
      "<key>when</key><date>2100-01-01T00:00:00Z</date><key>enabled</key><true/></dict></plist>";
  fs::create_directories(preferences());
  std::ofstream(preferences() / (domain + ".plist"), std::ios::binary) << xml;
  EXPECT_EQ(tool({"read", domain, "when"}).out, "\"2100-01-01 00:00:00 +0000\"\n");
  EXPECT_EQ(tool({"export", domain, "-"}).status, 0);
  Result dump = simulator("dump\n");
  ASSERT_EQ(dump.status, 0) << dump.err;
  const auto state = nlohmann::json::parse(dump.out);
  EXPECT_EQ(state["prefs"]["name"], "caf\xEF\xBF\xBD");
  EXPECT_EQ(state["prefs"]["when"], "2100-01-01T00:00:00Z");
  // The stored bytes stay as they are until a write, which then keeps the file.
  EXPECT_EQ(readText(preferences() / (domain + ".plist")), xml);
  EXPECT_EQ(tool({"write", domain, "enabled", "-bool", "NO"}).status, 0);
  EXPECT_EQ(readText(preferences() / (domain + ".plist.original-1")), xml);
  EXPECT_EQ(tool({"read", domain, "when"}).out, "\"2100-01-01 00:00:00 +0000\"\n");

  // A FIFO in place of the domain file holds up neither tool.
  fs::remove(preferences() / (domain + ".plist"));
  ASSERT_EQ(::mkfifo((preferences() / (domain + ".plist")).c_str(), 0644), 0);
  EXPECT_EQ(tool({"read", domain, "enabled"}).status, 1);
  EXPECT_EQ(simulator("dump\n").status, 0);
  EXPECT_EQ(tool({"write", domain, "enabled", "-bool", "YES"}).status, 0);
  EXPECT_EQ(tool({"read", domain, "enabled"}).out, "1\n");
}

TEST_F(KavroDefaultsTool, ConcurrentAppendsLoseNothing) {
  constexpr int kProcesses = 6;
  constexpr int kAppendsEach = 8;
  std::vector<pid_t> children;
  for (int process = 0; process < kProcesses; ++process) {
    pid_t pid = ::fork();
    if (pid == 0) {
      bool ok = true;
      for (int append = 0; append < kAppendsEach; ++append) {
        const std::string value = std::to_string(process) + "." + std::to_string(append);
        ok = tool({"write", "com.race", "list", "-array-add", value}).status == 0 && ok;
      }
      ::_exit(ok ? 0 : 1);
    }
    children.push_back(pid);
  }
  for (pid_t pid : children) {
    int status = 0;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  }
  auto list = NSUserDefaults::defaultsWithDirectory(preferences())->objectForKey("list", "com.race");
  ASSERT_TRUE(list.isArray());
  std::vector<std::string> values;
  for (const auto& element : *list.asArray()) values.push_back(element.stringOr(""));
  EXPECT_EQ(values.size(), std::size_t(kProcesses * kAppendsEach));
  std::sort(values.begin(), values.end());
  for (int process = 0; process < kProcesses; ++process)
    for (int append = 0; append < kAppendsEach; ++append)
      EXPECT_TRUE(std::binary_search(values.begin(), values.end(),
                                     std::to_string(process) + "." + std::to_string(append)));
}

}  // namespace
