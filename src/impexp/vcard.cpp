#include "impexp/vcard.h"

#include <algorithm>
#include <span>

#include "common/option_byte.h"
#include "common/text.h"
#include "common/user_messages.h"
#include "platform/files.h"

namespace qc {
namespace {

// ---------------------------------------------------------------- small text helpers

char AsciiUpper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c; }

// Property and parameter names and values are compared without regard to case.
bool Is(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (AsciiUpper(a[i]) != AsciiUpper(b[i])) return false;
  return true;
}

bool StartsWith(std::string_view text, std::string_view prefix) {
  return text.size() >= prefix.size() && Is(text.substr(0, prefix.size()), prefix);
}

bool Contains(std::string_view text, std::string_view part) {
  for (size_t i = 0; i + part.size() <= text.size(); ++i)
    if (Is(text.substr(i, part.size()), part)) return true;
  return false;
}

std::string_view Trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return s;
}

bool IsBlank(std::string_view s) { return Trim(s).empty(); }

bool IsBegin(std::string_view line) { return Is(Trim(line), "BEGIN:VCARD"); }
bool IsEnd(std::string_view line) { return Is(Trim(line), "END:VCARD"); }

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

int Base64Digit(char c) {
  if (c >= 'A' && c <= 'Z') return c - 'A';
  if (c >= 'a' && c <= 'z') return c - 'a' + 26;
  if (c >= '0' && c <= '9') return c - '0' + 52;
  if (c == '+') return 62;
  if (c == '/') return 63;
  return -1;
}

// Base64 with white space anywhere and "=" padding at the end; false for
// anything else.
bool Base64Decode(std::string_view in, std::string& out) {
  out.clear();
  uint32_t bits = 0;
  int count = 0;
  bool padding = false;
  for (char c : in) {
    if (c == ' ' || c == '\t' || c == '\r' || c == '\n') continue;
    if (c == '=') {
      padding = true;
      continue;
    }
    const int d = Base64Digit(c);
    if (d < 0 || padding) return false;
    bits = bits << 6 | static_cast<uint32_t>(d);
    if (++count == 4) {
      out += static_cast<char>(bits >> 16);
      out += static_cast<char>(bits >> 8 & 0xFF);
      out += static_cast<char>(bits & 0xFF);
      bits = 0;
      count = 0;
    }
  }
  if (count == 1) return false;
  if (count == 2) out += static_cast<char>(bits >> 4);
  if (count == 3) {
    out += static_cast<char>(bits >> 10);
    out += static_cast<char>(bits >> 2 & 0xFF);
  }
  return true;
}

void Base64Encode(std::string_view in, std::string& out) {
  static constexpr char kDigits[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  size_t i = 0;
  for (; i + 3 <= in.size(); i += 3) {
    const uint32_t v = static_cast<uint32_t>(static_cast<unsigned char>(in[i])) << 16 |
                       static_cast<uint32_t>(static_cast<unsigned char>(in[i + 1])) << 8 |
                       static_cast<unsigned char>(in[i + 2]);
    out += kDigits[v >> 18];
    out += kDigits[v >> 12 & 63];
    out += kDigits[v >> 6 & 63];
    out += kDigits[v & 63];
  }
  if (i < in.size()) {
    uint32_t v = static_cast<uint32_t>(static_cast<unsigned char>(in[i])) << 16;
    if (i + 1 < in.size()) v |= static_cast<uint32_t>(static_cast<unsigned char>(in[i + 1])) << 8;
    out += kDigits[v >> 18];
    out += kDigits[v >> 12 & 63];
    out += i + 1 < in.size() ? kDigits[v >> 6 & 63] : '=';
    out += '=';
  }
}

// Quoted-printable: "=XX" is a byte; anything else, a stray "=" included, as it stands.
void QuotedPrintableDecode(std::string_view in, std::string& out) {
  out.clear();
  for (size_t i = 0; i < in.size(); ++i) {
    if (in[i] == '=' && i + 2 < in.size()) {
      const int hi = HexDigit(in[i + 1]), lo = HexDigit(in[i + 2]);
      if (hi >= 0 && lo >= 0) {
        out += static_cast<char>(hi << 4 | lo);
        i += 2;
        continue;
      }
    }
    out += in[i];
  }
}

// ---------------------------------------------------------------- properties

struct Param {
  std::string_view name;   // empty for a bare value (the 2.1 form "TEL;WORK:")
  std::string_view value;  // without enclosing double quotes
};

struct Property {
  std::string_view name;  // without its group
  std::string_view value;
  uint32_t firstParam = 0, paramCount = 0;
};

enum class Charset { Default, Utf8, Latin, Other };
enum class Encoding { None, QuotedPrintable, Base64 };

bool IsNameChar(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '_';
}

// The part of a content line before its value: up to the first colon that
// is not inside double quotes. npos when there is none.
size_t ValueColon(std::string_view line) {
  bool quoted = false;
  for (size_t i = 0; i < line.size(); ++i) {
    const char c = line[i];
    if (c == '"') {
      quoted = !quoted;
    } else if (c == '\\' && !quoted && i + 1 < line.size() && line[i + 1] == ';') {
      ++i;
    } else if (c == ':' && !quoted) {
      return i;
    }
  }
  return std::string_view::npos;
}

// Items of a parameter value list ("work,voice"), each trimmed.
template <typename F>
bool AnyItem(std::string_view list, F&& f) {
  while (true) {
    const size_t comma = list.find(',');
    if (f(Trim(list.substr(0, comma)))) return true;
    if (comma == std::string_view::npos) return false;
    list.remove_prefix(comma + 1);
  }
}

}  // namespace

