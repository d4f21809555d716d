#include "foundation/browsefolder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <unistd.h>

namespace zq {
namespace {

namespace fs = std::filesystem;

class BrowseFolder : public ::testing::Test {
 protected:
  void SetUp() override {
    root = fs::temp_directory_path() / ("zq_browse_" + std::to_string(::getpid()));
    fs::remove_all(root);
    fs::create_directories(root / "sub" / "deep");
    fs::create_directories(root / ".git");
    std::ofstream(root / "a.txt") << "aaa";
    std::ofstream(root / "b.log") << "b";
    std::ofstream(root / ".hidden.txt") << "";
    std::ofstream(root / "sub" / "c.txt") << "c";
    std::ofstream(root / "sub" / "deep" / "d.txt") << "d";
    // A link back up the tree: following it would never end.
    fs::create_directory_symlink(root, root / "sub" / "loop");
  }
  void TearDown() override { fs::remove_all(root); }

  std::vector<std::string> Walk(const std::string& mask, int attr, bool recursive, const std::string& sub = "") {
    std::vector<std::string> seen;
    ZQBrowseFolder(
        root.string(), mask, attr, sub,
        [&](const std::string& folder, const TSearchRec& f, void* data) {
          EXPECT_EQ(data, this);
          seen.push_back(folder.empty() ? f.Name : folder + "/" + f.Name);
          return true;
        },
        recursive, this);
    return seen;
  }
  fs::path root;
};

TEST_F(BrowseFolder, FilesOnlyByDefault) {
  EXPECT_EQ(Walk("*.*", 0, true), (std::vector<std::string>{"a.txt", "b.log"}));
  EXPECT_EQ(Walk("*.txt", faHidden, false), (std::vector<std::string>{".hidden.txt", "a.txt"}));
}

TEST_F(BrowseFolder, RecursesIntoAcceptedDirectoriesButNotThroughLinks) {
  std::vector<std::string> all = Walk("*", faDirectory, true);
  EXPECT_EQ(all, (std::vector<std::string>{"a.txt", "b.log", "sub", "sub/c.txt", "sub/deep", "sub/deep/d.txt",
                                           "sub/loop"}));
  // Sub-folder given: the walk starts there and names are relative to the root.
  EXPECT_EQ(Walk("*", faDirectory, false, "sub"), (std::vector<std::string>{"sub/c.txt", "sub/deep", "sub/loop"}));
}

TEST_F(BrowseFolder, CallbackDecidesAndEntriesCarryAttributes) {
  int calls = 0;
  int n = ZQBrowseFolder(root.string(), "*", faDirectory, "",
                         [&](const std::string&, const TSearchRec& f, void*) {
                           ++calls;
                           if (f.Name == "a.txt") {
                             EXPECT_EQ(f.Size, 3);
                           }
                           if (f.Name == "sub") {
                             EXPECT_TRUE(f.Attr & faDirectory);
                           }
                           return false;  // never descend
                         },
                         true);
  EXPECT_EQ(n, 3);
  EXPECT_EQ(calls, 3);
  EXPECT_EQ(ZQBrowseFolder((root / "missing").string(), "*", faAnyFile, "",
                           [](const std::string&, const TSearchRec&, void*) { return true; }, true),
            0);
}

TEST(FileMask, Wildcards) {
  EXPECT_TRUE(ZQMatchesMask("report.txt", "*.txt"));
  EXPECT_TRUE(ZQMatchesMask("noext", "*.*"));
  EXPECT_TRUE(ZQMatchesMask("a1.log", "a?.l*"));
  EXPECT_FALSE(ZQMatchesMask("a12.log", "a?.log"));
  EXPECT_FALSE(ZQMatchesMask("x.TXT", "*.txt"));
}

}  // namespace
}  // namespace zq
