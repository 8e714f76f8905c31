// The move/copy command end to end: the real library in a program playing
// the host, the folder dialog driven from inside its modal loop, the
// settings file and the host calls checked afterwards.
#include "tests/e2e/CommandFixture.h"

using namespace testing_support;
using driver::Button;
using driver::Click;
using driver::Tree;

namespace {

struct Bounds {
  long Left, Top, Width, Height;
};
Bounds BoundsOf(HWND hwnd) {
  RECT r = driver::WindowRect(hwnd);
  return {r.left, r.top, r.right - r.left, r.bottom - r.top};
}

// Where the form library centres a 393 x 301 dialog on this screen.
Bounds Centred(long width = 393, long height = 301) {
  return {std::max(0L, (GetSystemMetrics(SM_CXSCREEN) - width) / 2),
          std::max(0L, (GetSystemMetrics(SM_CYSCREEN) - height) / 2), width, height};
}

} // namespace

TEST_F(CommandTest, FirstRunOpensCentredWithNothingSelectedAndCancelSavesBounds) {
  Bounds seen = {};
  std::string selected = "not read";
  RunCommand([&](HWND dialog) {
    seen = BoundsOf(dialog);
    selected = driver::SelectedPath(Tree(dialog));
    Click(Button(dialog, driver::CancelCaption));
  });
  const Bounds c = Centred();
  EXPECT_EQ(c.Left, seen.Left);
  EXPECT_EQ(c.Top, seen.Top);
  EXPECT_EQ(393, seen.Width);
  EXPECT_EQ(301, seen.Height);
  EXPECT_EQ("", selected);
  EXPECT_EQ(std::to_string(c.Top), Ini("Window", "Top"));
  EXPECT_EQ(std::to_string(c.Left), Ini("Window", "Left"));
  EXPECT_EQ("301", Ini("Window", "Height"));
  EXPECT_EQ("393", Ini("Window", "Width"));
  EXPECT_EQ("", Ini("Current", "box1")); // present and empty
  EXPECT_TRUE(Moves().empty());
}

TEST_F(CommandTest, AsksTheHostForMailboxAndDataFolderAndShowsTheSortedTree) {
  std::vector<driver::TreeItem> items;
  RunCommand([&](HWND dialog) {
    items = driver::Items(Tree(dialog));
    Click(Button(dialog, driver::CancelCaption));
  });
  std::string listing;
  for (const auto &i : items)
    listing += std::string(i.Depth * 2, ' ') + i.Caption + " " + std::to_string(i.Image) + "\n";
  EXPECT_EQ("box1 0\n"
            "  !!!!Inbox 2\n"
            "  sub 1\n"
            "    deep 1\n"
            "box2 0\n"
            "  other 1\n",
            listing);
  const auto &calls = fakehost::Host().Calls;
  ASSERT_GE(calls.size(), 2u);
  EXPECT_EQ("LVA_GetCurrentMailBox", calls[0].Function);
  EXPECT_EQ("LVA_GetDataFolder", calls[1].Function);
}

