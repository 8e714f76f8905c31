// The form layer on its own: what the dialogs rely on that the end-to-end
// tests cannot provoke.
#include "forms/Forms.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <stdexcept>

using namespace forms;
using namespace testing_support;

namespace {

class TestForm : public Form {
public:
  TestForm()
      : Form(Layout{"form under test", {100, 100, 300, 200}, false, WS_CAPTION | WS_SYSMENU | WS_THICKFRAME, 0, 250,
                    120}) {
    button = Add<PushButton>(Rect{10, 10, 80, 24}, "&Go", akLeft | akTop, PushButton::Default);
  }
  PushButton *button;
};

// A visible window standing for the host's.
class HostWindow {
public:
  HostWindow()
      : hwnd_(CreateWindowExA(0, "STATIC", "host", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 100, 100, nullptr, nullptr,
                              nullptr, nullptr)) {}
  ~HostWindow() { DestroyWindow(hwnd_); }
  HostWindow(const HostWindow &) = delete;
  HostWindow &operator=(const HostWindow &) = delete;
  HWND Handle() const { return hwnd_; }

private:
  HWND hwnd_;
};

} // namespace

TEST(Forms, AnExceptionFromAHandlerLeavesTheHostEnabledAndTheFormHidden) {
  HostWindow host;
  TestForm *form = new TestForm;
  form->button->OnClick = [] { throw std::runtime_error("from the handler"); };
  ModalScript script;
  bool disabledDuring = false;
  script.OnWindow("form under test", [&](HWND) {
    disabledDuring = !IsWindowEnabled(host.Handle());
    PostMessageA(form->button->Handle(), WM_KEYDOWN, VK_RETURN, 0); // Enter presses it
  });
  script.Start();
  EXPECT_THROW(form->ShowModal(), std::runtime_error);
  EXPECT_TRUE(disabledDuring);
  EXPECT_TRUE(IsWindowEnabled(host.Handle()));
  EXPECT_FALSE(IsWindowVisible(form->Handle()));
  EXPECT_FALSE(form->Modal());
  form->Release();
  PumpMessages();
  EXPECT_EQ(0, LiveForms());
}

TEST(Forms, BoundsSetInCodeKeepTheMinimumSize) {
  TestForm form;
  form.SetBounds({5, 6, 100, 50});
  EXPECT_EQ((Rect{5, 6, 250, 120}), form.GetBounds());
  form.SetWidth(400);
  form.SetHeight(10);
  EXPECT_EQ((Rect{5, 6, 400, 120}), form.GetBounds());
}

TEST(Forms, CloseOnlyEndsTheShowingAndReleaseDestroysLater) {
  TestForm *form = new TestForm;
  ModalScript script;
  script.OnWindow("form under test", [&](HWND h) { PostMessageA(h, WM_CLOSE, 0, 0); });
  script.Start();
  EXPECT_EQ(mrCancel, form->ShowModal());
  HWND hwnd = form->Handle();
  EXPECT_TRUE(IsWindow(hwnd)); // closed, hidden, still there
  EXPECT_EQ(1, LiveForms());
  form->Release();
  EXPECT_TRUE(IsWindow(hwnd)); // until the request is delivered
  PumpMessages();
  EXPECT_FALSE(IsWindow(hwnd));
  EXPECT_EQ(0, LiveForms());
}
