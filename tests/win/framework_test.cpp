// The window framework itself: objects reached through the window's own
// bytes, hints relayed without subclassing, destroy handling in every order.
#include <gtest/gtest.h>

#include "ui/controls.h"
#include "ui/form.h"
#include "win_test_support.h"

namespace qc::test {
namespace {

// Notes its destroy handler, and any message that reaches it once its destruction has begun.
class TestForm : public ui::Form {
 public:
  TestForm(int& destroyed, int& late, bool destroyFirst = false)
      : destroyed_(destroyed), late_(late), destroyFirst_(destroyFirst) {}
  ~TestForm() override {
    dying_ = true;
    if (destroyFirst_) DestroyHandle();
  }
  void Create(HWND owner) {
    CreateForm("framework", 300, 200, owner);
    edit.Create(Handle(), 10, 10, 120, 21);
    button.Create(Handle(), "Go", 10, 40, 75, 25);
    button.SetHint("Goes");
    list.Create(Handle(), 140, 10, 120, 100, true);
  }
  ui::Edit edit;
  ui::Button button;
  ui::ComboBox list;

 protected:
  LRESULT OnMessage(UINT msg, WPARAM wp, LPARAM lp) override {
    late_ += dying_ && !destroyFirst_;
    return Form::OnMessage(msg, wp, lp);
  }
  void FormDestroyed() override { ++destroyed_; }

 private:
  int &destroyed_, &late_;
  bool destroyFirst_, dying_ = false;
};

// The window's properties, but for Wine's own bookkeeping ("__wine_x11_whole_window").
std::vector<std::string> Properties(HWND hwnd) {
  std::vector<std::string> names;
  auto add = [](HWND, LPSTR name, HANDLE, ULONG_PTR out) -> BOOL {
    std::string text = IS_INTRESOURCE(name) ? std::string("(atom)") : std::string(name);
    if (text.rfind("__wine_", 0) != 0) reinterpret_cast<std::vector<std::string>*>(out)->push_back(text);
    return TRUE;
  };
  EnumPropsExA(hwnd, add, reinterpret_cast<LPARAM>(&names));
  return names;
}

std::string ClassOf(HWND hwnd) {
  char name[64] = {};
  GetClassNameA(hwnd, name, sizeof name);
  return name;
}

TEST(Framework, ObjectsAreFoundFromTheirWindowsWithoutPropertiesAndUnderTheStandardNames) {
  int destroyed = 0, late = 0;
  TestForm form(destroyed, late);
  form.Create(nullptr);
  ui::Picture picture;
  picture.Create(form.Handle(), 2, 150, 22, 21);
  picture.SetBitmap(ui::Bitmap(CreateBitmap(16, 15, 1, 32, nullptr)));
  EXPECT_EQ(SendMessageA(picture.Handle(), STM_GETIMAGE, IMAGE_BITMAP, 0),
            reinterpret_cast<LRESULT>(picture.BitmapHandle()));

  EXPECT_EQ(ui::Window::FromHandle(form.Handle()), &form);
  EXPECT_EQ(ui::Control::FromHandle(form.Handle()), nullptr);
  EXPECT_EQ(Properties(form.Handle()), std::vector<std::string>{});
  const std::pair<ui::Control*, const char*> controls[] = {
      {&form.edit, "Edit"}, {&form.button, "Button"}, {&form.list, "ComboBox"}, {&picture, "Static"}};
  for (auto [c, standardName] : controls) {
    SCOPED_TRACE(standardName);
    EXPECT_EQ(ui::Control::FromHandle(c->Handle()), c);
    EXPECT_EQ(ui::Window::FromHandle(c->Handle()), nullptr);
    EXPECT_EQ(Properties(c->Handle()), std::vector<std::string>{});
    EXPECT_EQ(lstrcmpiA(ClassOf(c->Handle()).c_str(), standardName), 0);  // as other programs find them
  }
  // A window of that class that no object made has no object.
  HWND plain = CreateWindowExA(0, "Button", "plain", WS_CHILD, 0, 0, 10, 10, form.Handle(), nullptr,
                               GetModuleHandleA(nullptr), nullptr);
  EXPECT_EQ(ui::Control::FromHandle(plain), nullptr);
  DestroyWindow(plain);
}

TEST(Framework, AHintIsRelayedByTheControlAndShowsWithoutSubclassing) {
  int destroyed = 0, late = 0;
  TestForm form(destroyed, late);
  form.Create(nullptr);
  ShowWindow(form.Handle(), SW_SHOW);
  SetForegroundWindow(form.Handle());
  Pump();
  HWND tip = form.Hints().Handle(), button = form.button.Handle();
  TTTOOLINFOA ti{};
  ti.cbSize = sizeof ti;
  ti.hwnd = form.Handle();
  ti.uId = reinterpret_cast<UINT_PTR>(button);
  ASSERT_TRUE(SendMessageA(tip, TTM_GETTOOLINFOA, 0, reinterpret_cast<LPARAM>(&ti)));
  EXPECT_EQ(ti.uFlags & TTF_SUBCLASS, 0u);

  // The mouse rests over the button: the tooltip learns it only from the button's relay.
  RECT r;
  GetWindowRect(button, &r);
  SetCursorPos((r.left + r.right) / 2, (r.top + r.bottom) / 2);
  PostMessageA(button, WM_MOUSEMOVE, 0, MAKELPARAM((r.right - r.left) / 2, (r.bottom - r.top) / 2));
  TTTOOLINFOA current{};
  current.cbSize = sizeof current;
  EXPECT_TRUE(PumpUntil([&] {
    return SendMessageA(tip, TTM_GETCURRENTTOOLA, 0, reinterpret_cast<LPARAM>(&current)) && IsWindowVisible(tip);
  }));
  EXPECT_EQ(current.uId, reinterpret_cast<UINT_PTR>(button));

  // A control that goes takes its tool with it.
  DestroyWindow(button);
  EXPECT_EQ(form.button.Handle(), nullptr);
  EXPECT_EQ(form.Hints().HintOf(button), "");
}

TEST(Framework, DestroyHandlersRunWhicheverGoesFirstAndNoMessageReachesAGoingObject) {
  // The owner's window goes: the owned form's handler runs, and no object keeps a dead handle.
  int ownerDestroyed = 0, ownedDestroyed = 0, late = 0;
  TestForm owner(ownerDestroyed, late), owned(ownedDestroyed, late);
  owner.Create(nullptr);
  owned.Create(owner.Handle());
  DestroyWindow(owner.Handle());
  EXPECT_EQ(ownerDestroyed, 1);
  EXPECT_EQ(ownedDestroyed, 1);
  for (HWND h : {owner.Handle(), owned.Handle(), owned.edit.Handle(), owned.Hints().Handle()}) EXPECT_EQ(h, nullptr);

  // The object goes first: a form that destroys its window in its destructor
  // sees its handler run; one that does not gets no message while its members
  // (a focused edit among them) go, and its window goes all the same.
  int firstDestroyed = 0, secondDestroyed = 0;
  HWND window = nullptr;
  {
    TestForm first(firstDestroyed, late, true), second(secondDestroyed, late);
    first.Create(nullptr);
    second.Create(nullptr);
    ShowWindow(second.Handle(), SW_SHOW);
    SetForegroundWindow(second.Handle());
    second.edit.SetFocus();
    Pump();
    window = second.Handle();
  }
  EXPECT_EQ(firstDestroyed, 1);
  EXPECT_EQ(late, 0);
  EXPECT_FALSE(IsWindow(window));
}

}  // namespace
}  // namespace qc::test
