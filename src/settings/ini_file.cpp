#include "settings/ini_file.h"

#include <fstream>
#include <iterator>
#include <system_error>
#include <utility>
#include <vector>

#include "common/text.h"

namespace qc {
namespace {

namespace fs = std::filesystem;

constexpr std::string_view kLineEnd = "\r\n";
constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\v' || c == '\f'; }

std::string_view Trim(std::string_view s) {
  while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
  return s;
}

bool HasLineBreakOrNul(std::string_view s) {
  return s.find_first_of(std::string_view("\r\n\0", 3)) != std::string_view::npos;
}

// One line of the text: [begin, end) is its text, [end, next) its line break
// (empty only for a last line without one).
struct Line {
  std::size_t begin = 0;
  std::size_t end = 0;
  std::size_t next = 0;
};

std::vector<Line> LineSpans(std::string_view content) {
  std::vector<Line> lines;
  std::size_t pos = content.substr(0, kUtf8Bom.size()) == kUtf8Bom ? kUtf8Bom.size() : 0;
  while (pos < content.size()) {
    Line line;
    line.begin = pos;
    std::size_t brk = content.find_first_of("\r\n", pos);
    if (brk == std::string_view::npos) {
      line.end = line.next = content.size();
    } else {
      line.end = brk;
      line.next = brk + 1;
      if (content[brk] == '\r' && line.next < content.size() && content[line.next] == '\n')
        ++line.next;
    }
    lines.push_back(line);
    pos = line.next;
  }
  return lines;
}

enum class LineKind { kOther, kSection, kKey };

struct ParsedLine {
  LineKind kind = LineKind::kOther;
  std::string_view name;   // section or key name, trimmed
  std::string_view value;  // raw value of a key line
};

ParsedLine ParseLine(std::string_view text) {
  ParsedLine parsed;
  std::string_view trimmed = Trim(text);
  if (!trimmed.empty() && trimmed.front() == '[') {
    std::size_t close = trimmed.rfind(']');
    if (close != std::string_view::npos) {
      parsed.kind = LineKind::kSection;
      parsed.name = Trim(trimmed.substr(1, close - 1));
      return parsed;
    }
  }
  std::size_t eq = text.find('=');
  if (eq != std::string_view::npos) {
    parsed.kind = LineKind::kKey;
    parsed.name = Trim(text.substr(0, eq));
    parsed.value = text.substr(eq + 1);
  }
  return parsed;
}

std::string CleanValue(std::string_view raw) {
  std::string_view v = Trim(raw);
  if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front())
    v = v.substr(1, v.size() - 2);
  std::size_t nul = v.find('\0');
  if (nul != std::string_view::npos) v = v.substr(0, nul);
  if (v.size() > kMaxProfileValueLength) v = v.substr(0, kMaxProfileValueLength);
  return std::string(v);
}

// Where a section lies in the text: the index of its header line and the
// index one past its last line. Only the first section of that name counts.
struct SectionSpan {
  std::size_t header = 0;
  std::size_t end = 0;
};

std::optional<SectionSpan> FindSection(std::string_view content, const std::vector<Line>& lines,
                                       std::string_view section) {
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const Line& l = lines[i];
    ParsedLine p = ParseLine(content.substr(l.begin, l.end - l.begin));
    if (p.kind != LineKind::kSection || !SameText(p.name, section)) continue;
    std::size_t j = i + 1;
    while (j < lines.size() &&
           ParseLine(content.substr(lines[j].begin, lines[j].end - lines[j].begin)).kind !=
               LineKind::kSection)
      ++j;
    return SectionSpan{i, j};
  }
  return std::nullopt;
}

// The whole file, or nothing when it is missing or cannot be read.
std::optional<std::string> ReadWholeFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  std::string content((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (in.bad()) return std::nullopt;
  return content;
}

// Replaces `target` by a file holding `content`: written beside it first and
// renamed over it, so the old file stays whole when anything fails.
bool ReplaceFile(const fs::path& target, const std::string& content, bool targetExists) {
  std::error_code ec;
  fs::path temp = target;
  temp += ".new~";
  {
    std::ofstream out(temp, std::ios::binary | std::ios::trunc);
    if (!out) return false;
    out.write(content.data(), static_cast<std::streamsize>(content.size()));
    out.flush();
    if (!out) {
      out.close();
      fs::remove(temp, ec);
      return false;
    }
  }
  if (targetExists) {
    fs::file_status old = fs::status(target, ec);
    if (!ec) fs::permissions(temp, old.permissions(), ec);
  }
  fs::rename(temp, target, ec);
  if (ec) {
    std::error_code ignored;
    fs::remove(temp, ignored);
    return false;
  }
  return true;
}

}  // namespace

bool IsWritableSectionName(std::string_view name) {
  return !Trim(name).empty() && !HasLineBreakOrNul(name) && name.find(']') == std::string_view::npos;
}

bool IsWritableKeyName(std::string_view name) {
  std::string_view t = Trim(name);
  return !t.empty() && t.front() != '[' && !HasLineBreakOrNul(name) &&
         name.find('=') == std::string_view::npos;
}

