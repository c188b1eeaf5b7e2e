// kavro-defaults' commands as a user runs them: read-type, write with property-list
// values and whole domains, -dict and -dict-add, rename, import, export to a file,
// find and help, each with the errors it gives and the proof that an error writes
// nothing.

#include "platform/foundation/NSPropertyListSerialization.h"
#include "platform/foundation/NSUserDefaults.h"
#include "tests/sim/defaults/DefaultsToolFixture.h"

#include <sys/stat.h>

#include <gtest/gtest.h>

#include <fstream>

namespace defaults_commands_test {

namespace fs = std::filesystem;
using Result = kavro::test::ProgramResult;

class DefaultsCommands : public kavro::test::DefaultsToolTest {
 protected:
  PlistValue::Dictionary stored(const std::string& domain) const {
    return NSUserDefaults::defaultsWithDirectory(preferences())->persistentDomainForName(domain);
  }
  void expectResult(const Result& result, int status, const std::string& inError) const {
    EXPECT_EQ(result.status, status) << result.err;
    EXPECT_NE(result.err.find(inError), std::string::npos) << result.err;
  }
  fs::path writeFile(const std::string& name, const std::string& text) const {
    const fs::path path = temporary_.path() / name;
    std::ofstream(path, std::ios::binary) << text;
    return path;
  }
};

TEST_F(DefaultsCommands, ReadTypeNamesEveryType) {
  const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
      {{"-bool", "yes"}, "boolean"},      {{"-int", "-3"}, "integer"},
      {{"-float", "0.5"}, "float"},       {{"-string", "x"}, "string"},
      {{"-data", "0fbd"}, "data"},        {{"-date", "2024-05-01"}, "date"},
      {{"-array", "a"}, "array"},         {{"-dict", "a", "b"}, "dictionary"},
      {{"word"}, "string"},               {{"(a, b)"}, "array"},
  };
  for (const auto& [value, type] : cases) {
    std::vector<std::string> arguments = {"write", "com.a", "key"};
    arguments.insert(arguments.end(), value.begin(), value.end());
    ASSERT_EQ(tool(arguments).status, 0) << value[0];
    Result result = tool({"read-type", "com.a", "key"});
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.out, "Type is " + type + "\n") << value[0];
  }
  expectResult(tool({"read-type", "com.a", "missing"}), 1, "The domain/default pair of (com.a, missing) does not exist");
  expectResult(tool({"read-type", "com.none", "key"}), 1, "does not exist");
  expectResult(tool({"read-type", "com.a"}), 2, "read-type takes DOMAIN KEY");
}

TEST_F(DefaultsCommands, WriteTakesPropertyListsInTextAndXml) {
  ASSERT_EQ(tool({"write", "com.a", "list", "(a, \"b c\", <0fbd>)"}).status, 0);
  ASSERT_EQ(tool({"write", "com.a", "map", "{ a = 1; nested = { b = (); }; }"}).status, 0);
  ASSERT_EQ(tool({"write", "com.a", "xml", "<dict><key>on</key><true/><key>n</key><integer>5</integer></dict>"}).status, 0);
  ASSERT_EQ(tool({"write", "com.a", "document",
                  "<?xml version=\"1.0\"?><plist version=\"1.0\"><array><real>2.5</real></array></plist>"})
                .status,
            0);
  ASSERT_EQ(tool({"write", "com.a", "flag", "<false/>"}).status, 0);
  ASSERT_EQ(tool({"write", "com.a", "words", "hello world"}).status, 0);
  ASSERT_EQ(tool({"write", "com.a", "open", "(a, b"}).status, 0);
  ASSERT_EQ(tool({"write", "com.a", "quoted", "\"a b\""}).status, 0);
  auto values = stored("com.a");
  EXPECT_EQ(values["list"], PlistValue(PlistValue::Array{"a", "b c", NSData{{0x0f, 0xbd}}}));
  EXPECT_EQ(values["map"], PlistValue(PlistValue::Dictionary{
                               {"a", "1"}, {"nested", PlistValue::Dictionary{{"b", PlistValue::Array{}}}}}));
  EXPECT_EQ(values["xml"], PlistValue(PlistValue::Dictionary{{"on", true}, {"n", 5}}));
  EXPECT_EQ(values["document"], PlistValue(PlistValue::Array{2.5}));
  EXPECT_EQ(values["flag"], PlistValue(false));
  // Text that is no property list is the string it is.
  EXPECT_EQ(values["words"], PlistValue("hello world"));
  EXPECT_EQ(values["open"], PlistValue("(a, b"));
  EXPECT_EQ(values["quoted"], PlistValue("a b"));
  EXPECT_EQ(tool({"read", "com.a", "list"}).out, "(\n    a,\n    \"b c\",\n    {length = 2, bytes = 0x0fbd}\n)\n");
}

