// Odd answers from the host: null and empty texts, huge display names,
// mailbox strings the settings file cannot carry as they are. Nothing may
// crash, and the settings file's other lines must stay as they were.
#include "tests/e2e/CommandFixture.h"

using namespace testing_support;

namespace {
void Cancel(HWND d) { PostMessageA(d, WM_CLOSE, 0, 0); }
} // namespace

TEST_F(CommandTest, NullAndEmptyHostTextsAreUsedAsEmpty) {
  struct Case {
    const char *name;
    std::function<void()> arrange;
    size_t expectTopLevel;
  } cases[] = {
      {"mailbox null", [] { fakehost::Host().CurrentMailBoxNull = true; }, 2},
      {"mailbox empty", [] { fakehost::Host().CurrentMailBox = ""; }, 2},
      {"data folder null", [] { fakehost::Host().DataFolderNull = true; }, 0},
      {"data folder empty", [] { fakehost::Host().DataFolder = ""; }, 0},
      {"display names null", [] { fakehost::Host().DisplayName = [](const std::string &) -> const char * { return nullptr; }; }, 2},
      {"display names empty", [] { fakehost::Host().DisplayName = [](const std::string &) { return ""; }; }, 2},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.name);
    fakehost::Reset();
    SetUp(); // fresh answers
    c.arrange();
    std::vector<driver::TreeItem> items;
    RunCommand([&](HWND d) {
      items = driver::Items(driver::Tree(d));
      Cancel(d);
    });
    size_t top = 0;
    for (const auto &i : items)
      top += i.Depth == 0;
    EXPECT_EQ(c.expectTopLevel, top);
    EXPECT_TRUE(Moves().empty());
  }
  // An empty mailbox string is an empty key name, which round-trips.
  EXPECT_EQ("", Ini("Current", ""));
}

TEST_F(CommandTest, DisplayNamesOfZeroAndOneHundredThousandBytes) {
  static const std::string huge = std::string(100000, 'x') + "/tail";
  fakehost::Host().DisplayName = [](const std::string &id) -> const char * {
    return id.find("sub") != std::string::npos ? huge.c_str() : "";
  };
  std::vector<driver::TreeItem> items;
  RunCommand([&](HWND d) {
    items = driver::Items(driver::Tree(d));
    HWND tree = driver::Tree(d);
    driver::Select(tree, driver::FindItem(tree, "/tail"));
    driver::Click(driver::Button(d, driver::CopyCaption));
  });
  ASSERT_EQ(6u, items.size());
  // Chosen by its path, whatever its name.
  ASSERT_EQ(1u, Moves().size());
  EXPECT_EQ("box1.mb\\sub\\", Moves()[0].Text);
}

TEST_F(CommandTest, ADataFolderWithoutItsFinalBackslashDoesNoHarm) {
  std::string folder = Data();
  folder.pop_back();
  fakehost::Host().DataFolder = folder;
  RunCommand(Cancel); // whatever it finds, nothing crashes and it closes
  EXPECT_NE("<none>", Ini("Window", "Top"));
}

TEST_F(CommandTest, MailboxStringsTheFileCannotCarryDoNotDisturbOtherKeys) {
  const std::string x = Data() + "box1.mb\\sub\\";
  const std::string y = Data() + "box2.mb\\other\\";
  const char *mailboxes[] = {"", "a=b", "a\tb\t", "a\r\nFolder=evil", "[Window]", "a]", ";a", " a ", "a\n", "50%", "%3D"};
  for (const char *mailbox : mailboxes) {
    SCOPED_TRACE(mailbox);
    DeleteFileA(plugin.IniPath().c_str());
    SetIni("Current", "a", "plain a");
    SetIni("Current", "Folder", y);
    SetIni("Window", "Top", "33");
    fakehost::Host().CurrentMailBox = mailbox;
    // Choose X under the odd mailbox ...
    RunCommand([](HWND d) {
      HWND tree = driver::Tree(d);
      driver::Select(tree, driver::FindItem(tree, "box1/sub"));
      driver::Click(driver::Button(d, driver::MoveCaption));
    });
    // ... and no other key changed, nor a section appeared.
    EXPECT_EQ("plain a", Ini("Current", "a"));
    EXPECT_EQ(y, Ini("Current", "Folder"));
    EXPECT_EQ("<none>", Ini("Current", "b"));
    EXPECT_EQ("<none>", Ini("Current", "b=" + x));
    EXPECT_EQ("<none>", Ini("Window]", "=" + x));
    EXPECT_NE("<none>", Ini("Window", "Top"));
    // The choice comes back for the same mailbox.
    SetIni("Current", "Mode", "1");
    std::string selected;
    RunCommand([&](HWND d) {
      selected = driver::SelectedPath(driver::Tree(d));
      Cancel(d);
    });
    EXPECT_EQ("box1/sub", selected);
    EXPECT_EQ("plain a", Ini("Current", "a"));
    // Every line of the file still has the form "[section]" or "key=value".
    std::string text = ReadFile(plugin.IniPath());
    size_t start = 0;
    while (start < text.size()) {
      size_t end = text.find("\r\n", start);
      if (end == std::string::npos)
        end = text.size();
      std::string line = text.substr(start, end - start);
      if (!line.empty()) {
        EXPECT_TRUE(line.front() == '[' ? line.back() == ']' : line.find('=') != std::string::npos) << line;
      }
      EXPECT_EQ(std::string::npos, line.find('\r'));
      EXPECT_EQ(std::string::npos, line.find('\n'));
      start = end + 2;
    }
  }
}
