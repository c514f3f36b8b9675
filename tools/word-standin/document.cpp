#include "document.h"

#include <cctype>

namespace standin {
namespace {

constexpr int kErrBadFindCode = 5560;
constexpr int kErrBadReplaceCode = 5561;
constexpr int kErrTableInSelection = 4605;

bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsWhite(char c) { return c == ' ' || c == '\t' || c == '\xA0'; }
bool IsWordChar(char c) { return IsLetter(c) || IsDigit(c); }

// A code that stands for one character in either text: "^p", "^t", "^nnn"...
// Returns false when `code` is not one of them.
bool CharacterCode(const std::string& text, size_t& i, char& out) {
  char c = text[i];
  switch (c) {
    case 'p': out = kParagraphMark; ++i; return true;
    case 't': out = '\t'; ++i; return true;
    case '^': out = '^'; ++i; return true;
    case 'l': out = kLineBreak; ++i; return true;
    case 'm': out = '\f'; ++i; return true;
    case 'n': out = '\x0E'; ++i; return true;
    case 's': out = '\xA0'; ++i; return true;
    case '-': out = '\x1F'; ++i; return true;
    case '~': out = '\x1E'; ++i; return true;
    case '+': out = '\x97'; ++i; return true;
    case '=': out = '\x96'; ++i; return true;
    default: break;
  }
  if (!IsDigit(c)) return false;
  // "^nnn" and "^0nnn": a character by its code.
  size_t digits = 0;
  int value = 0;
  size_t max = c == '0' ? 4 : 3;
  while (i + digits < text.size() && digits < max && IsDigit(text[i + digits]))
    value = value * 10 + (text[i + digits++] - '0');
  if (value <= 0 || value > 255) return false;
  i += digits;
  out = static_cast<char>(value);
  return true;
}

std::string Quoted(const std::string& text, size_t at) {
  std::string code = "^";
  if (at < text.size()) code += text[at];
  return code;
}

}  // namespace

char FoldCase(char c) {
  unsigned char u = static_cast<unsigned char>(c);
  if (u >= 'A' && u <= 'Z') return static_cast<char>(u + 32);
  if (u >= 0xC0 && u <= 0xDE && u != 0xD7) return static_cast<char>(u + 32);
  switch (u) {
    case 0x8A: return '\x9A';
    case 0x8C: return '\x9C';
    case 0x8E: return '\x9E';
    case 0x9F: return '\xFF';
    default: return c;
  }
}

char RaiseCase(char c) {
  unsigned char u = static_cast<unsigned char>(c);
  if (u >= 'a' && u <= 'z') return static_cast<char>(u - 32);
  if (u >= 0xE0 && u <= 0xFE && u != 0xF7) return static_cast<char>(u - 32);
  switch (u) {
    case 0x9A: return '\x8A';
    case 0x9C: return '\x8C';
    case 0x9E: return '\x8E';
    case 0xFF: return '\x9F';
    default: return c;
  }
}

std::string AdaptCase(std::string replacement, const std::string& found) {
  size_t letters = 0, capitals = 0;
  bool firstIsCapital = false;
  for (char c : found) {
    if (!IsLetter(c)) continue;
    bool capital = FoldCase(c) != c;
    if (letters++ == 0) firstIsCapital = capital;
    if (capital) ++capitals;
  }
  if (letters >= 2 && capitals == letters) {
    for (char& c : replacement) c = RaiseCase(c);
  } else if (firstIsCapital) {
    for (char& c : replacement)
      if (IsLetter(c)) {
        c = RaiseCase(c);
        break;
      }
  }
  return replacement;
}

bool IsLetter(char c) {
  unsigned char u = static_cast<unsigned char>(c);
  if (std::isalpha(u) && u < 0x80) return true;
  if (u >= 0xC0 && u != 0xD7 && u != 0xF7) return true;
  return u == 0x8A || u == 0x8C || u == 0x8E || u == 0x9A || u == 0x9C || u == 0x9E || u == 0x9F;
}

std::vector<FindItem> ParseFindText(const std::string& text) {
  std::vector<FindItem> items;
  for (size_t i = 0; i < text.size();) {
    if (text[i] != '^') {
      items.push_back({FindItem::Char, text[i++]});
      continue;
    }
    ++i;
    if (i >= text.size())
      throw WordError(kErrBadFindCode, "'^' is not a valid special character for the Find What box.");
    char c = text[i];
    if (c == '?') { items.push_back({FindItem::AnyChar, 0}); ++i; continue; }
    if (c == '#') { items.push_back({FindItem::AnyDigit, 0}); ++i; continue; }
    if (c == '$') { items.push_back({FindItem::AnyLetter, 0}); ++i; continue; }
    if (c == 'w') { items.push_back({FindItem::WhiteSpace, 0}); ++i; continue; }
    char ch = 0;
    size_t at = i;
    if (!CharacterCode(text, i, ch))
      throw WordError(kErrBadFindCode, "'" + Quoted(text, at) + "' is not a valid special character for the Find What box.");
    items.push_back({FindItem::Char, ch});
  }
  return items;
}

std::vector<ReplaceItem> ParseReplaceText(const std::string& text) {
  std::vector<ReplaceItem> items;
  auto literal = [&](char c) {
    if (items.empty() || items.back().kind != ReplaceItem::Text) items.push_back({ReplaceItem::Text, {}});
    items.back().text += c;
  };
  for (size_t i = 0; i < text.size();) {
    if (text[i] != '^') {
      literal(text[i++]);
      continue;
    }
    ++i;
    if (i >= text.size())
      throw WordError(kErrBadReplaceCode, "'^' is not a valid special character for the Replace With box.");
    if (text[i] == '&') { items.push_back({ReplaceItem::FoundText, {}}); ++i; continue; }
    if (text[i] == 'c') { items.push_back({ReplaceItem::Clipboard, {}}); ++i; continue; }
    char ch = 0;
    size_t at = i;
    if (!CharacterCode(text, i, ch))
      throw WordError(kErrBadReplaceCode,
                      "'" + Quoted(text, at) + "' is not a valid special character for the Replace With box.");
    literal(ch);
  }
  return items;
}

std::string NormaliseInsertedText(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    char c = text[i];
    if (c == kCellMark) continue;
    if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
    out += c == '\n' ? kParagraphMark : c;
  }
  return out;
}

