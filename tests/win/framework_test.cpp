// The window framework itself: objects reached through the window's own
// bytes, hints relayed without subclassing, destroy handling in every order.
#include <gtest/gtest.h>

#include "ui/controls.h"
#include "ui/form.h"
#include "win_test_support.h"

namespace qc::test {
namespace {

// A form that notes its destroy handler and any message that reaches it
// once its destruction has begun.
struct Notes {
  int destroyed = 0;
  int lateMessages = 0;
};

class TestForm : public ui::Form {
 public:
  explicit TestForm(Notes& notes, bool destroyFirst = false) : notes_(notes), destroyFirst_(destroyFirst) {}
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
    if (dying_ && !destroyFirst_) ++notes_.lateMessages;
    return Form::OnMessage(msg, wp, lp);
  }
  void FormDestroyed() override { ++notes_.destroyed; }

 private:
  Notes& notes_;
  bool destroyFirst_;
  bool dying_ = false;
};

// The window's properties but Wine's own bookkeeping ("__wine_x11_whole_window").
std::vector<std::string> PropertyNames(HWND hwnd) {
  std::vector<std::string> names;
  EnumPropsExA(
      hwnd,
      [](HWND, LPSTR name, HANDLE, ULONG_PTR out) -> BOOL {
        std::string text = IS_INTRESOURCE(name) ? std::string("(atom)") : std::string(name);
        if (text.rfind("__wine_", 0) != 0) reinterpret_cast<std::vector<std::string>*>(out)->push_back(text);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&names));
  return names;
}

std::string ClassOf(HWND hwnd) {
  char name[64] = {};
  GetClassNameA(hwnd, name, sizeof name);
  return name;
}

TEST(Framework, ObjectsAreFoundFromTheirWindowsWithoutPropertiesAndUnderTheStandardNames) {
  Notes notes;
  TestForm form(notes);
  form.Create(nullptr);
  ui::Panel panel;
  panel.Create(form.Handle(), 0, 150, 100, 40);
  ui::Picture picture;
  picture.Create(panel.Handle(), 2, 2, 22, 21);
  picture.SetBitmap(ui::Bitmap(CreateBitmap(16, 15, 1, 32, nullptr)));

  EXPECT_EQ(ui::Window::FromHandle(form.Handle()), &form);
  EXPECT_EQ(ui::Control::FromHandle(form.Handle()), nullptr);
  for (ui::Control* c : std::initializer_list<ui::Control*>{&form.edit, &form.button, &form.list, &panel, &picture}) {
    SCOPED_TRACE(ClassOf(c->Handle()));
    EXPECT_EQ(ui::Control::FromHandle(c->Handle()), c);
    EXPECT_EQ(ui::Window::FromHandle(c->Handle()), nullptr);
    EXPECT_EQ(PropertyNames(c->Handle()), std::vector<std::string>{});
  }
  EXPECT_EQ(PropertyNames(form.Handle()), std::vector<std::string>{});
  // Other programs and tests find our controls by the standard class names.
  EXPECT_EQ(lstrcmpiA(ClassOf(form.button.Handle()).c_str(), "Button"), 0);
  EXPECT_EQ(lstrcmpiA(ClassOf(form.edit.Handle()).c_str(), "Edit"), 0);
  EXPECT_EQ(lstrcmpiA(ClassOf(form.list.Handle()).c_str(), "ComboBox"), 0);
  EXPECT_EQ(SendMessageA(picture.Handle(), STM_GETIMAGE, IMAGE_BITMAP, 0),
            reinterpret_cast<LRESULT>(picture.BitmapHandle()));
  // A window of the same class that no object made has no object: a
  // standard-class window made by hand, and the field a combo box makes.
  HWND plain = CreateWindowExA(0, "Button", "plain", WS_CHILD, 0, 0, 10, 10, form.Handle(), nullptr,
                               GetModuleHandleA(nullptr), nullptr);
  EXPECT_EQ(ui::Control::FromHandle(plain), nullptr);
  DestroyWindow(plain);
}

TEST(Framework, AHintIsRelayedByTheControlAndShowsWithoutSubclassing) {
  Notes notes;
  TestForm form(notes);
  form.Create(nullptr);
  ShowWindow(form.Handle(), SW_SHOW);
  SetForegroundWindow(form.Handle());
  Pump();
  HWND tip = form.Hints().Handle();
  HWND button = form.button.Handle();
  TTTOOLINFOA ti{};
  ti.cbSize = sizeof ti;
  ti.hwnd = form.Handle();
  ti.uId = reinterpret_cast<UINT_PTR>(button);
  ASSERT_TRUE(SendMessageA(tip, TTM_GETTOOLINFOA, 0, reinterpret_cast<LPARAM>(&ti)));
  EXPECT_EQ(ti.uFlags & TTF_SUBCLASS, 0u);
  EXPECT_EQ(form.Hints().HintOf(button), "Goes");

  // The mouse rests over the button: the tooltip learns it only from the button's relay.
  RECT r;
  GetWindowRect(button, &r);
  SetCursorPos((r.left + r.right) / 2, (r.top + r.bottom) / 2);
  POINT inside{(r.right - r.left) / 2, (r.bottom - r.top) / 2};
  PostMessageA(button, WM_MOUSEMOVE, 0, MAKELPARAM(inside.x, inside.y));
  TTTOOLINFOA current{};
  current.cbSize = sizeof current;
  EXPECT_TRUE(PumpUntil([&] {
    return SendMessageA(tip, TTM_GETCURRENTTOOLA, 0, reinterpret_cast<LPARAM>(&current)) && IsWindowVisible(tip);
  }));
  EXPECT_EQ(current.uId, reinterpret_cast<UINT_PTR>(button));

  // A control that goes takes its tool with it.
  HWND gone = form.button.Handle();
  DestroyWindow(gone);
  EXPECT_EQ(form.button.Handle(), nullptr);
  EXPECT_EQ(form.Hints().HintOf(gone), "");
}

TEST(Framework, DestroyHandlersRunWhicheverGoesFirstAndNoMessageReachesAGoingObject) {
  // The owner's window goes: the owned form's handler runs, no object keeps a dead handle.
  Notes ownerNotes, ownedNotes;
  TestForm owner(ownerNotes), owned(ownedNotes);
  owner.Create(nullptr);
  owned.Create(owner.Handle());
  owned.edit.SetFocus();
  DestroyWindow(owner.Handle());
  EXPECT_EQ(ownerNotes.destroyed, 1);
  EXPECT_EQ(ownedNotes.destroyed, 1);
  for (HWND h : {owner.Handle(), owned.Handle(), owned.edit.Handle(), owned.button.Handle()}) EXPECT_EQ(h, nullptr);
  EXPECT_EQ(owned.Hints().Handle(), nullptr);

  // The object goes first: a form that destroys its window in its destructor
  // sees its handler run; one that does not gets no message while its members
  // (a focused edit among them) are destroyed.
  Notes first, late;
  HWND window = nullptr;
  {
    TestForm a(first, true);
    a.Create(nullptr);
    TestForm b(late);
    b.Create(nullptr);
    ShowWindow(b.Handle(), SW_SHOW);
    SetForegroundWindow(b.Handle());
    b.edit.SetFocus();
    Pump();
    window = b.Handle();
  }
  EXPECT_EQ(first.destroyed, 1);
  EXPECT_EQ(late.lateMessages, 0);
  EXPECT_FALSE(IsWindow(window));
}

}  // namespace
}  // namespace qc::test