TEST_F(DefaultsCommands, WriteOfAWholeDomainReplacesItOrWritesNothing) {
  ASSERT_EQ(tool({"write", "com.a", "old", "-int", "1"}).status, 0);
  ASSERT_EQ(tool({"write", "com.a", "{ \"Default Color\" = (255, 0, 0); font = Helvetica; }"}).status, 0);
  EXPECT_EQ(stored("com.a"), (PlistValue::Dictionary{{"Default Color", PlistValue::Array{"255", "0", "0"}},
                                                     {"font", "Helvetica"}}));
  ASSERT_EQ(tool({"write", "com.b", "<dict><key>k</key><string>v</string></dict>"}).status, 0);
  EXPECT_EQ(stored("com.b"), (PlistValue::Dictionary{{"k", "v"}}));

  const std::string before = fileText(domainFile("com.a"));
  expectResult(tool({"write", "com.a", "(a, b)"}), 2, "takes a dictionary, not array");
  expectResult(tool({"write", "com.a", "word"}), 2, "takes a dictionary, not string");
  expectResult(tool({"write", "com.a", "{\n  a = 1;\n  b = (x, y;\n}"}), 2, "line 3");
  expectResult(tool({"write", "com.a", "{ a = \"open; }"}), 2, "line 1");
  expectResult(tool({"write", "com.a", "<dict><key>a</key>"}), 2, "nothing was written");
  EXPECT_EQ(fileText(domainFile("com.a")), before);
  expectResult(tool({"write", "com.none", "(a)"}), 2, "not array");
  EXPECT_FALSE(fs::exists(domainFile("com.none")));
}

