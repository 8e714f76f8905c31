// The setup dialog through the real library.
#include "tests/e2e/DialogDriver.h"
#include "tests/e2e/PluginHarness.h"

#include <gtest/gtest.h>

#include <functional>

using namespace testing_support;

namespace {

// Captions in Shift-JIS.
const char FolderBox[] = "\x91\x4f\x89\xf1\x91\x49\x91\xf0\x82\xb5\x82\xbd\x83\x74\x83\x48\x83\x8b\x83\x5f\x82\xf0\x8a\x4a\x82\xad";
const char MListBox[] = "\x83\x81\x81\x5b\x83\x8b\x83\x8a\x83\x58\x83\x67\x82\xcc\x83\x52\x83\x93\x83\x65\x83\x4c\x83\x58\x83"
                        "\x67\x83\x81\x83\x6a\x83\x85\x81\x5b\x82\xc9\x92\xc7\x89\xc1\x82\xb7\x82\xe9";
const char MViewBox[] = "\x83\x81\x81\x5b\x83\x8b\x96\x7b\x95\xb6\x95\x5c\x8e\xa6\x82\xcc\x83\x52\x83\x93\x83\x65\x83\x4c\x83"
                        "\x58\x83\x67\x83\x81\x83\x6a\x83\x85\x81\x5b\x82\xc9\x92\xc7\x89\xc1\x82\xb7\x82\xe9";
const char TopItem[] = "\x90\xe6\x93\xaa\x82\xc9\x92\xc7\x89\xc1"; // 先頭に追加
const char EndItem[] = "\x96\x96\x94\xf6\x82\xc9\x92\xc7\x89\xc1"; // 末尾に追加

bool Checked(HWND button) { return SendMessageA(button, BM_GETCHECK, 0, 0) == BST_CHECKED; }

// What the dialog shows, read from its controls.
struct Shown {
  bool folder, mlist, mview;
  int mlistTop, mviewTop; // -1, 0, 1
};

// The two radio items of the group at index `group` (0 mail list, 1
// message view), in creation order.
std::vector<HWND> RadioItems(HWND dialog, const char *caption) {
  std::vector<HWND> out;
  for (HWND c = FindWindowExA(dialog, nullptr, "Button", caption); c; c = FindWindowExA(dialog, c, "Button", caption))
    out.push_back(c);
  return out;
}

Shown Read(HWND d) {
  auto tops = RadioItems(d, TopItem), ends = RadioItems(d, EndItem);
  auto index = [&](int g) { return Checked(tops.at(g)) ? 0 : Checked(ends.at(g)) ? 1 : -1; };
  return {Checked(driver::Button(d, FolderBox)), Checked(driver::Button(d, MListBox)),
          Checked(driver::Button(d, MViewBox)), index(0), index(1)};
}

class SetupTest : public ::testing::Test {
protected:
  std::string Ini(const char *section, const char *key) const {
    char value[256];
    GetPrivateProfileStringA(section, key, "<none>", value, sizeof value, plugin.IniPath().c_str());
    return value;
  }
  void Set(const char *section, const char *key, const char *value) {
    WritePrivateProfileStringA(section, key, value, plugin.IniPath().c_str());
  }
  // Opens the setup, reads what it shows, runs `act` and checks that the
  // callback returned 1 and the dialog closed.
  Shown Run(std::function<void(HWND)> act) {
    Shown shown = {};
    ModalScript script;
    script.OnWindow(driver::SetupCaption, [&](HWND d) {
      shown = Read(d);
      act(d);
    });
    script.Start();
    EXPECT_EQ(1, plugin.PlugInSetup());
    EXPECT_TRUE(script.Done());
    EXPECT_FALSE(script.TimedOut());
    PumpMessages();
    return shown;
  }
  std::string Written() {
    return Ini("Current", "Mode") + Ini("Menu", "MList") + "," + Ini("Menu", "MListTop") + "," + Ini("Menu", "MView") +
           "," + Ini("Menu", "MViewTop");
  }
  PluginCopy plugin;
};

void Ok(HWND d) { driver::Click(driver::Button(d, "OK")); }

} // namespace

