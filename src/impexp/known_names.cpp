#include "impexp/known_names.h"

#include "common/text.h"

namespace qc {

std::string NumberedName(std::string_view name, int number) {
  std::string text(name);
  text += " [";
  text += std::to_string(number);
  text += ']';
  return text;
}

std::string KnownNames::Key(std::string_view name) { return UpperCase(name); }

void KnownNames::Reserve(size_t pairs) {
  chains_.reserve(pairs);
  nodes_.reserve(pairs);
}

const KnownNames::Chain* KnownNames::FindKey(const std::string& key) const {
  auto it = chains_.find(key);
  return it == chains_.end() || it->second.head < 0 ? nullptr : &it->second;
}

void KnownNames::Append(std::string_view name, Contact contact) {
  const int index = static_cast<int>(nodes_.size());
  nodes_.push_back({contact, -1});
  Chain& chain = chains_[Key(name)];
  if (chain.tail >= 0) {
    nodes_[static_cast<size_t>(chain.tail)].next = index;
  } else {
    chain.head = index;
  }
  chain.tail = index;
  ++size_;
}

bool KnownNames::Contains(std::string_view name) const { return First(name) >= 0; }

KnownNames::Contact KnownNames::First(std::string_view name) const {
  const Chain* chain = FindKey(Key(name));
  return chain ? nodes_[static_cast<size_t>(chain->head)].contact : -1;
}

KnownNames::Contact KnownNames::RemoveFirst(std::string_view name) {
  auto it = chains_.find(Key(name));
  if (it == chains_.end() || it->second.head < 0) return -1;
  Chain& chain = it->second;
  const Node& first = nodes_[static_cast<size_t>(chain.head)];
  Contact contact = first.contact;
  chain.head = first.next;
  if (chain.head < 0) chain.tail = -1;
  --size_;
  return contact;
}

std::string KnownNames::FreeNumberedName(std::string_view name) {
  const std::string key = Key(name);
  auto it = nextNumber_.find(key);
  int number = it == nextNumber_.end() ? 1 : it->second;
  // The upper-case form of the numbered name is the key followed by the
  // same suffix, as digits and brackets have no case.
  while (FindKey(NumberedName(key, number))) ++number;
  // Remembered only past 1: a name numbered once is the common case.
  if (it != nextNumber_.end()) {
    it->second = number;
  } else if (number > 1) {
    nextNumber_.emplace(key, number);
  }
  return NumberedName(name, number);
}

}  // namespace qc
