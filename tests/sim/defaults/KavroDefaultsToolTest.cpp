// kavro-defaults as a user runs it: its verbs and output, its exit statuses, how it
// finds the device, and several copies appending to one list at once.

#include "platform/foundation/NSPropertyListSerialization.h"
#include "platform/foundation/NSUserDefaults.h"
#include "tests/sim/defaults/DefaultsToolFixture.h"

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <functional>
#include <iterator>

#include <nlohmann/json.hpp>

namespace kavro_defaults_tool_test {

namespace fs = std::filesystem;

using Result = kavro::test::ProgramResult;

std::string readText(const fs::path& path) {
  auto bytes = kavro::test::readFileBytes(path);
  return std::string(bytes.begin(), bytes.end());
}

class KavroDefaultsTool : public kavro::test::DefaultsToolTest {
 protected:
  // Plays a script in kavro-sim on the test's device.
  Result simulator(const std::string& script) const {
    const fs::path path = temporary_.path() / "script.ksim";
    std::ofstream(path) << script;
    return kavro::test::runProgram(KAVRO_SIM_BINARY, {{"run", "--device", device().string(), path.string()}, {}, {}});
  }
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

// Runs `body(process)` in `processes` children at once; each succeeds when its
// body returns true.
void runConcurrently(int processes, const std::function<bool(int)>& body) {
  std::vector<pid_t> children;
  for (int process = 0; process < processes; ++process) {
    pid_t pid = ::fork();
    if (pid == 0) ::_exit(body(process) ? 0 : 1);
    children.push_back(pid);
  }
  for (pid_t pid : children) {
    int status = 0;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  }
}

constexpr int kProcesses = 6;
constexpr int kChangesEach = 8;

std::string itemName(int process, int change) { return std::to_string(process) + "." + std::to_string(change); }

TEST_F(KavroDefaultsTool, ConcurrentAppendsLoseNothing) {
  runConcurrently(kProcesses, [&](int process) {
    bool ok = true;
    for (int append = 0; append < kChangesEach; ++append)
      ok = tool({"write", "com.race", "list", "-array-add", itemName(process, append)}).status == 0 && ok;
    return ok;
  });
  auto list = NSUserDefaults::defaultsWithDirectory(preferences())->objectForKey("list", "com.race");
  ASSERT_TRUE(list.isArray());
  std::vector<std::string> values;
  for (const auto& element : *list.asArray()) values.push_back(element.stringOr(""));
  EXPECT_EQ(values.size(), std::size_t(kProcesses * kChangesEach));
  std::sort(values.begin(), values.end());
  for (int process = 0; process < kProcesses; ++process)
    for (int append = 0; append < kChangesEach; ++append)
      EXPECT_TRUE(std::binary_search(values.begin(), values.end(), itemName(process, append)));
}

TEST_F(KavroDefaultsTool, ConcurrentDictionaryAddsLoseNothing) {
  // Every process adds keys of its own to one dictionary, and all of them replace
  // one shared key, so the dictionary is read and rewritten under contention.
  runConcurrently(kProcesses, [&](int process) {
    bool ok = true;
    for (int add = 0; add < kChangesEach; ++add)
      ok = tool({"write", "com.race", "settings", "-dict-add", itemName(process, add), "-int", std::to_string(add),
                 "last", itemName(process, add)})
                   .status == 0 &&
           ok;
    return ok;
  });
  auto settings = NSUserDefaults::defaultsWithDirectory(preferences())->objectForKey("settings", "com.race");
  ASSERT_TRUE(settings.isDictionary());
  EXPECT_EQ(settings.asDictionary()->size(), std::size_t(kProcesses * kChangesEach + 1));
  for (int process = 0; process < kProcesses; ++process)
    for (int add = 0; add < kChangesEach; ++add) EXPECT_EQ(settings[itemName(process, add)], PlistValue(add));
  // The shared key holds some process's last write.
  EXPECT_TRUE(settings["last"].stringOr("").ends_with("." + std::to_string(kChangesEach - 1)));
}

TEST_F(KavroDefaultsTool, ConcurrentRenamesLoseNothing) {
  // Half the processes rename keys of their own while the other half append to a
  // list in the same domain: each rename rewrites the whole domain, which must not
  // undo an append, nor an append a rename.
  std::string domain = "{";
  for (int process = 0; process < kProcesses; process += 2)
    for (int change = 0; change < kChangesEach; ++change)
      domain += "\"old." + itemName(process, change) + "\" = v" + itemName(process, change) + "; ";
  ASSERT_EQ(tool({"write", "com.race", domain + "}"}).status, 0);
  runConcurrently(kProcesses, [&](int process) {
    bool ok = true;
    for (int change = 0; change < kChangesEach; ++change) {
      const std::string item = itemName(process, change);
      const auto result = process % 2 == 0 ? tool({"rename", "com.race", "old." + item, "new." + item})
                                           : tool({"write", "com.race", "list", "-array-add", item});
      ok = result.status == 0 && ok;
    }
    return ok;
  });
  auto stored = NSUserDefaults::defaultsWithDirectory(preferences())->persistentDomainForName("com.race");
  for (int process = 0; process < kProcesses; ++process)
    for (int change = 0; change < kChangesEach; ++change) {
      const std::string item = itemName(process, change);
      if (process % 2 == 0) {
        EXPECT_EQ(stored["new." + item], PlistValue("v" + item));
        EXPECT_FALSE(stored.contains("old." + item));
      }
    }
  ASSERT_TRUE(stored["list"].isArray());
  EXPECT_EQ(stored["list"].asArray()->size(), std::size_t(kProcesses / 2 * kChangesEach));
  EXPECT_EQ(stored.size(), std::size_t(kProcesses / 2 * kChangesEach + 1));
}

}  // namespace kavro_defaults_tool_test