TEST_F(DefaultsCommands, DictionariesAndArraysTakeTypedValues) {
  ASSERT_EQ(tool({"write", "com.a", "d", "-dict", "a", "-int", "1", "b", "-bool", "yes", "c", "x", "d", "(p, q)"}).status, 0);
  EXPECT_EQ(stored("com.a")["d"], PlistValue(PlistValue::Dictionary{
                                      {"a", 1}, {"b", true}, {"c", "x"}, {"d", PlistValue::Array{"p", "q"}}}));
  // -dict-add replaces and adds, keeping the rest.
  ASSERT_EQ(tool({"write", "com.a", "d", "-dict-add", "a", "-float", "2.5", "e", "-date", "2001-01-01"}).status, 0);
  EXPECT_EQ(stored("com.a")["d"], PlistValue(PlistValue::Dictionary{{"a", 2.5},
                                                                   {"b", true},
                                                                   {"c", "x"},
                                                                   {"d", PlistValue::Array{"p", "q"}},
                                                                   {"e", NSDate{0}}}));
  // -dict-add creates a missing dictionary; -array-add a missing array.
  ASSERT_EQ(tool({"write", "com.a", "fresh", "-dict-add", "k", "v"}).status, 0);
  EXPECT_EQ(stored("com.a")["fresh"], PlistValue(PlistValue::Dictionary{{"k", "v"}}));
  ASSERT_EQ(tool({"write", "com.a", "list", "-array-add", "-int", "7", "-5", "<true/>"}).status, 0);
  ASSERT_EQ(tool({"write", "com.a", "list", "-array-add", "-data", "ff"}).status, 0);
  EXPECT_EQ(stored("com.a")["list"], PlistValue(PlistValue::Array{7, "-5", true, NSData{{0xff}}}));

  // A value of another type is refused, and nothing changes.
  ASSERT_EQ(tool({"write", "com.a", "text", "-string", "hello"}).status, 0);
  const std::string before = fileText(domainFile("com.a"));
  expectResult(tool({"write", "com.a", "text", "-dict-add", "k", "v"}), 1, "is string, not a dictionary");
  expectResult(tool({"write", "com.a", "list", "-dict-add", "k", "v"}), 1, "is array, not a dictionary");
  expectResult(tool({"write", "com.a", "d", "-array-add", "x"}), 1, "is dictionary, not an array");
  expectResult(tool({"write", "com.a", "d", "-dict", "a", "1", "b"}), 2, "the key \"b\" has no value");
  expectResult(tool({"write", "com.a", "d", "-dict-add", "a", "-int"}), 2, "-int needs a value");
  expectResult(tool({"write", "com.a", "d", "-dict", "a", "-int", "x"}), 2, "-int takes a whole number");
  expectResult(tool({"write", "com.a", "d", "-array", "-dict", "a", "b"}), 2, "cannot stand inside");
  expectResult(tool({"write", "com.a", "d", "-strng", "x"}), 2, "unknown value type -strng");
  expectResult(tool({"write", "com.a", "d", "-data", "abc"}), 2, "-data takes pairs");
  EXPECT_EQ(fileText(domainFile("com.a")), before);
}

TEST_F(DefaultsCommands, RenameMovesAValueOrWritesNothing) {
  ASSERT_EQ(tool({"write", "com.a", "{ a = (1, 2); b = x; }"}).status, 0);
  ASSERT_EQ(tool({"rename", "com.a", "a", "c"}).status, 0);
  EXPECT_EQ(stored("com.a"), (PlistValue::Dictionary{{"b", "x"}, {"c", PlistValue::Array{"1", "2"}}}));
  // Onto a key that exists: the old value there is replaced.
  ASSERT_EQ(tool({"rename", "com.a", "c", "b"}).status, 0);
  EXPECT_EQ(stored("com.a"), (PlistValue::Dictionary{{"b", PlistValue::Array{"1", "2"}}}));
  ASSERT_EQ(tool({"rename", "com.a", "b", "b"}).status, 0);
  EXPECT_EQ(stored("com.a"), (PlistValue::Dictionary{{"b", PlistValue::Array{"1", "2"}}}));

  const std::string before = fileText(domainFile("com.a"));
  expectResult(tool({"rename", "com.a", "missing", "z"}), 1, "Key missing does not exist in domain com.a");
  expectResult(tool({"rename", "com.a", "b"}), 2, "rename takes DOMAIN OLD NEW");
  EXPECT_EQ(fileText(domainFile("com.a")), before);
  expectResult(tool({"rename", "com.none", "a", "b"}), 1, "does not exist");
  EXPECT_FALSE(fs::exists(domainFile("com.none")));
}