// ---------------------------------------------------------------- Document

Document::Document(std::string name, const std::string& text) : name_(std::move(name)) {
  text_ = NormaliseInsertedText(text);
  if (text_.empty() || text_.back() != kParagraphMark) text_ += kParagraphMark;
}

bool Document::Protected(size_t i) const {
  if (text_[i] == kCellMark) return true;
  return text_[i] == kParagraphMark && i > 0 && text_[i - 1] == kCellMark;
}

size_t Document::ParagraphStart(size_t pos) const {
  while (pos > 0 && text_[pos - 1] != kParagraphMark) --pos;
  return pos;
}

size_t Document::ParagraphEnd(size_t pos) const {
  size_t end = text_.find(kParagraphMark, pos);
  return end == std::string::npos ? End() : end;
}

bool Document::InTableRow(size_t pos) const {
  size_t end = ParagraphEnd(pos);
  return end > 0 && text_[end - 1] == kCellMark;
}

void Document::GoToStart(bool extend) {
  active_ = 0;
  if (!extend) anchor_ = active_;
}

void Document::GoToEnd(bool extend) {
  active_ = End();
  if (!extend) anchor_ = active_;
}

void Document::Insert(const std::string& inserted) {
  std::string text = NormaliseInsertedText(inserted);
  size_t start = SelectionStart(), end = SelectionEnd();
  // What the selection covers goes, except the marks that hold a table together.
  std::string kept;
  for (size_t i = start; i < end; ++i)
    if (Protected(i)) kept += text_[i];
  text_.replace(start, end - start, kept);
  // Nothing can stand between a row's last cell and the row's end.
  if (start < text_.size() && Protected(start) && text_[start] == kParagraphMark) ++start;
  if (InTableRow(start))
    for (char& c : text) c = c == kParagraphMark ? kLineBreak : c;
  text_.insert(start, text);
  anchor_ = active_ = start + text.size();
}