TEST_F(SetupTest, WithoutAFileShowsTheDefaultsAndOkWritesThem) {
  Shown s = Run(Ok);
  EXPECT_FALSE(s.folder);
  EXPECT_TRUE(s.mlist);
  EXPECT_FALSE(s.mview);
  EXPECT_EQ(0, s.mlistTop);
  EXPECT_EQ(0, s.mviewTop);
  EXPECT_EQ("0", Ini("Current", "Mode"));
  EXPECT_EQ("1", Ini("Menu", "MList"));
  EXPECT_EQ("0", Ini("Menu", "MListTop"));
  EXPECT_EQ("0", Ini("Menu", "MView"));
  EXPECT_EQ("0", Ini("Menu", "MViewTop"));
}

TEST_F(SetupTest, StoredValuesAreShownClampedAndWrittenBackNormalised) {
  struct Case {
    const char *name;
    std::vector<std::tuple<const char *, const char *, const char *>> stored;
    Shown expect;
    std::string written; // Mode MList,MListTop,MView,MViewTop
  } cases[] = {
      {"MListTop 5 selects the end", {{"Menu", "MListTop", "5"}}, {false, true, false, 1, 0}, "01,1,0,0"},
      {"MListTop -3 selects neither", {{"Menu", "MListTop", "-3"}}, {false, true, false, -1, 0}, "01,-1,0,0"},
      {"MList 2 and MView yes", {{"Menu", "MList", "2"}, {"Menu", "MView", "yes"}}, {false, true, false, 0, 0},
       "01,0,0,0"},
      {"Mode on, MView on at the end",
       {{"Current", "Mode", "1"}, {"Menu", "MView", "1"}, {"Menu", "MViewTop", "1"}},
       {true, true, true, 0, 1},
       "11,0,1,1"},
      {"hex and blanks", {{"Menu", "MList", "0x0"}, {"Menu", "MViewTop", " $1"}}, {false, false, false, 0, 1},
       "00,0,0,1"},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.name);
    DeleteFileA(plugin.IniPath().c_str());
    for (const auto &v : c.stored)
      Set(std::get<0>(v), std::get<1>(v), std::get<2>(v));
    Shown s = Run(Ok);
    EXPECT_EQ(c.expect.folder, s.folder);
    EXPECT_EQ(c.expect.mlist, s.mlist);
    EXPECT_EQ(c.expect.mview, s.mview);
    EXPECT_EQ(c.expect.mlistTop, s.mlistTop);
    EXPECT_EQ(c.expect.mviewTop, s.mviewTop);
    EXPECT_EQ(c.written, Written());
  }
}

TEST_F(SetupTest, UncheckingAndChoosingTheEndIsWrittenOnOk) {
  Run([](HWND d) {
    driver::Click(driver::Button(d, MListBox));
    driver::Click(RadioItems(d, EndItem).at(0));
    Ok(d);
  });
  EXPECT_EQ("0", Ini("Menu", "MList"));
  EXPECT_EQ("1", Ini("Menu", "MListTop"));
}

TEST_F(SetupTest, EscCancelAndTheCloseBoxWriteNothing) {
  struct Case {
    const char *name;
    std::function<void(HWND)> close;
  } cases[] = {
      {"Esc", [](HWND) { driver::PostKey(VK_ESCAPE); }},
      {"Cancel", [](HWND d) { driver::Click(driver::Button(d, driver::CancelCaption)); }},
      {"close box", [](HWND d) { PostMessageA(d, WM_SYSCOMMAND, SC_CLOSE, 0); }},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.name);
    Run([&](HWND d) {
      driver::Click(driver::Button(d, FolderBox));
      driver::Click(RadioItems(d, EndItem).at(1));
      c.close(d);
    });
    EXPECT_FALSE(FileExists(plugin.IniPath()));
  }
}

