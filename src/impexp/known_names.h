#pragma once
// The names an import meets, kept as an ordered list of (name, contact) pairs
// whose lookups find the first pair with an equal name (without regard to
// case). Every operation takes constant time on average, whatever the number
// of pairs, so that an import stays linear in the number of lines.
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace qc {

class KnownNames {
 public:
  // Any number that identifies a contact to the caller.
  using Contact = int;

  void Reserve(size_t pairs);

  // Appends the pair (name, contact) at the end of the list.
  void Append(std::string_view name, Contact contact);

  bool Contains(std::string_view name) const;

  // The contact of the first pair with this name, or -1 when there is none.
  Contact First(std::string_view name) const;

  // Removes the first pair with this name and returns its contact, or
  // returns -1 and changes nothing when there is none.
  Contact RemoveFirst(std::string_view name);

  // The name made with "%s [%d]" from `name` and the smallest n = 1, 2, ...
  // for which no pair holds that name. Meant for imports that never remove
  // a pair: the search for a name goes on where the last search for the same
  // name stopped, as the numbers below it stay taken.
  std::string FreeNumberedName(std::string_view name);

  size_t Size() const { return size_; }

 private:
  struct Node {
    Contact contact;
    int next;  // next pair with the same name, -1 at the end
  };
  struct Chain {
    int head = -1, tail = -1;
  };
  static std::string Key(std::string_view name);
  const Chain* FindKey(const std::string& key) const;

  std::unordered_map<std::string, Chain> chains_;  // by upper-case name
  std::vector<Node> nodes_;
  std::unordered_map<std::string, int> nextNumber_;  // by upper-case name
  size_t size_ = 0;
};

// "%s [%d]" made from a name and a number.
std::string NumberedName(std::string_view name, int number);

}  // namespace qc
