// The page's files served by their paths: every file of the folder reachable,
// typed by its extension, and nothing outside it, hidden or of another kind, by
// whatever path is asked.

#include "sim/web/server/PageFolder.h"
#include "tests/support/DeviceFixture.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <random>
#include <string>
#include <vector>

namespace kavro::sim {
namespace {

namespace fs = std::filesystem;

// A page folder beside a file and a folder outside it, with links both ways.
class PageFolderTest : public ::testing::Test {
 protected:
  PageFolderTest() : root_(folder_.path() / "page") {
    for (auto& [name, text] : std::vector<std::pair<std::string, std::string>>{
             {"page/index.html", "<html>"}, {"page/app.js", "app"}, {"page/style.css", "css"},
             {"page/draw/canvas.js", "canvas"}, {"page/draw/deep/more.js", "more"}, {"page/icon.svg", "svg"},
             {"page/shot.PNG", "png"}, {"page/strings.json", "{}"}, {"page/.hidden.js", "HIDDEN"},
             {"page/.git/config.js", "HIDDEN"}, {"page/notes.txt", "HIDDEN"}, {"page/folder.js/inner.js", "inner"},
             {"outside.js", "OUTSIDE"}, {"elsewhere/secret.js", "OUTSIDE"}, {"page-sibling/app.js", "OUTSIDE"}})
      test::writeFileBytes(folder_.path() / name, test::bytesOf(text));
    fs::create_symlink("../outside.js", root_ / "out.js");
    fs::create_symlink("../elsewhere", root_ / "away");
    fs::create_symlink("draw/canvas.js", root_ / "alias.js");
    fs::create_symlink(".hidden.js", root_ / "peek.js");
  }

  // The content served at `path`, or "" for none.
  std::string served(const std::string& path) const {
    auto file = PageFolder(root_).file(path);
    return file ? file->content : "";
  }

  test::TemporaryFolder folder_;
  fs::path root_;
};

TEST_F(PageFolderTest, EveryFileIsServedByItsPathAndTypedByItsExtension) {
  PageFolder page(root_);
  struct Case {
    const char* path;
    const char* content;
    const char* type;
  };
  for (const Case& expected : std::vector<Case>{{"/", "<html>", "text/html; charset=utf-8"},
                                                {"/index.html", "<html>", "text/html; charset=utf-8"},
                                                {"/app.js", "app", "text/javascript; charset=utf-8"},
                                                {"/style.css", "css", "text/css; charset=utf-8"},
                                                {"/draw/canvas.js", "canvas", "text/javascript; charset=utf-8"},
                                                {"/draw/deep/more.js", "more", "text/javascript; charset=utf-8"},
                                                {"/icon.svg", "svg", "image/svg+xml"},
                                                {"/shot.PNG", "png", "image/png"},
                                                {"/strings.json", "{}", "application/json"},
                                                {"/folder.js/inner.js", "inner", "text/javascript; charset=utf-8"},
                                                {"/alias.js", "canvas", "text/javascript; charset=utf-8"},
                                                {"/draw%2Fcanvas.js", "canvas", "text/javascript; charset=utf-8"}}) {
    auto file = page.file(expected.path);
    ASSERT_TRUE(file) << expected.path;
    EXPECT_EQ(file->content, expected.content) << expected.path;
    EXPECT_EQ(file->contentType, expected.type) << expected.path;
  }
  // Read afresh each time: an edit shows at once.
  test::writeFileBytes(root_ / "app.js", test::bytesOf("edited"));
  EXPECT_EQ(served("/app.js"), "edited");
}

TEST_F(PageFolderTest, NothingOutsideHiddenOrOfAnotherKindIsServed) {
  for (const char* path :
       {"/../outside.js", "/%2e%2e/outside.js", "/%2E%2E%2Foutside.js", "/draw/../app.js", "/./app.js", "//app.js",
        "/draw/", "/draw", "/folder.js", "/.hidden.js", "/%2ehidden.js", "/.git/config.js", "/notes.txt", "/app.js/",
        "/app.js%00", "/app.js%", "/app.js%zz", "app.js", "", "/out.js", "/away/secret.js", "/peek.js",
        "/../page-sibling/app.js", "/draw\\canvas.js", "/missing.js", "/index.html/.."})
    EXPECT_EQ(served(path), "") << path;
}

TEST_F(PageFolderTest, WhateverAGeneratedPathReachesIsAPlainFileInsideTheFolder) {
  const std::vector<std::string> pieces = {"/",      "..",     ".",       "%2e",      "%2f",   "%2F", "%00", "%5c",
                                           "draw",   "deep",   "app.js",  "more.js",  "out.js", "away", "secret.js",
                                           ".hidden.js", ".git", "config.js", "canvas.js", "page-sibling", "\\", "x"};
  std::mt19937 random(15);
  int served = 0;
  for (int i = 0; i < 20000; ++i) {
    std::string path = "/";
    for (int count = std::uniform_int_distribution<int>(0, 6)(random); count > 0; --count)
      path += pieces[std::uniform_int_distribution<std::size_t>(0, pieces.size() - 1)(random)];
    std::string content = this->served(path);
    ASSERT_NE(content, "OUTSIDE") << path;
    ASSERT_NE(content, "HIDDEN") << path;
    served += !content.empty();
  }
  EXPECT_GT(served, 100);
}

TEST(PageFolder, AMissingFolderServesNothing) {
  EXPECT_FALSE(PageFolder("/nonexistent/page/folder").file("/"));
  EXPECT_EQ(PageFolder::contentType("archive.tar"), std::nullopt);
  EXPECT_EQ(PageFolder::contentType("Makefile"), std::nullopt);
}

}  // namespace
}  // namespace kavro::sim