// ---------------------------------------------------------------- the card being read

struct VCardReader::Card {
  int version = 3;                 // 2 for 2.1, 3, 4
  std::deque<std::string> joined;  // content lines put together from several lines of the file
  std::vector<Param> params;
  std::vector<Property> props;

  void Clear() {
    version = 3;
    joined.clear();
    params.clear();
    props.clear();
  }

  std::span<const Param> ParamsOf(const Property& p) const {
    return {params.data() + p.firstParam, p.paramCount};
  }

  bool HasType(const Property& p, std::string_view type) const {
    for (const Param& q : ParamsOf(p)) {
      if (!q.name.empty() && !Is(q.name, "TYPE")) continue;
      if (AnyItem(q.value, [&](std::string_view item) { return Is(item, type); })) return true;
    }
    return false;
  }

  std::string_view ParamValue(const Property& p, std::string_view name) const {
    for (const Param& q : ParamsOf(p))
      if (Is(q.name, name)) return q.value;
    return {};
  }

  bool Preferred(const Property& p) const { return HasType(p, "PREF") || Trim(ParamValue(p, "PREF")) == "1"; }

  Encoding EncodingOf(const Property& p) const {
    for (const Param& q : ParamsOf(p)) {
      std::string_view v = q.name.empty() ? q.value : Is(q.name, "ENCODING") ? q.value : std::string_view();
      if (Is(v, "QUOTED-PRINTABLE")) return Encoding::QuotedPrintable;
      if (Is(v, "BASE64") || (!q.name.empty() && Is(v, "B"))) return Encoding::Base64;
    }
    return Encoding::None;
  }

  Charset CharsetOf(const Property& p) const {
    const std::string_view c = Trim(ParamValue(p, "CHARSET"));
    if (c.empty()) return Charset::Default;
    if (Is(c, "UTF-8") || Is(c, "UTF8")) return Charset::Utf8;
    if (Is(c, "ISO-8859-1") || Is(c, "ISO8859-1") || Is(c, "ISO_8859-1") || Is(c, "LATIN1") ||
        Is(c, "WINDOWS-1252") || Is(c, "CP1252"))
      return Charset::Latin;
    return Charset::Other;
  }

  // Parses one content line into a property; false when it is not one.
  bool Parse(std::string_view line) {
    const size_t colon = ValueColon(line);
    if (colon == std::string_view::npos) return false;
    std::string_view head = line.substr(0, colon);
    size_t i = 0;
    while (i < head.size() && head[i] != ';') ++i;
    std::string_view name = head.substr(0, i);
    if (const size_t dot = name.rfind('.'); dot != std::string_view::npos) name.remove_prefix(dot + 1);
    name = Trim(name);
    if (name.empty() || !std::all_of(name.begin(), name.end(), IsNameChar)) return false;
    Property p;
    p.name = name;
    p.value = line.substr(colon + 1);
    p.firstParam = static_cast<uint32_t>(params.size());
    while (i < head.size()) {
      const size_t start = ++i;  // past the ';'
      bool quoted = false;
      size_t equals = std::string_view::npos;
      while (i < head.size()) {
        const char c = head[i];
        if (c == '"') {
          quoted = !quoted;
        } else if (!quoted && c == '\\' && i + 1 < head.size() && head[i + 1] == ';') {
          ++i;
        } else if (!quoted && c == ';') {
          break;
        } else if (!quoted && c == '=' && equals == std::string_view::npos) {
          equals = i;
        }
        ++i;
      }
      Param q;
      if (equals == std::string_view::npos) {
        q.value = Trim(head.substr(start, i - start));
      } else {
        q.name = Trim(head.substr(start, equals - start));
        q.value = Trim(head.substr(equals + 1, i - equals - 1));
      }
      if (q.value.size() >= 2 && q.value.front() == '"' && q.value.back() == '"')
        q.value = q.value.substr(1, q.value.size() - 2);
      if (!q.name.empty() || !q.value.empty()) params.push_back(q);
    }
    p.paramCount = static_cast<uint32_t>(params.size()) - p.firstParam;
    props.push_back(p);
    return true;
  }
};