TEST_F(SetupTest, EnterPressesOk) {
  Run([](HWND d) {
    driver::Click(driver::Button(d, FolderBox));
    SetFocus(driver::Button(d, FolderBox));
    driver::PostKey(VK_RETURN);
  });
  EXPECT_EQ("1", Ini("Current", "Mode"));
}

TEST_F(SetupTest, ItIsLaidOutAsDesigned) {
  struct Expect {
    const char *caption;
    RECT client; // left, top, right, bottom
  };
  RECT clientArea = {};
  std::vector<std::pair<const char *, RECT>> seen;
  bool owned = true;
  RECT outer = {};
  Run([&](HWND d) {
    GetClientRect(d, &clientArea);
    owned = GetWindow(d, GW_OWNER) != nullptr;
    outer = driver::WindowRect(d);
    for (const char *caption : {FolderBox, MListBox, MViewBox, "OK", driver::CancelCaption})
      seen.push_back({caption, driver::ClientRectOf(driver::Button(d, caption))});
    PostMessageA(d, WM_CLOSE, 0, 0);
  });
  EXPECT_EQ(306, clientArea.right);
  EXPECT_EQ(268, clientArea.bottom);
  EXPECT_FALSE(owned);
  // Centred on the screen.
  EXPECT_EQ((GetSystemMetrics(SM_CXSCREEN) - (outer.right - outer.left)) / 2, outer.left);
  const Expect expected[] = {{FolderBox, {16, 16, 201, 33}},
                             {MListBox, {16, 56, 281, 73}},
                             {MViewBox, {16, 144, 297, 161}},
                             {"OK", {79, 236, 154, 261}},
                             {driver::CancelCaption, {159, 236, 234, 261}}};
  for (size_t i = 0; i < seen.size(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_TRUE(EqualRect(&expected[i].client, &seen[i].second));
  }
}

TEST_F(SetupTest, AChangeShowsAtTheNextMenuFill) {
  Run([](HWND d) {
    driver::Click(driver::Button(d, MViewBox));
    driver::Click(RadioItems(d, EndItem).at(1));
    Ok(d);
  });
  HMENU menu = CreatePopupMenu();
  AppendMenuA(menu, MF_STRING, 1, "host item");
  plugin.MenuInit(menu, 3);
  EXPECT_EQ(2, GetMenuItemCount(menu));
  EXPECT_EQ(1u, GetMenuItemID(menu, 0));      // appended at the end
  EXPECT_EQ(40001u, GetMenuItemID(menu, 1));
  DestroyMenu(menu);
}

TEST_F(SetupTest, TabWalksTheControlsInOrderWithoutChangingTheGroups) {
  Set("Menu", "MListTop", "-3"); // no item selected
  Set("Menu", "MViewTop", "1");
  std::vector<HWND> expected, seen;
  Shown after = {};
  ModalScript script;
  script.OnWindow(driver::SetupCaption, [&](HWND d) {
    auto tops = RadioItems(d, TopItem), ends = RadioItems(d, EndItem);
    // Tab enters a radio group at its selected item; a group with none
    // selected has no stop.
    expected = {driver::Button(d, FolderBox), driver::Button(d, MListBox), driver::Button(d, MViewBox), ends.at(1),
                driver::Button(d, "OK"), driver::Button(d, driver::CancelCaption), driver::Button(d, FolderBox),
                driver::Button(d, MListBox)};
    seen.push_back(GetFocus());
  });
  driver::AddTabPresses(script, 7, seen);
  script.OnWindow(driver::SetupCaption, [&](HWND d) {
    after = Read(d);
    PostMessageA(d, WM_CLOSE, 0, 0);
  });
  script.Start(30);
  EXPECT_EQ(1, plugin.PlugInSetup());
  ASSERT_EQ(expected.size(), seen.size());
  for (size_t i = 0; i < seen.size(); ++i)
    EXPECT_EQ(expected[i], seen[i]) << "tab stop " << i;
  EXPECT_EQ(-1, after.mlistTop);
  EXPECT_EQ(1, after.mviewTop);
}
