// Filling the host's context menus, through the real library.
#include "tests/e2e/PluginHarness.h"

#include <gtest/gtest.h>

using namespace testing_support;

namespace {

// "メールの移動/コピー" and "メールの移動/コピー(&M)..." in Shift-JIS.
const std::string Comment = "\x83\x81\x81\x5B\x83\x8B\x82\xCC\x88\xDA\x93\xAE/\x83\x52\x83\x73\x81\x5B";
const std::string Caption = Comment + "(&M)...";

// A popup menu that already holds two items, destroyed with the test.
class HostMenu {
public:
  HostMenu() : menu_(CreatePopupMenu()) {
    AppendMenuA(menu_, MF_STRING, 1, "first");
    AppendMenuA(menu_, MF_STRING, 2, "last");
  }
  ~HostMenu() { DestroyMenu(menu_); }
  HostMenu(const HostMenu &) = delete;
  HostMenu &operator=(const HostMenu &) = delete;
  HMENU Handle() const { return menu_; }
  int Count() const { return GetMenuItemCount(menu_); }
  std::string Text(int pos) const {
    char text[256] = "";
    GetMenuStringA(menu_, pos, text, sizeof text, MF_BYPOSITION);
    return text;
  }
  UINT Id(int pos) const { return GetMenuItemID(menu_, pos); }
  UINT State(int pos) const { return GetMenuState(menu_, pos, MF_BYPOSITION); }

private:
  HMENU menu_;
};

class MenuTest : public ::testing::Test {
protected:
  void Set(const char *key, const char *value) {
    WritePrivateProfileStringA("Menu", key, value, plugin.IniPath().c_str());
  }
  PluginCopy plugin;
};

} // namespace

TEST_F(MenuTest, SettingsDecideWhetherAndWhereTheItemGoes) {
  struct Case {
    const char *name;
    std::vector<std::pair<const char *, const char *>> settings;
    int menuType;
    int expectAt; // 0 first, 2 last (after the two host items), -1 not added
  } cases[] = {
      {"no file, mail list: first", {}, 1, 0},
      {"no file, message view: nothing", {}, 3, -1},
      {"MList false", {{"MList", "0"}}, 1, -1},
      {"MList not a number: default true", {{"MList", "yes"}}, 1, 0},
      {"MView true, MViewTop 0", {{"MView", "1"}, {"MViewTop", "0"}}, 3, 0},
      {"MView 2 is true", {{"MView", "2"}}, 3, 0},
      {"MListTop 1: last", {{"MListTop", "1"}}, 1, 2},
      {"MListTop -1: last", {{"MListTop", "-1"}}, 1, 2},
      {"MListTop 7: last", {{"MListTop", "7"}}, 1, 2},
      {"MListTop $0: first", {{"MListTop", "$0"}}, 1, 0},
      {"MViewTop 2: last", {{"MView", "1"}, {"MViewTop", "2"}}, 3, 2},
      {"MListTop is not read for the message view", {{"MView", "1"}, {"MListTop", "1"}}, 3, 0},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.name);
    DeleteFileA(plugin.IniPath().c_str());
    for (const auto &kv : c.settings)
      Set(kv.first, kv.second);
    fakehost::Host().Calls.clear();
    fakehost::Host().NextCommandId = 777;
    HostMenu menu;
    EXPECT_EQ(0, plugin.MenuInit(menu.Handle(), c.menuType));
    auto registrations = fakehost::Host().CallsOf("LVA_RegisterCommand");
    if (c.expectAt < 0) {
      EXPECT_TRUE(fakehost::Host().Calls.empty());
      EXPECT_EQ(2, menu.Count());
      continue;
    }
    ASSERT_EQ(1u, registrations.size());
    EXPECT_EQ(Comment, registrations[0].Text);
    EXPECT_EQ(19u, registrations[0].Text.size());
    EXPECT_EQ(c.menuType, registrations[0].Number);
    ASSERT_EQ(3, menu.Count());
    EXPECT_EQ(Caption, menu.Text(c.expectAt));
    EXPECT_EQ(26u, menu.Text(c.expectAt).size());
    EXPECT_EQ(777u, menu.Id(c.expectAt));
    EXPECT_EQ(0u, menu.State(c.expectAt) & (MF_SEPARATOR | MF_GRAYED | MF_CHECKED));
    EXPECT_EQ("first", menu.Text(c.expectAt == 0 ? 1 : 0));
  }
}

TEST_F(MenuTest, OtherMenuTypesTouchNothing) {
  for (int type : {0, 2, 4, -1, 100}) {
    SCOPED_TRACE(type);
    HostMenu menu;
    EXPECT_EQ(0, plugin.MenuInit(menu.Handle(), type));
    EXPECT_EQ(2, menu.Count());
    EXPECT_TRUE(fakehost::Host().Calls.empty());
  }
  // Nothing read either: a settings file that is a folder would not matter,
  // and none is created.
  EXPECT_FALSE(FileExists(plugin.IniPath()));
}

TEST_F(MenuTest, EachFillRegistersAnewAndItsItemCarriesItsOwnIdentifier) {
  HostMenu first, second;
  plugin.MenuInit(first.Handle(), 1);
  plugin.MenuInit(second.Handle(), 1);
  auto registrations = fakehost::Host().CallsOf("LVA_RegisterCommand");
  ASSERT_EQ(2u, registrations.size());
  EXPECT_EQ(40001u, first.Id(0));
  EXPECT_EQ(40002u, second.Id(0));
}

TEST_F(MenuTest, AFillWithoutSettingsLeavesNoFileBehind) {
  HostMenu menu;
  plugin.MenuInit(menu.Handle(), 1);
  plugin.MenuInit(menu.Handle(), 3);
  EXPECT_FALSE(FileExists(plugin.IniPath()));
}

TEST_F(MenuTest, ChoosingTheItemRunsTheRegisteredCommand) {
  HostMenu menu;
  plugin.MenuInit(menu.Handle(), 1);
  ASSERT_TRUE(fakehost::Host().LastCallback);
  // The command asks the host for the mailbox and the data folder first;
  // an empty data folder gives an empty tree, and the dialog is closed.
  ModalScript script;
  script.OnWindow("Parcelon", [](HWND d) { PostMessageA(d, WM_CLOSE, 0, 0); });
  script.Start();
  fakehost::Host().Calls.clear();
  fakehost::Host().LastCallback(0, 0);
  EXPECT_TRUE(script.Done());
  auto calls = fakehost::Host().Calls;
  ASSERT_EQ(2u, calls.size());
  EXPECT_EQ("LVA_GetCurrentMailBox", calls[0].Function);
  EXPECT_EQ("LVA_GetDataFolder", calls[1].Function);
}