namespace {

// How the items of a list inside one component are joined: commas kept as
// they are, or the items joined by a space or by ", ".
enum class Join { Literal, Space, CommaSpace };

// The text of component `index` of a value (-1: the whole value, semicolons
// and all), its escapes undone: \\ \, \; and \n (as CR LF) in 3.0 and 4.0,
// \; alone in 2.1. An unknown escape stays as it is.
void Unescape(std::string_view raw, int index, Join join, int version, std::string& out) {
  out.clear();
  int component = 0;
  const bool lists = version != 2 && join != Join::Literal;
  for (size_t i = 0; i < raw.size(); ++i) {
    const char c = raw[i];
    const bool mine = index < 0 || component == index;
    if (c == '\\' && i + 1 < raw.size()) {
      const char d = raw[++i];
      if (!mine) continue;
      if (d == ';') {
        out += ';';
      } else if (version != 2 && (d == '\\' || d == ',')) {
        out += d;
      } else if (version != 2 && (d == 'n' || d == 'N')) {
        out += "\r\n";
      } else {
        out += '\\';
        out += d;
      }
      continue;
    }
    if (c == ';' && index >= 0) {
      if (++component > index) break;
      continue;
    }
    if (!mine) continue;
    if (c == ',' && lists) {
      out += join == Join::Space ? " " : ", ";
      continue;
    }
    out += c;
  }
}

// Bytes of a value in its character set, as code page 1252.
void ToCp1252(std::string_view bytes, Charset charset, std::string& out, bool& replaced) {
  const bool ascii =
      std::all_of(bytes.begin(), bytes.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
  if (ascii) {
    out.assign(bytes);
    return;
  }
  switch (charset) {
    case Charset::Default:
      // Undeclared text that is not UTF-8 was written in the writer's own
      // code page, which for this program's users is 1252.
      if (!IsUtf8(bytes)) {
        out.assign(bytes);
        return;
      }
      [[fallthrough]];
    case Charset::Utf8:
      out = Utf8ToCp1252(bytes, &replaced);
      return;
    case Charset::Latin:
      out.assign(bytes);
      return;
    case Charset::Other:
      out.clear();
      for (char c : bytes) {
        if (static_cast<unsigned char>(c) < 0x80) {
          out += c;
        } else {
          out += '?';
          replaced = true;
        }
      }
      return;
  }
}

std::string JoinNonEmpty(std::initializer_list<std::string_view> parts, std::string_view separator) {
  std::string out;
  for (std::string_view p : parts) {
    if (p.empty()) continue;
    if (!out.empty()) out += separator;
    out += p;
  }
  return out;
}

VCardLabel LabelOf(std::string_view name) {
  if (SameText(name, "E-mail") || SameText(name, "Email")) return VCardLabel::Email;
  if (SameText(name, "Mobile") || SameText(name, "Cell")) return VCardLabel::Mobile;
  if (SameText(name, "Home Phone")) return VCardLabel::HomePhone;
  if (SameText(name, "Web") || SameText(name, "URL") || SameText(name, "Homepage")) return VCardLabel::Web;
  if (SameText(name, "Notes") || SameText(name, "Note")) return VCardLabel::Note;
  if (SameText(name, "Birthday")) return VCardLabel::Birthday;
  return VCardLabel::None;
}

// The field number of Quillcard's own additional field property, 1 to 8, or 0.
int OwnFieldNumber(std::string_view name) {
  if (!StartsWith(name, kVCardFieldProperty)) return 0;
  const std::string_view digits = name.substr(sizeof kVCardFieldProperty - 1);
  return digits.size() == 1 && digits[0] >= '1' && digits[0] <= '8' ? digits[0] - '0' : 0;
}

// A parameter value's ^^, ^' and ^n undone.
std::string CaretDecode(std::string_view v) {
  std::string out;
  for (size_t i = 0; i < v.size(); ++i) {
    if (v[i] == '^' && i + 1 < v.size()) {
      const char d = v[i + 1];
      if (d == '^' || d == '\'' || d == 'n' || d == 'N') {
        out += d == '^' ? "^" : d == '\'' ? "\"" : "\r\n";
        ++i;
        continue;
      }
    }
    out += v[i];
  }
  return out;
}

}  // namespace

std::array<VCardLabel, kAdditionalFieldCount> VCardLabels(const std::vector<std::string>& fieldNames) {
  std::array<VCardLabel, kAdditionalFieldCount> labels{};
  for (int i = 0; i < kAdditionalFieldCount; ++i) {
    const VCardLabel l = i < static_cast<int>(fieldNames.size()) ? LabelOf(fieldNames[static_cast<size_t>(i)])
                                                                  : VCardLabel::None;
    if (std::find(labels.begin(), labels.begin() + i, l) == labels.begin() + i) labels[static_cast<size_t>(i)] = l;
  }
  return labels;
}

// ---------------------------------------------------------------- reading

VCardReader::VCardReader(std::string_view text, const AppSettings& settings)
    : text_(text),
      labels_(VCardLabels(settings.FieldNames)),
      fieldNames_(settings.FieldNames),
      defaultOptions_(OptionByte(settings.DefaultOptions)),
      card_(std::make_unique<Card>()) {
  if (text_.substr(0, 3) == "\xEF\xBB\xBF") pos_ = 3;
  fieldNames_.resize(kAdditionalFieldCount);
}

VCardReader::~VCardReader() = default;

bool VCardReader::PeekLine(std::string_view& line) const {
  if (pos_ >= text_.size()) return false;
  size_t end = pos_;
  while (end < text_.size() && text_[end] != '\r' && text_[end] != '\n') ++end;
  line = text_.substr(pos_, end - pos_);
  return true;
}

bool VCardReader::NextLine(std::string_view& line) {
  if (!PeekLine(line)) return false;
  pos_ += line.size();
  if (pos_ < text_.size() && text_[pos_] == '\r') {
    ++pos_;
    if (pos_ < text_.size() && text_[pos_] == '\n') ++pos_;
  } else if (pos_ < text_.size() && text_[pos_] == '\n') {
    ++pos_;
  }
  return true;
}

// Skips a card nested in a 2.1 AGENT property, with any cards nested in it.
void VCardReader::SkipNestedCard() {
  int depth = 0;
  std::string_view line;
  while (NextLine(line)) {
    if (IsBegin(line)) ++depth;
    if (IsEnd(line) && --depth == 0) return;
  }
}

// Reads the content lines after BEGIN:VCARD up to END:VCARD. False for a
// damaged card, with the reader past it (or at a BEGIN:VCARD that cut it short).
bool VCardReader::ReadCard(Card& card) {
  std::string_view line, next;
  auto skipRest = [&] {
    for (;;) {
      const size_t before = pos_;
      if (!NextLine(line)) return false;
      if (IsBegin(line)) {
        pos_ = before;
        return false;
      }
      if (IsEnd(line)) return false;
    }
  };
  for (;;) {
    const size_t before = pos_;
    if (!NextLine(line)) return false;  // the text ends inside the card
    if (IsBegin(line)) {
      pos_ = before;  // a card without its END; the new one is read next
      return false;
    }
    if (IsEnd(line)) return true;
    if (IsBlank(line)) continue;

    std::string* joined = nullptr;
    auto join = [&](std::string_view more) {
      if (!joined) joined = &card.joined.emplace_back(line);
      joined->append(more);
    };
    const size_t colon = ValueColon(line);
    if (colon != std::string_view::npos && Contains(line.substr(0, colon), "QUOTED-PRINTABLE")) {
      // A soft line break: "=" at the end of a line continues the value on the next.
      while ((joined ? std::string_view(*joined) : line).ends_with('=') && PeekLine(next) && !IsEnd(next)) {
        if (!joined) joined = &card.joined.emplace_back(line);
        joined->pop_back();
        NextLine(next);
        joined->append(next);
      }
    }
    // A line that starts with white space continues the one before: 3.0 and
    // 4.0 drop that one character, 2.1 keeps it.
    while (PeekLine(next) && !next.empty() && (next[0] == ' ' || next[0] == '\t')) {
      NextLine(next);
      join(card.version == 2 ? next : next.substr(1));
    }
    const std::string_view content = joined ? std::string_view(*joined) : line;
    if (!card.Parse(content)) return skipRest();
    const Property& p = card.props.back();
    if (Is(p.name, "VERSION")) {
      const std::string_view v = Trim(p.value);
      card.version = v.starts_with("2") ? 2 : v.starts_with("4") ? 4 : 3;
    }
    if (card.version == 2 && card.EncodingOf(p) == Encoding::Base64) {
      // 2.1 binary values run on over lines of their own up to a blank line.
      while (PeekLine(next) && !IsBlank(next) && next.find(':') == std::string_view::npos) NextLine(next);
      if (PeekLine(next) && IsBlank(next)) NextLine(next);
    }
    if (Is(p.name, "AGENT") && IsBlank(p.value) && PeekLine(next) && IsBegin(next)) SkipNestedCard();
  }
}

bool VCardReader::Next(VCardContact& contact) {
  std::string_view line;
  Card& card = *card_;
  for (;;) {
    // Whatever stands between the cards is passed over.
    do {
      if (!NextLine(line)) return false;
    } while (!IsBegin(line));
    sawCard_ = true;
    card.Clear();
    if (!ReadCard(card)) {
      ++damaged_;
      continue;
    }

    // The properties that feed the contact.
    const Property *n = nullptr, *fn = nullptr, *org = nullptr, *title = nullptr, *email = nullptr,
                   *url = nullptr, *note = nullptr, *bday = nullptr, *options = nullptr;
    const Property *adr = nullptr, *workAdr = nullptr, *prefAdr = nullptr;
    struct Tel {
      const Property* p;
      bool work, fax, cell, home;
    };
    std::vector<Tel> tels;
    std::vector<const Property*> own;
    auto first = [](const Property*& slot, const Property& p) {
      if (!slot) slot = &p;
    };
    for (const Property& p : card.props) {
      const std::string_view name = p.name;
      if (Is(name, "N")) first(n, p);
      else if (Is(name, "FN")) first(fn, p);
      else if (Is(name, "ORG")) first(org, p);
      else if (Is(name, "TITLE")) first(title, p);
      else if (Is(name, "EMAIL")) first(email, p);
      else if (Is(name, "URL")) first(url, p);
      else if (Is(name, "NOTE")) first(note, p);
      else if (Is(name, "BDAY")) first(bday, p);
      else if (Is(name, kVCardOptionsProperty)) first(options, p);
      else if (Is(name, "ADR")) {
        first(adr, p);
        if (card.HasType(p, "WORK")) first(workAdr, p);
        if (card.Preferred(p)) first(prefAdr, p);
      } else if (Is(name, "TEL")) {
        tels.push_back({&p, card.HasType(p, "WORK"), card.HasType(p, "FAX"), card.HasType(p, "CELL"),
                        card.HasType(p, "HOME")});
      } else if (OwnFieldNumber(name) > 0 || Is(name, kVCardTextProperty)) {
        own.push_back(&p);
      }
    }

    bool replaced = false;
    bool damaged = false;
    std::string decoded, unescaped;
    // The value's bytes once its transfer encoding is undone.
    auto bytes = [&](const Property& p) -> std::string_view {
      switch (card.EncodingOf(p)) {
        case Encoding::QuotedPrintable:
          QuotedPrintableDecode(p.value, decoded);
          return decoded;
        case Encoding::Base64:
          if (!Base64Decode(p.value, decoded)) decoded.clear();
          return decoded;
        case Encoding::None:
          break;
      }
      return p.value;
    };
    auto text = [&](const Property* p, int component, Join join) {
      std::string out;
      if (!p) return out;
      Unescape(bytes(*p), component, join, card.version, unescaped);
      ToCp1252(unescaped, card.CharsetOf(*p), out, replaced);
      return out;
    };
    auto& t = contact.texts;
    for (std::string& s : t) s.clear();

    // The name: "Last, First Middle" from N, a suffix after it; else FN;
    // a card without FN (the 2.1 card of a firm) takes its company.
    const std::string family = text(n, 0, Join::Space), given = text(n, 1, Join::Space);
    if (!family.empty() || !given.empty()) {
      t[TRecord::kName] = ComposeName(given, text(n, 2, Join::Space), family);
      if (const std::string suffix = text(n, 4, Join::Space); !suffix.empty()) (t[TRecord::kName] += ' ') += suffix;
    } else if (fn) {
      t[TRecord::kName] = text(fn, -1, Join::Literal);
    } else {
      t[TRecord::kName] = text(org, 0, Join::Literal);
    }
    t[TRecord::kTreatment] = text(n, 3, Join::Space);
    t[TRecord::kCompany] = text(org, 0, Join::Literal);
    t[TRecord::kTitle] = text(title, -1, Join::Literal);

    if (const Property* a = workAdr ? workAdr : prefAdr ? prefAdr : adr) {
      t[TRecord::kAddress1] = JoinNonEmpty(
          {text(a, 0, Join::CommaSpace), text(a, 1, Join::CommaSpace), text(a, 2, Join::CommaSpace)}, ", ");
      t[TRecord::kAddress2] = JoinNonEmpty(
          {text(a, 3, Join::CommaSpace), text(a, 4, Join::CommaSpace), text(a, 5, Join::CommaSpace)}, " ");
      t[TRecord::kAddress3] = text(a, 6, Join::CommaSpace);
    }

    // Telephone numbers: each additional field of a label takes its number
    // first; Phone then prefers a work number and otherwise takes the first
    // number that is no fax and no other field's.
    auto telText = [&](const Tel* tel) {
      std::string s = text(tel ? tel->p : nullptr, -1, Join::Literal);
      if (tel && StartsWith(s, "tel:") &&
          (card.version == 4 || Is(Trim(card.ParamValue(*tel->p, "VALUE")), "uri")))
        s.erase(0, 4);
      return s;
    };
    auto firstTel = [&](auto&& wanted) -> const Tel* {
      for (const Tel& tel : tels)
        if (wanted(tel)) return &tel;
      return nullptr;
    };
    const Tel* mobile = firstTel([](const Tel& x) { return x.cell; });
    const Tel* home = firstTel([](const Tel& x) { return x.home && !x.fax; });
    const bool hasMobile = std::find(labels_.begin(), labels_.end(), VCardLabel::Mobile) != labels_.end();
    const bool hasHome = std::find(labels_.begin(), labels_.end(), VCardLabel::HomePhone) != labels_.end();
    const Tel* phone = firstTel([](const Tel& x) { return x.work && !x.fax; });
    if (!phone)
      phone = firstTel([&](const Tel& x) {
        return !x.fax && !(hasMobile && &x == mobile) && !(hasHome && &x == home);
      });
    const Tel* fax = firstTel([](const Tel& x) { return x.fax && x.work; });
    if (!fax) fax = firstTel([](const Tel& x) { return x.fax; });
    t[TRecord::kPhone] = telText(phone);
    t[TRecord::kFax] = telText(fax);

    for (int i = 0; i < kAdditionalFieldCount; ++i) {
      std::string& field = t[static_cast<size_t>(TRecord::kUser1 + i)];
      switch (labels_[static_cast<size_t>(i)]) {
        case VCardLabel::Email: field = text(email, -1, Join::Literal); break;
        case VCardLabel::Mobile: field = telText(mobile); break;
        case VCardLabel::HomePhone: field = telText(home); break;
        case VCardLabel::Web: field = text(url, -1, Join::Literal); break;
        case VCardLabel::Note: field = text(note, -1, Join::Literal); break;
        case VCardLabel::Birthday: field = text(bday, -1, Join::Literal); break;
        case VCardLabel::None: break;
      }
    }

    // Quillcard's own properties: additional fields without a standard
    // property, then texts carried byte for byte.
    for (const Property* p : own) {
      const int number = OwnFieldNumber(p->name);
      if (number == 0) continue;
      std::string named;
      bool ignored = false;
      ToCp1252(CaretDecode(card.ParamValue(*p, "NAME")), Charset::Utf8, named, ignored);
      int target = number - 1;
      if (!named.empty() && !SameText(fieldNames_[static_cast<size_t>(target)], named)) {
        for (int i = 0; i < kAdditionalFieldCount; ++i)
          if (SameText(fieldNames_[static_cast<size_t>(i)], named)) {
            target = i;
            break;
          }
      }
      t[static_cast<size_t>(TRecord::kUser1 + target)] = text(p, -1, Join::Literal);
    }
    for (const Property* p : own) {
      if (OwnFieldNumber(p->name) != 0) continue;
      const std::string_view number = Trim(card.ParamValue(*p, "FIELD"));
      const int field = number.size() == 1 && number[0] >= '0' && number[0] <= '9' ? number[0] - '0'
                        : number.size() == 2 && number[0] == '1' && number[1] >= '0' && number[1] <= '6'
                            ? 10 + number[1] - '0'
                            : -1;
      std::string exact;
      if (field < 0 || !Base64Decode(p->value, exact)) {
        damaged = true;  // our own property, spoilt
        break;
      }
      t[static_cast<size_t>(field)] = std::move(exact);
    }
    if (damaged) {
      ++damaged_;
      continue;
    }

    contact.options = defaultOptions_;
    if (options) {
      const std::string_view v = Trim(options->value);
      if (!v.empty() && v.size() <= 3 && std::all_of(v.begin(), v.end(), [](char c) { return c >= '0' && c <= '9'; })) {
        const int value = std::stoi(std::string(v));
        if (value <= 255) contact.options = static_cast<uint8_t>(value);
      }
    }
    contact.replacedCharacters = replaced;
    return true;
  }
}

std::vector<VCardContact> PreviewVCards(std::string_view text, const AppSettings& settings, size_t count) {
  std::vector<VCardContact> contacts;
  VCardReader reader(text, settings);
  VCardContact c;
  while (contacts.size() < count && reader.Next(c)) contacts.push_back(c);
  return contacts;
}

VCardImportResult ImportVCards(std::string_view text, const VCardImportRequest& request,
                               const AppSettings& settings, std::unique_ptr<TDatabase>& contactList,
                               ProgressSink& progress) {
  constexpr size_t kUnit = 4096;  // progress moves by this many bytes
  const bool backupFailed = request.makeBackup && !request.dryRun && !MakeImportBackup(request.dataFile);
  if (!contactList) contactList = std::make_unique<TDatabase>();
  ImportMerge merge(*contactList, request.mode, text.size() / 256 + 1);
  VCardReader reader(text, settings);
  progress.SetProgressMax(static_cast<int>(text.size() / kUnit + 1));
  VCardContact contact;
  std::array<std::string_view, TRecord::kTextCount> views;
  int replaced = 0;
  for (;;) {
    progress.SetProgressPosition(static_cast<int>(reader.Position() / kUnit));
    if (!reader.Next(contact)) break;
    for (size_t i = 0; i < views.size(); ++i) views[i] = contact.texts[i];
    if (contact.replacedCharacters && !contact.texts[TRecord::kName].empty()) ++replaced;
    merge.Offer(views, contact.options);
  }
  const std::string_view body = text.starts_with("\xEF\xBB\xBF") ? text.substr(3) : text;
  if (!reader.SawCard() && body.find_first_not_of(" \t\r\n") != std::string_view::npos)
    throw UserError(kNoVCardInFile);
  VCardImportResult result;
  result.counts = request.dryRun ? merge.Result() : merge.Commit(contactList);
  result.counts.withReplacedCharacters = replaced;
  result.counts.backupFailed = backupFailed;
  result.damaged = reader.Damaged();
  return result;
}

// ---------------------------------------------------------------- writing

namespace {

// The UTF-8 form of each byte of code page 1252.
struct Utf8Table {
  std::array<std::array<char, 4>, 256> bytes{};  // [0] = length
  Utf8Table() {
    for (int b = 0; b < 256; ++b) {
      const std::string u = Cp1252ToUtf8(std::string(1, static_cast<char>(b)));
      bytes[static_cast<size_t>(b)][0] = static_cast<char>(u.size());
      for (size_t i = 0; i < u.size(); ++i) bytes[static_cast<size_t>(b)][i + 1] = u[i];
    }
  }
};

const Utf8Table& Utf8() {
  static const Utf8Table table;
  return table;
}

// True when the text holds a control character that vCard text cannot
// carry: any but TAB, apart from CR LF pairs (written as \n).
bool NeedsExactCopy(std::string_view text) {
  for (size_t i = 0; i < text.size(); ++i) {
    const auto c = static_cast<unsigned char>(text[i]);
    if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
      ++i;
    } else if ((c < 0x20 && c != '\t') || c == 0x7F) {
      return true;
    }
  }
  return false;
}

// The text as escaped vCard text in UTF-8; line breaks as \n, other
// control characters left out.
void AppendText(std::string& line, std::string_view text) {
  const Utf8Table& utf8 = Utf8();
  for (size_t i = 0; i < text.size(); ++i) {
    const auto c = static_cast<unsigned char>(text[i]);
    switch (c) {
      case '\\': line += "\\\\"; continue;
      case ',': line += "\\,"; continue;
      case ';': line += "\\;"; continue;
      case '\r':
        if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
        [[fallthrough]];
      case '\n': line += "\\n"; continue;
      default: break;
    }
    if ((c < 0x20 && c != '\t') || c == 0x7F) continue;
    const auto& u = utf8.bytes[c];
    line.append(u.data() + 1, static_cast<size_t>(u[0]));
  }
}

// A parameter value in double quotes, with ^ and " as ^^ and ^' and line
// breaks as ^n; other control characters left out.
void AppendQuotedParam(std::string& line, std::string_view text) {
  const Utf8Table& utf8 = Utf8();
  line += '"';
  for (size_t i = 0; i < text.size(); ++i) {
    const auto c = static_cast<unsigned char>(text[i]);
    if (c == '^') {
      line += "^^";
    } else if (c == '"') {
      line += "^'";
    } else if (c == '\r' || c == '\n') {
      if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
      line += "^n";
    } else if ((c < 0x20 && c != '\t') || c == 0x7F) {
      continue;
    } else {
      line.append(utf8.bytes[c].data() + 1, static_cast<size_t>(utf8.bytes[c][0]));
    }
  }
  line += '"';
}

// Appends a content line folded at 75 octets, never inside a UTF-8 character.
void AppendFolded(std::string& out, std::string_view line) {
  size_t limit = 75;
  while (line.size() > limit) {
    size_t cut = limit;
    while (cut > 1 && (static_cast<unsigned char>(line[cut]) & 0xC0) == 0x80) --cut;
    out.append(line.substr(0, cut));
    out += "\r\n ";
    line.remove_prefix(cut);
    limit = 74;
  }
  out.append(line);
  out += "\r\n";
}

}  // namespace

