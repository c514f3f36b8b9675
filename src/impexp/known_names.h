#pragma once
// The names an import meets, kept as an ordered list of (name, contact) pairs
// whose lookups find the first pair with an equal name (without regard to
// case). Every operation takes constant time on average, whatever the number
// of pairs, so that an import stays linear in the number of lines.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace qc {

class KnownNames {
 public:
  // Any number that identifies a contact to the caller.
  using Contact = int;

  KnownNames();
  KnownNames(const KnownNames&) = delete;
  KnownNames& operator=(const KnownNames&) = delete;

  void Reserve(size_t pairs);

  // Appends the pair (name, contact) at the end of the list.
  void Append(std::string_view name, Contact contact);

  // Appends the pairs (names[i], first + i) in order: the same as Append one
  // by one, but many names at a time find their places in the table sooner.
  void AppendAll(const std::vector<std::string_view>& names, Contact first);

  bool Contains(std::string_view name) const;

  // Tells that `name` is looked up soon, so that its place in the table is
  // fetched from memory meanwhile. Changes nothing.
  void Prefetch(std::string_view name) const;

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
  // One name, without regard to case: its pairs and where the numbering goes on.
  struct Entry {
    uint64_t hash;
    const char* key;     // in keyBlocks_
    int head = -1, tail = -1;  // its pairs in nodes_, -1 when it has none
    int nextNumber = 1;        // FreeNumberedName starts here
  };
  // A place in the hash table: an entry's number plus one (0: free) and some
  // bits of its hash, so that most other names are passed over without a
  // look at their entry.
  struct Slot {
    uint32_t entry = 0;
    uint32_t tag = 0;
  };

  uint64_t Hash(std::string_view name) const;
  // The place of the name in table_: its slot, or the free slot where it belongs.
  size_t Find(std::string_view name, uint64_t hash) const;
  const Entry* Known(std::string_view name) const;
  Entry& FindOrAdd(std::string_view name);
  Entry& FindOrAdd(std::string_view name, uint64_t hash);
  void AppendPair(Entry& entry, Contact contact);
  void Grow();
  const char* StoreKey(std::string_view name);

  std::vector<Slot> table_;  // open addressing; the size is a power of two
  std::vector<Entry> entries_;
  std::vector<Node> nodes_;
  // The keys, copied into blocks that never move: each is the name's length
  // (a size_t) followed by its upper-case form.
  std::vector<std::unique_ptr<char[]>> keyBlocks_;
  size_t blockUsed_ = 0, blockSize_ = 0;
  uint64_t seed_;
  size_t size_ = 0;
};

// "%s [%d]" made from a name and a number.
std::string NumberedName(std::string_view name, int number);

}  // namespace qc
