#include "impexp/known_names.h"

#include <array>
#include <chrono>
#include <cstring>

#include "common/text.h"

namespace qc {
namespace {

// The upper-case form of each character, as UpperCase gives it.
const std::array<unsigned char, 256>& UpperTable() {
  static const std::array<unsigned char, 256> table = [] {
    std::array<unsigned char, 256> t{};
    for (int c = 0; c < 256; ++c)
      t[static_cast<size_t>(c)] = static_cast<unsigned char>(UpperCase(std::string(1, static_cast<char>(c)))[0]);
    return t;
  }();
  return table;
}

constexpr size_t kKeyBlock = 64 * 1024;

}  // namespace

std::string NumberedName(std::string_view name, int number) {
  std::string text(name);
  text += " [";
  text += std::to_string(number);
  text += ']';
  return text;
}

KnownNames::KnownNames()
    // A seed of its own for each list: names chosen to collide cannot be
    // chosen in advance.
    : seed_(static_cast<uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count()) ^
            reinterpret_cast<uintptr_t>(this)) {
  table_.resize(16);
}

uint64_t KnownNames::Hash(std::string_view name) const {
  const auto& upper = UpperTable();
  uint64_t h = seed_ ^ 0xCBF29CE484222325ull;
  for (char c : name) h = (h ^ upper[static_cast<unsigned char>(c)]) * 0x100000001B3ull;
  // Spreads the last characters over all bits (FNV alone leaves the high ones weak).
  h ^= h >> 33;
  h *= 0xFF51AFD7ED558CCDull;
  h ^= h >> 33;
  return h;
}

size_t KnownNames::Find(std::string_view name, uint64_t hash) const {
  const auto& upper = UpperTable();
  const size_t mask = table_.size() - 1;
  const auto tag = static_cast<uint32_t>(hash >> 32);
  for (size_t i = hash & mask;; i = (i + 1) & mask) {
    const Slot& slot = table_[i];
    if (slot.entry == 0) return i;
    if (slot.tag != tag) continue;
    const char* key = entries_[slot.entry - 1].key;
    size_t length;
    std::memcpy(&length, key, sizeof length);
    if (length != name.size()) continue;
    key += sizeof length;
    size_t k = 0;
    while (k < length && upper[static_cast<unsigned char>(name[k])] == static_cast<unsigned char>(key[k])) ++k;
    if (k == length) return i;
  }
}

const KnownNames::Entry* KnownNames::Known(std::string_view name) const {
  const Slot& slot = table_[Find(name, Hash(name))];
  if (slot.entry == 0) return nullptr;
  const Entry& e = entries_[slot.entry - 1];
  return e.head >= 0 ? &e : nullptr;
}

void KnownNames::Grow() {
  std::vector<Slot> larger(table_.size() * 2);
  const size_t mask = larger.size() - 1;
  for (const Slot& slot : table_) {
    if (slot.entry == 0) continue;
    size_t i = entries_[slot.entry - 1].hash & mask;
    while (larger[i].entry != 0) i = (i + 1) & mask;
    larger[i] = slot;
  }
  table_.swap(larger);
}

const char* KnownNames::StoreKey(std::string_view name) {
  const size_t length = name.size();
  const size_t need = sizeof length + length;
  if (blockSize_ - blockUsed_ < need) {
    blockSize_ = need > kKeyBlock ? need : kKeyBlock;
    keyBlocks_.push_back(std::make_unique<char[]>(blockSize_));
    blockUsed_ = 0;
  }
  char* key = keyBlocks_.back().get() + blockUsed_;
  blockUsed_ += need;
  std::memcpy(key, &length, sizeof length);
  const auto& upper = UpperTable();
  for (size_t k = 0; k < length; ++k)
    key[sizeof length + k] = static_cast<char>(upper[static_cast<unsigned char>(name[k])]);
  return key;
}

KnownNames::Entry& KnownNames::FindOrAdd(std::string_view name) { return FindOrAdd(name, Hash(name)); }

KnownNames::Entry& KnownNames::FindOrAdd(std::string_view name, uint64_t hash) {
  size_t i = Find(name, hash);
  if (table_[i].entry != 0) return entries_[table_[i].entry - 1];
  // At most half full, so that probes stay short.
  if ((entries_.size() + 1) * 2 > table_.size()) {
    Grow();
    i = Find(name, hash);
  }
  entries_.push_back({hash, StoreKey(name)});
  table_[i] = {static_cast<uint32_t>(entries_.size()), static_cast<uint32_t>(hash >> 32)};
  return entries_.back();
}

void KnownNames::Reserve(size_t pairs) {
  nodes_.reserve(pairs);
  entries_.reserve(pairs);
  while (pairs * 2 > table_.size()) Grow();
}

void KnownNames::AppendPair(Entry& e, Contact contact) {
  const int index = static_cast<int>(nodes_.size());
  nodes_.push_back({contact, -1});
  if (e.tail >= 0) {
    nodes_[static_cast<size_t>(e.tail)].next = index;
  } else {
    e.head = index;
  }
  e.tail = index;
  ++size_;
}

void KnownNames::Append(std::string_view name, Contact contact) { AppendPair(FindOrAdd(name), contact); }

void KnownNames::AppendAll(const std::vector<std::string_view>& names, Contact first) {
  Reserve(size_ + names.size());
  // The places of a few names ahead are fetched from memory while the
  // current one is added: a big table is mostly not in the cache.
  constexpr size_t kAhead = 8;
  std::vector<uint64_t> hashes(names.size());
  for (size_t i = 0; i < names.size(); ++i) hashes[i] = Hash(names[i]);
  for (size_t i = 0; i < names.size(); ++i) {
    if (i + kAhead < names.size())
      __builtin_prefetch(&table_[hashes[i + kAhead] & (table_.size() - 1)]);
    AppendPair(FindOrAdd(names[i], hashes[i]), first + static_cast<Contact>(i));
  }
}

bool KnownNames::Contains(std::string_view name) const { return Known(name) != nullptr; }

void KnownNames::Prefetch(std::string_view name) const {
  __builtin_prefetch(&table_[Hash(name) & (table_.size() - 1)]);
}

KnownNames::Contact KnownNames::First(std::string_view name) const {
  const Entry* e = Known(name);
  return e ? nodes_[static_cast<size_t>(e->head)].contact : -1;
}

KnownNames::Contact KnownNames::RemoveFirst(std::string_view name) {
  const Slot& slot = table_[Find(name, Hash(name))];
  if (slot.entry == 0) return -1;
  Entry& e = entries_[slot.entry - 1];
  if (e.head < 0) return -1;
  const Node& first = nodes_[static_cast<size_t>(e.head)];
  Contact contact = first.contact;
  e.head = first.next;
  if (e.head < 0) e.tail = -1;
  --size_;
  return contact;
}

std::string KnownNames::FreeNumberedName(std::string_view name) {
  Entry& entry = FindOrAdd(name);  // stays in place: Known adds nothing
  int number = entry.nextNumber;
  std::string numbered = NumberedName(name, number);
  while (Known(numbered)) numbered = NumberedName(name, ++number);
  entry.nextNumber = number;
  return numbered;
}

}  // namespace qc