TEST_F(CommandTest, StoredBoundsFollowTheMinusOneRuleAndTheMinimumSize) {
  struct Case {
    const char *name;
    std::vector<std::pair<const char *, const char *>> stored;
    Bounds expected; // Left -1: centred at the designed size
  } cases[] = {
      {"Top -1 with the others present: centred", {{"Top", "-1"}, {"Left", "10"}, {"Height", "500"}, {"Width", "600"}},
       {-1, 0, 393, 301}},
      {"Top $FFFFFFFF reads as -1", {{"Top", "$FFFFFFFF"}, {"Left", "10"}}, {-1, 0, 393, 301}},
      {"Top the integer rule rejects: no position saved", {{"Top", "1F"}, {"Left", "10"}}, {-1, 0, 393, 301}},
      {"Top alone keeps the designed left and size", {{"Top", "50"}}, {192, 50, 393, 301}},
      {"all four", {{"Top", "40"}, {"Left", "30"}, {"Height", "400"}, {"Width", "500"}}, {30, 40, 500, 400}},
      {"too small becomes the minimum", {{"Top", "20"}, {"Left", "30"}, {"Height", "50"}, {"Width", "100"}},
       {30, 20, 350, 150}},
      {"off screen is kept", {{"Top", "-200"}, {"Left", "3000"}}, {3000, -200, 393, 301}},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.name);
    DeleteFileA(plugin.IniPath().c_str());
    for (const auto &kv : c.stored)
      SetIni("Window", kv.first, kv.second);
    Bounds seen = {};
    RunCommand([&](HWND dialog) {
      seen = BoundsOf(dialog);
      Click(Button(dialog, driver::CancelCaption));
    });
    const Bounds want = c.expected.Left == -1 ? Centred() : c.expected;
    EXPECT_EQ(want.Left, seen.Left);
    EXPECT_EQ(want.Top, seen.Top);
    EXPECT_EQ(want.Width, seen.Width);
    EXPECT_EQ(want.Height, seen.Height);
    // Closed without moving: saved as shown.
    EXPECT_EQ(std::to_string(want.Top), Ini("Window", "Top"));
    EXPECT_EQ(std::to_string(want.Left), Ini("Window", "Left"));
    EXPECT_EQ(std::to_string(want.Height), Ini("Window", "Height"));
    EXPECT_EQ(std::to_string(want.Width), Ini("Window", "Width"));
  }
}

TEST_F(CommandTest, MoveAndCopyPassTheFolderIdWithTheirFlag) {
  struct Case {
    const char *button;
    int flag;
  } cases[] = {{driver::MoveCaption, 0}, {driver::CopyCaption, -1}};
  for (const Case &c : cases) {
    SCOPED_TRACE(c.button);
    RunCommand([&](HWND dialog) {
      HWND tree = Tree(dialog);
      driver::Select(tree, driver::FindItem(tree, "box1/sub"));
      Click(Button(dialog, c.button));
    });
    auto moves = Moves();
    ASSERT_EQ(1u, moves.size());
    EXPECT_EQ("box1.mb\\sub\\", moves[0].Text);
    EXPECT_EQ(c.flag, moves[0].Number);
    EXPECT_EQ(Data() + "box1.mb\\sub\\", Ini("Current", "box1"));
  }
}

TEST_F(CommandTest, AMailboxNodeIsAValidChoice) {
  RunCommand([&](HWND dialog) {
    HWND tree = Tree(dialog);
    driver::Select(tree, driver::FindItem(tree, "box2"));
    Click(Button(dialog, driver::CopyCaption));
  });
  auto moves = Moves();
  ASSERT_EQ(1u, moves.size());
  EXPECT_EQ("box2.mb\\", moves[0].Text);
  EXPECT_EQ(-1, moves[0].Number);
}

TEST_F(CommandTest, MoveWithoutSelectionKeepsTheDialogOpen) {
  bool stayedOpen = false;
  RunCommand([&](HWND dialog) {
    Click(Button(dialog, driver::MoveCaption));
    Click(Button(dialog, driver::CopyCaption));
    stayedOpen = IsWindowVisible(dialog) != FALSE;
    // The modal loop is still running; choose a folder now.
    HWND tree = Tree(dialog);
    driver::Select(tree, driver::FindItem(tree, "box1/sub/deep"));
    Click(Button(dialog, driver::MoveCaption));
  });
  EXPECT_TRUE(stayedOpen);
  auto moves = Moves();
  ASSERT_EQ(1u, moves.size());
  EXPECT_EQ("box1.mb\\sub\\deep\\", moves[0].Text);
  EXPECT_EQ(0, moves[0].Number);
}