std::string BuildVCardText(const TDatabase& contacts, const std::vector<std::string>& fieldNames,
                           ProgressSink& progress) {
  const auto labels = VCardLabels(fieldNames);
  std::vector<std::string> names = fieldNames;
  names.resize(kAdditionalFieldCount);
  std::string out, line;
  out.reserve(static_cast<size_t>(contacts.Count()) * 320);
  progress.SetProgressMax(contacts.Count());
  auto put = [&](std::string_view start, std::string_view value) {
    line.assign(start);
    AppendText(line, value);
    AppendFolded(out, line);
  };
  for (int i = 0; i < contacts.Count(); ++i) {
    progress.SetProgressPosition(i);
    const TRecord& r = contacts.Items(i);
    out += "BEGIN:VCARD\r\nVERSION:3.0\r\n";
    // "Last, First Middle" splits at its first ", " when both sides hold
    // something; any other name is the family name whole.
    const std::string_view name = r.Name();
    const size_t comma = name.find(", ");
    const bool split = comma != std::string_view::npos && comma > 0 && comma + 2 < name.size();
    line.assign("N:");
    AppendText(line, split ? name.substr(0, comma) : name);
    line += ';';
    if (split) AppendText(line, name.substr(comma + 2));
    line += ";;";
    AppendText(line, r.Treatment());
    line += ';';
    AppendFolded(out, line);
    put("FN:", name);
    if (!r.Company().empty()) put("ORG:", r.Company());
    if (!r.Title().empty()) put("TITLE:", r.Title());
    if (!r.Address1().empty() || !r.Address2().empty() || !r.Address3().empty()) {
      line.assign("ADR;TYPE=WORK:;;");
      AppendText(line, r.Address1());
      line += ';';
      AppendText(line, r.Address2());
      line += ";;;";
      AppendText(line, r.Address3());
      AppendFolded(out, line);
    }
    if (!r.Phone().empty()) put("TEL;TYPE=WORK,VOICE:", r.Phone());
    if (!r.Fax().empty()) put("TEL;TYPE=WORK,FAX:", r.Fax());
    for (int f = 0; f < kAdditionalFieldCount; ++f) {
      const std::string_view value = r.Text(TRecord::kUser1 + f);
      if (value.empty()) continue;
      switch (labels[static_cast<size_t>(f)]) {
        case VCardLabel::Email: put("EMAIL;TYPE=INTERNET:", value); break;
        case VCardLabel::Mobile: put("TEL;TYPE=CELL:", value); break;
        case VCardLabel::HomePhone: put("TEL;TYPE=HOME,VOICE:", value); break;
        case VCardLabel::Web: put("URL:", value); break;
        case VCardLabel::Note: put("NOTE:", value); break;
        case VCardLabel::Birthday: put("BDAY:", value); break;
        case VCardLabel::None:
          line.assign(kVCardFieldProperty);
          line += static_cast<char>('1' + f);
          line += ";NAME=";
          AppendQuotedParam(line, names[static_cast<size_t>(f)]);
          line += ':';
          AppendText(line, value);
          AppendFolded(out, line);
          break;
      }
    }
    for (int f = 0; f < TRecord::kTextCount; ++f) {
      const std::string_view value = r.Text(f);
      if (!NeedsExactCopy(value)) continue;
      line.assign(kVCardTextProperty);
      line += ";FIELD=" + std::to_string(f) + ";ENCODING=b:";
      Base64Encode(value, line);
      AppendFolded(out, line);
    }
    line.assign(kVCardOptionsProperty);
    line += ':';
    line += std::to_string(r.Options);
    AppendFolded(out, line);
    out += "END:VCARD\r\n";
  }
  return out;
}

int ExportVCards(const TDatabase& contacts, const std::vector<std::string>& fieldNames,
                 const std::string& fileName, ProgressSink& progress) {
  const std::string text = BuildVCardText(contacts, fieldNames, progress);
  WriteFileAtomically(fileName, text);
  return contacts.Count();
}

}  // namespace qc