TEST_F(DefaultsCommands, ImportReadsEveryFormatFromAFileOrStandardInput) {
  const PlistValue::Dictionary values = {{"enabled", true}, {"list", PlistValue::Array{"a", 5}}, {"when", NSDate{86400}}};
  auto binary = NSPropertyListSerialization::dataWithPropertyList(PlistValue(values), NSPropertyListFormat::binary);
  auto xml = NSPropertyListSerialization::dataWithPropertyList(PlistValue(values), NSPropertyListFormat::xml);
  ASSERT_TRUE(binary && xml);
  ASSERT_EQ(tool({"write", "com.a", "old", "x"}).status, 0);
  ASSERT_EQ(tool({"import", "com.a", writeFile("a.plist", std::string(binary->begin(), binary->end())).string()}).status, 0);
  EXPECT_EQ(stored("com.a"), values);  // the domain is replaced, not merged
  ASSERT_EQ(toolWithInput({"import", "com.b", "-"}, std::string(xml->begin(), xml->end())).status, 0);
  EXPECT_EQ(stored("com.b"), values);
  ASSERT_EQ(tool({"import", "com.c", writeFile("c.txt", "// settings\n{ a = (x, \"y z\"); b = <00ff>; }\n").string()}).status, 0);
  EXPECT_EQ(stored("com.c"), (PlistValue::Dictionary{{"a", PlistValue::Array{"x", "y z"}}, {"b", NSData{{0x00, 0xff}}}}));
  // The strings-file form: pairs without outer braces.
  ASSERT_EQ(toolWithInput({"import", "com.d", "-"}, "\"greeting\" = \"Hello\";\nfarewell = Bye;\n").status, 0);
  EXPECT_EQ(stored("com.d"), (PlistValue::Dictionary{{"farewell", "Bye"}, {"greeting", "Hello"}}));
}

TEST_F(DefaultsCommands, ImportRefusesWhatIsNoDictionaryAndWritesNothing) {
  ASSERT_EQ(tool({"write", "com.a", "keep", "-int", "1"}).status, 0);
  const std::string before = fileText(domainFile("com.a"));
  expectResult(tool({"import", "com.a", writeFile("list.txt", "(a, b)").string()}), 1, "is array, not a dictionary");
  expectResult(toolWithInput({"import", "com.a", "-"}, "{\n  a = 1;\n  b = ;\n}\n"), 1, "line 3");
  expectResult(toolWithInput({"import", "com.a", "-"}, ""), 1, "empty");
  expectResult(tool({"import", "com.a", writeFile("bad.txt", "{ a = 1;\n\n\"open }").string()}), 1, "line 3");
  expectResult(tool({"import", "com.a", (temporary_.path() / "missing.plist").string()}), 1, "missing.plist");
  // A FIFO holds nothing up.
  const fs::path fifo = temporary_.path() / "fifo";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0644), 0);
  expectResult(tool({"import", "com.a", fifo.string()}), 1, "not a regular file");
  expectResult(tool({"import", "com.a"}), 2, "import takes DOMAIN PATH");
  EXPECT_EQ(fileText(domainFile("com.a")), before);
}

TEST_F(DefaultsCommands, ExportWritesXmlToAFileAtomically) {
  ASSERT_EQ(tool({"write", "com.a", "{ a = (x, y); b = <0fbd>; }"}).status, 0);
  ASSERT_EQ(tool({"write", "com.a", "n", "-int", "5"}).status, 0);
  const std::string standardOutput = tool({"export", "com.a", "-"}).out;
  const fs::path target = temporary_.path() / "out" / "a.plist";
  fs::create_directories(target.parent_path());
  ASSERT_EQ(tool({"export", "com.a", target.string()}).status, 0);
  EXPECT_EQ(fileText(target), standardOutput);
  EXPECT_EQ(NSPropertyListSerialization::propertyListWithContentsOfFile(target), PlistValue(stored("com.a")));
  // Replacing a file keeps its permissions and leaves nothing else in the folder.
  ::chmod(target.c_str(), 0600);
  ASSERT_EQ(tool({"write", "com.a", "n", "-int", "6"}).status, 0);
  ASSERT_EQ(tool({"export", "com.a", target.string()}).status, 0);
  struct stat status {};
  ASSERT_EQ(::stat(target.c_str(), &status), 0);
  EXPECT_EQ(status.st_mode & 0777, 0600u);
  EXPECT_EQ(std::distance(fs::directory_iterator(target.parent_path()), fs::directory_iterator()), 1);
  EXPECT_EQ(NSPropertyListSerialization::propertyListWithContentsOfFile(target), PlistValue(stored("com.a")));
  // A link is followed: the file it leads to is replaced, the link kept.
  const fs::path link = temporary_.path() / "link.plist";
  fs::create_symlink(target, link);
  ASSERT_EQ(tool({"export", "com.b", link.string()}).status, 0);
  EXPECT_TRUE(fs::is_symlink(link));
  EXPECT_EQ(NSPropertyListSerialization::propertyListWithContentsOfFile(target), PlistValue(PlistValue::Dictionary()));

  expectResult(tool({"export", "com.a", target.parent_path().string()}), 1, "not a regular file");
  expectResult(tool({"export", "com.a", (temporary_.path() / "none" / "a.plist").string()}), 1, "cannot create a file in");
  EXPECT_FALSE(fs::exists(temporary_.path() / "none"));
}

