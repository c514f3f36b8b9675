// The contact book's name index against the plain rules it stands for, over
// random changes, with a name list kept only by the places the book reports;
// and the locks of the main window's pages.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "app/contact_book.h"
#include "app/edit_mode.h"
#include "common/text.h"

namespace qc {
namespace {

// A portable collation: letter case aside, byte order.
std::string Key(std::string_view name) { return UpperCase(name); }

std::vector<std::string> PlainOrder(const TDatabase& list) {
  std::vector<int> order(static_cast<size_t>(list.Count()));
  for (int i = 0; i < list.Count(); ++i) order[static_cast<size_t>(i)] = i;
  std::stable_sort(order.begin(), order.end(),
                   [&](int a, int b) { return Key(list.Items(a).Name()) < Key(list.Items(b).Name()); });
  std::vector<std::string> names;
  for (int i : order) names.emplace_back(list.Items(i).Name());
  return names;
}

int PlainIndexOf(const TDatabase& list, const std::string& name) {
  for (int i = 0; i < list.Count(); ++i)
    if (list.Items(i).Name() == name) return i;
  return -1;
}

TEST(ContactBook, AnswersAsThePlainRulesAndReportsWhereTheNameListChanges) {
  std::mt19937 random(20261208);
  const std::vector<std::string> names = {"Adams", "adams", "ADAMS", "Baker", "baker", "Clark", "", "Zoe", "zoe"};
  auto anyName = [&] { return names[random() % names.size()]; };
  ContactBook book(Key);
  for (const char* n : {"Clark", "adams", "Baker", "Adams"}) {
    auto r = std::make_unique<TRecord>();
    r->Set(TRecord::kName, n);
    book.List()->Add(std::move(r));
  }
  book.Reindex();
  const std::vector<std::string_view> start = book.Names();
  std::vector<std::string> shown(start.begin(), start.end());

  for (int step = 0; step < 2000; ++step) {
    SCOPED_TRACE("step " + std::to_string(step));
    const TDatabase& list = book.Contacts();
    const int action = static_cast<int>(random() % 3);
    if (action == 0 || list.Count() == 0) {
      auto r = std::make_unique<TRecord>();
      r->Set(TRecord::kName, anyName());
      const std::string name(r->Name());
      const int expected = book.InsertionPlace(name);
      const int place = book.Add(std::move(r));
      ASSERT_EQ(place, expected);
      shown.insert(shown.begin() + place, name);
    } else if (action == 1) {
      const int index = static_cast<int>(random() % static_cast<unsigned>(list.Count()));
      TRecord values = list.Items(index);
      values.Set(TRecord::kName, anyName());
      values.Set(TRecord::kCompany, "changed");
      const std::string name(values.Name());
      ContactBook::Move move = book.Change(index, std::move(values));
      ASSERT_EQ(list.Items(index).Company(), "changed");
      shown.erase(shown.begin() + move.from);
      shown.insert(shown.begin() + move.to, name);
    } else {
      const int index = static_cast<int>(random() % static_cast<unsigned>(list.Count()));
      const int place = book.PlaceOf(index);
      ASSERT_EQ(book.Delete(index), place);
      shown.erase(shown.begin() + place);
    }
    ASSERT_EQ(PlainOrder(list), shown);
    const std::vector<std::string_view> now = book.Names();
    ASSERT_EQ(std::vector<std::string>(now.begin(), now.end()), shown);
    for (const std::string& n : names) {
      bool taken = false;
      for (int i = 0; i < list.Count(); ++i) taken = taken || SameText(list.Items(i).Name(), n);
      ASSERT_EQ(book.IsTaken(n), taken) << n;
      ASSERT_EQ(book.IndexOf(n), PlainIndexOf(list, n)) << n;
    }
  }
}

// Clear All once unlocked the Configuration page while a contact was edited:
// the locks now follow from the mode and the chosen lists alone.
TEST(PageLocks, FollowTheModeAndTheChosenMergeLists) {
  for (EditMode mode : {EditMode::Browse, EditMode::NewRecord, EditMode::EditRecord, EditMode::ShowRecord}) {
    for (bool merging : {false, true}) {
      SCOPED_TRACE(std::to_string(static_cast<int>(mode)) + (merging ? " merging" : ""));
      const PageLocks locks = LocksFor(mode, merging);
      const bool browsing = mode == EditMode::Browse;
      EXPECT_EQ(locks.mergeGroups, browsing);
      EXPECT_EQ(locks.configuration, browsing && !merging);
      EXPECT_EQ(locks.newRecord, mode != EditMode::EditRecord && !merging);
      EXPECT_EQ(locks.nameList, !merging);
    }
  }
  EXPECT_TRUE(LookOf(EditMode::Browse).nameListShown);
  EXPECT_STREQ(LookOf(EditMode::EditRecord).editCaption, "Ok");
  EXPECT_STREQ(LookOf(EditMode::NewRecord).newCaption, "Ok");
}

}  // namespace
}  // namespace qc