std::string OneLineProfileValue(std::string_view value) {
  std::size_t cut = value.find_first_of(std::string_view("\r\n\0", 3));
  return std::string(value.substr(0, cut));
}

std::string QuotedProfileValue(std::string_view value) {
  std::string line = OneLineProfileValue(value);
  const bool blankAtEnd = !line.empty() && (IsBlank(line.front()) || IsBlank(line.back()));
  const bool quoted = line.size() >= 2 && (line.front() == '"' || line.front() == '\'') &&
                      line.back() == line.front();
  return blankAtEnd || quoted ? '"' + line + '"' : line;
}

std::optional<std::string> FindIniValue(std::string_view content, std::string_view section,
                                        std::string_view key) {
  section = Trim(section);
  key = Trim(key);
  std::vector<Line> lines = LineSpans(content);
  std::optional<SectionSpan> span = FindSection(content, lines, section);
  if (!span) return std::nullopt;
  for (std::size_t i = span->header + 1; i < span->end; ++i) {
    ParsedLine p = ParseLine(content.substr(lines[i].begin, lines[i].end - lines[i].begin));
    if (p.kind == LineKind::kKey && SameText(p.name, key)) return CleanValue(p.value);
  }
  return std::nullopt;
}

std::string SetIniValue(std::string_view content, std::string_view section, std::string_view key,
                        std::string_view value) {
  section = Trim(section);
  key = Trim(key);
  std::vector<Line> lines = LineSpans(content);
  std::string result(content);
  std::optional<SectionSpan> span = FindSection(content, lines, section);

  if (!span) {
    // A new section at the end; an unfinished last line is ended first.
    if (!result.empty() && result.back() != '\n' && result.back() != '\r') result += kLineEnd;
    result += '[';
    result += section;
    result += ']';
    result += kLineEnd;
    result += key;
    result += '=';
    result += value;
    result += kLineEnd;
    return result;
  }

  for (std::size_t i = span->header + 1; i < span->end; ++i) {
    const Line& l = lines[i];
    ParsedLine p = ParseLine(content.substr(l.begin, l.end - l.begin));
    if (p.kind != LineKind::kKey || !SameText(p.name, key)) continue;
    // Keeps the key as the file spells it, as the platform functions do.
    std::string replacement(p.name);
    replacement += '=';
    replacement += value;
    result.replace(l.begin, l.end - l.begin, replacement);
    return result;
  }

  // A new key after the section's last non-blank line, so that blank lines
  // separating it from the next section stay where they are.
  std::size_t last = span->header;
  for (std::size_t i = span->header + 1; i < span->end; ++i)
    if (!Trim(content.substr(lines[i].begin, lines[i].end - lines[i].begin)).empty()) last = i;
  const Line& after = lines[last];
  std::string insertion;
  if (after.next == after.end) insertion += kLineEnd;  // the file's unfinished last line
  insertion += key;
  insertion += '=';
  insertion += value;
  insertion += kLineEnd;
  result.insert(after.next, insertion);
  return result;
}

std::string ProfileDefaultValue(std::string_view def) {
  while (!def.empty() && IsBlank(def.back())) def.remove_suffix(1);
  if (def.size() > kMaxProfileValueLength) def = def.substr(0, kMaxProfileValueLength);
  return std::string(def);
}

IniFileProfile::IniFileProfile(std::filesystem::path path) : path_(std::move(path)) {}

std::string IniFileProfile::ReadString(const std::string& section, const std::string& key,
                                       const std::string& def) {
  std::optional<std::string> content = ReadWholeFile(path_);
  if (content) {
    std::optional<std::string> value = FindIniValue(*content, section, key);
    if (value) return *value;
  }
  return ProfileDefaultValue(def);
}

bool IniFileProfile::WriteString(const std::string& section, const std::string& key,
                                 const std::string& value) {
  if (!IsWritableSectionName(section) || !IsWritableKeyName(key)) return false;

  // Through a symbolic link the file it points to is replaced, not the link.
  std::error_code ec;
  fs::path target = path_;
  if (fs::is_symlink(path_, ec)) {
    fs::path resolved = fs::canonical(path_, ec);
    if (!ec) target = resolved;
  }

  fs::file_status st = fs::status(target, ec);
  bool exists = fs::exists(st);
  if (ec && !exists && st.type() != fs::file_type::not_found) return false;
  std::string old;
  if (exists) {
    if (!fs::is_regular_file(st)) return false;
    std::optional<std::string> content = ReadWholeFile(target);
    if (!content) return false;
    old = std::move(*content);
  }

  std::string updated = SetIniValue(old, section, key, OneLineProfileValue(value));
  if (exists && updated == old) return true;

  if (exists) {
    // A file the platform will not let us write (read-only) is not replaced.
    std::fstream probe(target, std::ios::in | std::ios::out | std::ios::binary);
    if (!probe) return false;
  }
  return ReplaceFile(target, updated, exists);
}

std::string IniFileProfile::FileName() const { return path_.filename().string(); }

}  // namespace qc