TEST_F(CommandTest, EscAndTheWindowFrameCloseLikeCancel) {
  struct Case {
    const char *name;
    std::function<void(HWND)> close;
  } cases[] = {
      {"Esc", [](HWND) { driver::PostKey(VK_ESCAPE); }},
      {"close box", [](HWND d) { PostMessageA(d, WM_SYSCOMMAND, SC_CLOSE, 0); }},
      {"WM_CLOSE", [](HWND d) { PostMessageA(d, WM_CLOSE, 0, 0); }},
      {"Cancel", [](HWND d) { Click(Button(d, driver::CancelCaption)); }},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.name);
    DeleteFileA(plugin.IniPath().c_str());
    RunCommand([&](HWND dialog) {
      HWND tree = Tree(dialog);
      driver::Select(tree, driver::FindItem(tree, "box1/sub"));
      c.close(dialog);
    });
    EXPECT_TRUE(Moves().empty());
    EXPECT_NE("<none>", Ini("Window", "Top"));
    EXPECT_EQ("", Ini("Current", "box1"));
  }
}

TEST_F(CommandTest, KeyboardChoosesWithEnterAndTheAccelerators) {
  SetIni("Current", "Mode", "1");
  SetIni("Current", "box1", Data() + "box1.mb\\sub\\");
  struct Case {
    const char *name;
    std::function<void(HWND)> press;
    int flag;
  } cases[] = {
      {"Enter on the tree presses Move", [](HWND) { driver::PostKey(VK_RETURN); }, 0},
      {"Alt+M", [](HWND d) { driver::PostAltChar(d, 'm'); }, 0},
      {"Alt+C", [](HWND d) { driver::PostAltChar(d, 'c'); }, -1},
      {"Enter on the focused Copy button",
       [](HWND d) {
         SetFocus(Button(d, driver::CopyCaption));
         driver::PostKey(VK_RETURN);
       },
       -1},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.name);
    RunCommand([&](HWND dialog) { c.press(dialog); });
    auto moves = Moves();
    ASSERT_EQ(1u, moves.size());
    EXPECT_EQ("box1.mb\\sub\\", moves[0].Text);
    EXPECT_EQ(c.flag, moves[0].Number);
  }
}

TEST_F(CommandTest, TabMovesTheFocusTreeMoveCopyCancel) {
  std::vector<HWND> order;
  HWND tree = nullptr, move = nullptr, copy = nullptr, cancel = nullptr;
  ModalScript script;
  script.OnWindow(driver::SelectCaption, [&](HWND d) {
    tree = Tree(d);
    move = Button(d, driver::MoveCaption);
    copy = Button(d, driver::CopyCaption);
    cancel = Button(d, driver::CancelCaption);
    order.push_back(GetFocus());
  });
  driver::AddTabPresses(script, 4, order);
  script.OnWindow(driver::SelectCaption, [](HWND d) { PostMessageA(d, WM_CLOSE, 0, 0); });
  script.Start(30);
  plugin.RunCommand();
  ASSERT_EQ(5u, order.size());
  EXPECT_EQ(tree, order[0]);
  EXPECT_EQ(move, order[1]);
  EXPECT_EQ(copy, order[2]);
  EXPECT_EQ(cancel, order[3]);
  EXPECT_EQ(tree, order[4]);
}

TEST_F(CommandTest, ModeTruePreselectsTheRememberedFolderOrTheFallback) {
  SetIni("Current", "Mode", "1");
  SetIni("Current", "Folder", Data() + "box2.mb\\other\\");
  struct Case {
    const char *name;
    const char *stored; // under the mailbox's key; null: absent
    std::string expectSelected;
    std::string expectSavedAfterCancel;
  } cases[] = {
      {"key absent: Folder", nullptr, "box2/other", Data() + "box2.mb\\other\\"},
      {"key empty: Folder", "", "box2/other", Data() + "box2.mb\\other\\"},
      {"key names a folder", "box1.mb\\sub\\deep\\", "box1/sub/deep", Data() + "box1.mb\\sub\\deep\\"},
      {"key names a folder that is gone", "box1.mb\\gone\\", "", Data() + "box1.mb\\gone\\"},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.name);
    if (c.stored)
      SetIni("Current", "box1", *c.stored ? Data() + c.stored : std::string());
    else
      WritePrivateProfileStringA("Current", "box1", nullptr, plugin.IniPath().c_str());
    std::string selected;
    RunCommand([&](HWND dialog) {
      selected = driver::SelectedPath(Tree(dialog));
      Click(Button(dialog, driver::CancelCaption));
    });
    EXPECT_EQ(c.expectSelected, selected);
    EXPECT_EQ(c.expectSavedAfterCancel, Ini("Current", "box1"));
    EXPECT_TRUE(Moves().empty());
  }
}