bool Document::MatchAt(size_t pos, const std::vector<FindItem>& find, bool matchCase, size_t limit,
                       size_t& end) const {
  size_t i = pos;
  for (const FindItem& item : find) {
    if (i >= limit || Protected(i)) return false;
    char c = text_[i];
    switch (item.kind) {
      case FindItem::Char:
        if (matchCase ? c != item.ch : FoldCase(c) != FoldCase(item.ch)) return false;
        ++i;
        break;
      case FindItem::AnyChar:
        if (c == kParagraphMark) return false;
        ++i;
        break;
      case FindItem::AnyDigit:
        if (!IsDigit(c)) return false;
        ++i;
        break;
      case FindItem::AnyLetter:
        if (!IsLetter(c)) return false;
        ++i;
        break;
      case FindItem::WhiteSpace:
        if (!IsWhite(c)) return false;
        while (i < limit && IsWhite(text_[i])) ++i;
        break;
    }
  }
  end = i;
  return true;
}

bool Document::WholeWordAt(size_t start, size_t end) const {
  if (start > 0 && IsWordChar(text_[start - 1]) && IsWordChar(text_[start])) return false;
  if (end < text_.size() && end > start && IsWordChar(text_[end]) && IsWordChar(text_[end - 1])) return false;
  return true;
}

std::string Document::Replacement(const std::vector<ReplaceItem>& replace, const std::string& found,
                                  const std::string& clipboard, bool inRow, bool matchCase) const {
  std::string out;
  for (const ReplaceItem& item : replace) {
    switch (item.kind) {
      case ReplaceItem::Text: out += item.text; break;
      case ReplaceItem::FoundText: out += found; break;
      case ReplaceItem::Clipboard: out += NormaliseInsertedText(clipboard); break;
    }
  }
  if (!matchCase) out = AdaptCase(std::move(out), found);
  if (inRow)
    for (char& c : out) c = c == kParagraphMark ? kLineBreak : c;
  return out;
}

bool Document::FindNext(const std::vector<FindItem>& find, const ReplaceOptions& options, size_t from,
                        size_t& start, size_t& end) const {
  auto scan = [&](size_t lo, size_t hi) {
    for (size_t i = lo; i < hi; ++i) {
      size_t e = 0;
      if (MatchAt(i, find, options.matchCase, End(), e) && (!options.wholeWord || WholeWordAt(i, e))) {
        start = i;
        end = e;
        return true;
      }
    }
    return false;
  };
  return scan(from, End()) || (options.wrap && scan(0, from));
}