TEST_F(DefaultsCommands, FindPrintsWhatContainsTheWordLetterCaseAside) {
  ASSERT_EQ(tool({"write", "com.qelm.kavroprefs", "{ blacklist = (\"com.apple.MobileSafari\"); enabled = 1; }"}).status, 0);
  ASSERT_EQ(tool({"write", "com.other", "{ Safari = on; count = 12345; nested = { deep = (x, { Key = y; }); }; }"}).status, 0);
  ASSERT_EQ(tool({"write", "com.other", "number", "-int", "-42"}).status, 0);
  Result found = tool({"find", "SAFARI"});
  EXPECT_EQ(found.status, 0);
  EXPECT_EQ(found.out,
            "Found 1 keys in domain 'com.other': {\n"
            "    Safari = on;\n"
            "}\n"
            "Found 1 keys in domain 'com.qelm.kavroprefs': {\n"
            "    blacklist = (\n"
            "        \"com.apple.MobileSafari\"\n"
            "    );\n"
            "}\n");
  // Keys inside a value, and numbers in their decimal text.
  EXPECT_EQ(tool({"find", "key"}).out, "Found 1 keys in domain 'com.other': {\n    nested = {\n        deep = (\n"
                                        "            x,\n            {\n                Key = y;\n            }\n"
                                        "        );\n    };\n}\n");
  EXPECT_NE(tool({"find", "234"}).out.find("count = 12345;"), std::string::npos);
  EXPECT_NE(tool({"find", "-42"}).out.find("number = \"-42\";"), std::string::npos);
  // A domain whose name matches shows all of its keys.
  EXPECT_EQ(tool({"find", "KAVRO"}).out.find("Found 2 keys in domain 'com.qelm.kavroprefs'"), 0u);
  Result none = tool({"find", "absent"});
  EXPECT_EQ(none.status, 1);
  EXPECT_EQ(none.out, "No domain, key, nor value containing 'absent'\n");
  expectResult(tool({"find"}), 2, "find takes one WORD");
  expectResult(tool({"find", ""}), 2, "not empty");
}

TEST_F(DefaultsCommands, HelpAndTheUsageAfterBadArguments) {
  Result help = run({"help"});
  EXPECT_EQ(help.status, 0);
  EXPECT_TRUE(help.out.starts_with("usage: kavro-defaults"));
  for (const char* command : {"read-type", "-dict-add", "rename", "import", "export DOMAIN PATH|-", "find WORD", "help"})
    EXPECT_NE(help.out.find(command), std::string::npos) << command;
  EXPECT_EQ(run({"--help"}).out, help.out);
  // A wrong command gets the whole usage; wrong arguments of a command a line of it.
  EXPECT_NE(run({"frobnicate"}).err.find(help.out), std::string::npos);
  Result bad = tool({"write", "com.a", "k", "-int", "x"});
  EXPECT_EQ(bad.status, 2);
  EXPECT_NE(bad.err.find("usage: kavro-defaults"), std::string::npos);
  EXPECT_NE(bad.err.find("kavro-defaults help"), std::string::npos);
  EXPECT_EQ(bad.err.find("read-type"), std::string::npos);
  expectResult(run({"help", "write"}), 2, "help takes no arguments");
}

}  // namespace defaults_commands_test