TEST_F(CommandTest, ModeFalseCarriesTheLastChoiceIntoAnotherMailboxsKey) {
  RunCommand([&](HWND dialog) {
    HWND tree = Tree(dialog);
    driver::Select(tree, driver::FindItem(tree, "box1/sub"));
    Click(Button(dialog, driver::MoveCaption));
  });
  fakehost::Host().CurrentMailBox = "box2";
  std::string selected = "not read";
  RunCommand([&](HWND dialog) {
    selected = driver::SelectedPath(Tree(dialog));
    Click(Button(dialog, driver::CancelCaption));
  });
  EXPECT_EQ("", selected); // nothing preselected with Mode false
  EXPECT_EQ(Data() + "box1.mb\\sub\\", Ini("Current", "box2"));
  EXPECT_TRUE(Moves().empty());
}

TEST_F(CommandTest, ADialogClosedMaximisedReopensNormalWithThatRectangle) {
  RECT maximised = {};
  RunCommand([&](HWND dialog) {
    ShowWindow(dialog, SW_MAXIMIZE);
    maximised = driver::WindowRect(dialog);
    Click(Button(dialog, driver::CancelCaption));
  });
  EXPECT_EQ(std::to_string(maximised.top), Ini("Window", "Top"));
  EXPECT_EQ(std::to_string(maximised.right - maximised.left), Ini("Window", "Width"));
  bool zoomed = true;
  RECT again = {};
  RunCommand([&](HWND dialog) {
    zoomed = IsZoomed(dialog) != FALSE;
    again = driver::WindowRect(dialog);
    Click(Button(dialog, driver::CancelCaption));
  });
  EXPECT_FALSE(zoomed);
  EXPECT_TRUE(EqualRect(&maximised, &again));
}

TEST_F(CommandTest, AMinimisedDialogSavesItsRestoredRectangle) {
  SetIni("Window", "Top", "100");
  SetIni("Window", "Left", "120");
  RunCommand([&](HWND dialog) {
    ShowWindow(dialog, SW_MINIMIZE);
    Click(Button(dialog, driver::CancelCaption));
  });
  EXPECT_EQ("100", Ini("Window", "Top"));
  EXPECT_EQ("120", Ini("Window", "Left"));
  EXPECT_EQ("393", Ini("Window", "Width"));
  EXPECT_EQ("301", Ini("Window", "Height"));
}

TEST_F(CommandTest, TheHostsWindowsAreDisabledWhileTheDialogIsShown) {
  HWND host = CreateWindowExA(0, "STATIC", "host window", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 200, 100, nullptr,
                              nullptr, nullptr, nullptr);
  ASSERT_TRUE(host);
  bool enabledDuring = true;
  RunCommand([&](HWND dialog) {
    enabledDuring = IsWindowEnabled(host) != FALSE;
    Click(Button(dialog, driver::CancelCaption));
  });
  EXPECT_FALSE(enabledDuring);
  EXPECT_TRUE(IsWindowEnabled(host));
  DestroyWindow(host);
}