int Document::Replace(const std::vector<FindItem>& find, const std::vector<ReplaceItem>& replace,
                      const std::string& clipboard, const ReplaceOptions& options) {
  if (find.empty()) return 0;
  if (!options.replaceAll) {
    // One at a time: replace the selection when it is an occurrence, then select the next.
    int count = 0;
    size_t s = SelectionStart(), e = SelectionEnd(), matchEnd = 0;
    if (options.replaceOne && e > s && MatchAt(s, find, options.matchCase, e, matchEnd) && matchEnd == e) {
      std::string found = text_.substr(s, e - s);
      std::string with = Replacement(replace, found, clipboard, InTableRow(s), options.matchCase);
      text_.replace(s, e - s, with);
      anchor_ = active_ = s + with.size();
      count = 1;
    }
    size_t ns = 0, ne = 0;
    if (FindNext(find, options, SelectionEnd(), ns, ne)) {
      anchor_ = ns;
      active_ = ne;
    }
    return count;
  }

  // Replace all: from the insertion point to the end, then, with wrap, from
  // the start up to it; no occurrence is taken across that point.
  const size_t from = SelectionStart();
  const size_t limit = End();
  std::string out;
  out.reserve(text_.size());
  size_t newAnchor = 0, newActive = 0;
  int count = 0;
  for (size_t i = 0; i < text_.size();) {
    if (i == anchor_) newAnchor = out.size();
    if (i == active_) newActive = out.size();
    size_t e = 0;
    bool allowed = i >= from || options.wrap;
    if (i < limit && allowed && MatchAt(i, find, options.matchCase, i < from ? from : limit, e) &&
        (!options.wholeWord || WholeWordAt(i, e))) {
      std::string found = text_.substr(i, e - i);
      out += Replacement(replace, found, clipboard, InTableRow(i), options.matchCase);
      for (size_t k = i + 1; k < e; ++k) {
        if (k == anchor_) newAnchor = out.size();
        if (k == active_) newActive = out.size();
      }
      i = e;
      ++count;
      continue;
    }
    out += text_[i++];
  }
  text_ = std::move(out);
  anchor_ = std::min(newAnchor, End());
  active_ = std::min(newActive, End());
  return count;
}

void Document::TextToTable(char separator) {
  size_t s = SelectionStart(), e = SelectionEnd();
  size_t first = ParagraphStart(s);
  // A selection that ends at the start of a paragraph does not take that paragraph.
  size_t lastPos = e > s && text_[e - 1] == kParagraphMark ? e - 1 : e;
  size_t last = ParagraphEnd(std::max(lastPos, first));
  if (last < first) last = first;

  std::vector<std::vector<std::string>> rows;
  size_t columns = 1;
  for (size_t p = first; p <= last && p < text_.size();) {
    size_t end = ParagraphEnd(p);
    if (end > p && text_[end - 1] == kCellMark)
      throw WordError(kErrTableInSelection, "This command is not available because the selection holds a table.");
    std::string para = text_.substr(p, end - p);
    std::vector<std::string> cells;
    if (separator == 0) {
      cells.push_back(para);
    } else {
      size_t a = 0;
      for (;;) {
        size_t b = para.find(separator, a);
        cells.push_back(para.substr(a, b == std::string::npos ? std::string::npos : b - a));
        if (b == std::string::npos) break;
        a = b + 1;
      }
    }
    columns = std::max(columns, cells.size());
    rows.push_back(std::move(cells));
    p = end + 1;
    if (end >= last) break;
  }
  std::string table;
  for (auto& row : rows) {
    row.resize(columns);
    for (const std::string& cell : row) table += cell + kCellMark;
    table += kParagraphMark;
  }
  size_t stop = std::min(last + 1, text_.size());
  text_.replace(first, stop - first, table);
  // A table is always followed by a paragraph.
  if (first + table.size() >= text_.size()) text_ += kParagraphMark;
  anchor_ = active_ = first;
}

std::vector<Block> Document::Blocks() const {
  std::vector<Block> blocks;
  for (size_t p = 0; p < text_.size();) {
    size_t end = text_.find(kParagraphMark, p);
    if (end == std::string::npos) break;
    std::string para = text_.substr(p, end - p);
    if (!para.empty() && para.back() == kCellMark) {
      std::vector<std::string> cells;
      size_t a = 0;
      for (size_t b; (b = para.find(kCellMark, a)) != std::string::npos; a = b + 1) cells.push_back(para.substr(a, b - a));
      if (blocks.empty() || !blocks.back().table) blocks.push_back({true, {}, {}});
      blocks.back().rows.push_back(std::move(cells));
    } else {
      blocks.push_back({false, para, {}});
    }
    p = end + 1;
  }
  return blocks;
}

}  // namespace standin
