// Data folders that change under the command, are missing, or are large.
#include "tests/e2e/CommandFixture.h"

#include <cstdio>

using namespace testing_support;

namespace {

void Cancel(HWND d) { PostMessageA(d, WM_CLOSE, 0, 0); }

std::vector<std::string> Paths(HWND tree) {
  // Caption paths, which with the fixture's names are the directory names.
  std::vector<driver::TreeItem> items = driver::Items(tree);
  std::vector<std::string> out, stack;
  for (const auto &i : items) {
    stack.resize(i.Depth);
    stack.push_back(i.Caption);
    std::string p;
    for (const auto &s : stack)
      p += (p.empty() ? "" : "/") + s;
    out.push_back(p);
  }
  return out;
}

bool Has(const std::vector<std::string> &v, const std::string &s) { return std::find(v.begin(), v.end(), s) != v.end(); }

} // namespace

TEST_F(CommandTest, AMissingOrEmptyDataFolderGivesAnEmptyTree) {
  TempDir empty("empty");
  for (std::string folder : {Data() + "no such folder\\", empty.Path()}) {
    SCOPED_TRACE(folder);
    fakehost::Host().DataFolder = folder;
    size_t count = 1;
    RunCommand([&](HWND d) {
      count = driver::Items(driver::Tree(d)).size();
      driver::Click(driver::Button(d, driver::MoveCaption)); // nothing to choose: stays open
      Cancel(d);
    });
    EXPECT_EQ(0u, count);
    EXPECT_TRUE(Moves().empty());
  }
}

TEST_F(CommandTest, FoldersRemovedOrAddedBetweenRunsShowInTheirNewState) {
  std::vector<std::string> first, second;
  RunCommand([&](HWND d) {
    first = Paths(driver::Tree(d));
    Cancel(d);
  });
  RemoveTree(Data() + "box1.mb\\sub");
  MakeDirs(Data() + "box2.mb\\new\\inner");
  RunCommand([&](HWND d) {
    second = Paths(driver::Tree(d));
    Cancel(d);
  });
  EXPECT_TRUE(Has(first, "box1/sub/deep"));
  EXPECT_FALSE(Has(second, "box1/sub"));
  EXPECT_FALSE(Has(second, "box1/sub/deep"));
  EXPECT_TRUE(Has(second, "box2/new/inner"));
}

TEST_F(CommandTest, FoldersRemovedAndAddedDuringTheScanDoNoHarm) {
  // The host is asked for display names while the scan runs: change the
  // disk from there, in the middle of the walk.
  MakeDirs(Data() + "box1.mb\\sub\\a\\b\\c");
  MakeDirs(Data() + "box1.mb\\zz\\y");
  const std::string data = Data();
  fakehost::Host().DisplayName = [data](const std::string &id) -> const char * {
    if (id == "box1.mb\\sub\\") {
      RemoveTree(data + "box1.mb\\sub\\a");
      RemoveTree(data + "box1.mb\\zz");
      MakeDirs(data + "box1.mb\\sub\\late\\later");
      MakeDirs(data + "box2.mb\\added");
    }
    return fakehost::DefaultDisplayName(id);
  };
  std::vector<std::string> seen;
  RunCommand([&](HWND d) {
    seen = Paths(driver::Tree(d));
    HWND tree = driver::Tree(d);
    driver::Select(tree, driver::FindItem(tree, "box/sub"));
    driver::Click(driver::Button(d, driver::MoveCaption));
  });
  // What the search still returned is listed; what was gone is not
  // entered; the dialog works as usual.
  EXPECT_FALSE(Has(seen, "box/sub/a/b"));
  ASSERT_EQ(1u, Moves().size());
  EXPECT_EQ("box1.mb\\sub\\", Moves()[0].Text);
}

TEST_F(CommandTest, FiveThousandSiblingsAreAllListedInOrder) {
  char name[64];
  for (int i = 0; i < 5000; ++i) {
    std::snprintf(name, sizeof name, "box2.mb\\f%05d", (i * 7919) % 5000); // created out of order
    CreateDirectoryA((Data() + name).c_str(), nullptr);
  }
  std::vector<driver::TreeItem> items;
  DWORD shownAfter = 0, start = GetTickCount();
  RunCommand(
      [&](HWND d) {
        shownAfter = GetTickCount() - start;
        items = driver::Items(driver::Tree(d));
        Cancel(d);
      },
      60000);
  std::printf("5,000 siblings: dialog shown after %lu ms\n", shownAfter);
  std::vector<std::string> children;
  for (const auto &i : items)
    if (i.Depth == 1 && i.Caption.size() == 6 && i.Caption[0] == 'f')
      children.push_back(i.Caption);
  ASSERT_EQ(5000u, children.size());
  EXPECT_TRUE(std::is_sorted(children.begin(), children.end()));
  EXPECT_EQ("f00000", children.front());
  EXPECT_EQ("f04999", children.back());
}