TEST_F(CommandTest, ResizingKeepsTheMinimumSizeAndTheAnchors) {
  RECT tree0 = {}, move0 = {}, copy0 = {}, cancel0 = {}, client0 = {};
  RECT tree1 = {}, move1 = {}, copy1 = {}, cancel1 = {}, client1 = {};
  Bounds tiny = {};
  RunCommand([&](HWND dialog) {
    HWND tree = Tree(dialog), move = Button(dialog, driver::MoveCaption), copy = Button(dialog, driver::CopyCaption),
         cancel = Button(dialog, driver::CancelCaption);
    GetClientRect(dialog, &client0);
    tree0 = driver::ClientRectOf(tree);
    move0 = driver::ClientRectOf(move);
    copy0 = driver::ClientRectOf(copy);
    cancel0 = driver::ClientRectOf(cancel);
    RECT w = driver::WindowRect(dialog);
    MoveWindow(dialog, w.left, w.top, 100, 50, TRUE);
    tiny = BoundsOf(dialog);
    MoveWindow(dialog, w.left, w.top, 640, 480, TRUE);
    GetClientRect(dialog, &client1);
    tree1 = driver::ClientRectOf(tree);
    move1 = driver::ClientRectOf(move);
    copy1 = driver::ClientRectOf(copy);
    cancel1 = driver::ClientRectOf(cancel);
    Click(cancel);
  });
  EXPECT_EQ(350, tiny.Width);
  EXPECT_EQ(150, tiny.Height);
  // As laid out.
  EXPECT_EQ(8, tree0.left);
  EXPECT_EQ(8, tree0.top);
  EXPECT_EQ(move0.top - 8, tree0.bottom);
  // After growing: the tree follows all four edges, Move and Copy the
  // left and bottom, Cancel the right and bottom.
  EXPECT_EQ(8, tree1.left);
  EXPECT_EQ(8, tree1.top);
  EXPECT_EQ(client0.right - tree0.right, client1.right - tree1.right);
  EXPECT_EQ(move1.top - 8, tree1.bottom);
  for (auto pair : {std::make_pair(move0, move1), std::make_pair(copy0, copy1)}) {
    EXPECT_EQ(pair.first.left, pair.second.left);
    EXPECT_EQ(client0.bottom - pair.first.bottom, client1.bottom - pair.second.bottom);
  }
  EXPECT_EQ(client0.right - cancel0.right, client1.right - cancel1.right);
  EXPECT_EQ(client0.bottom - cancel0.bottom, client1.bottom - cancel1.bottom);
  EXPECT_EQ(cancel0.right - cancel0.left, cancel1.right - cancel1.left);
  // The resized bounds are what is saved.
  EXPECT_EQ("640", Ini("Window", "Width"));
  EXPECT_EQ("480", Ini("Window", "Height"));
}

namespace {
// Holds a key down in this thread's keyboard state (what GetKeyState reads).
void HoldKey(BYTE vk, bool down) {
  BYTE keys[256];
  GetKeyboardState(keys);
  keys[vk] = down ? 0x80 : 0;
  SetKeyboardState(keys);
}
} // namespace

TEST_F(CommandTest, EnterAndEscWithAModifierHeldPressNothing) {
  SetIni("Current", "Mode", "1");
  SetIni("Current", "box1", Data() + "box1.mb\\sub\\");
  for (BYTE modifier : {VK_SHIFT, VK_CONTROL}) {
    for (UINT key : {VK_RETURN, VK_ESCAPE}) {
      SCOPED_TRACE(std::to_string(modifier) + "+" + std::to_string(key));
      bool stillOpen = false;
      ModalScript script;
      script.OnWindow(driver::SelectCaption, [&](HWND) { HoldKey(modifier, true); });
      script.Then([&] {
        driver::PostKey(key);
        return true;
      });
      script.OnWindow(driver::SelectCaption, [&](HWND d) {
        stillOpen = IsWindowVisible(d) != FALSE;
        HoldKey(modifier, false);
        PostMessageA(d, WM_CLOSE, 0, 0);
      });
      script.Start();
      plugin.RunCommand();
      PumpMessages();
      EXPECT_TRUE(stillOpen);
      EXPECT_TRUE(Moves().empty());
    }
  }
}
