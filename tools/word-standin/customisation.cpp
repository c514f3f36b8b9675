#include "customisation.h"

#include <cstdio>

namespace standin {
namespace {

constexpr char kNormalHeader[] = "; Word stand-in Normal: toolbars and key assignments";

char UpperAscii(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c; }

// Lines ended by LF or CRLF; a last line without an end counts too.
std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(std::move(line));
    start = end + 1;
  }
  return lines;
}

std::string Trim(const std::string& s) {
  size_t a = s.find_first_not_of(" \t");
  if (a == std::string::npos) return {};
  size_t b = s.find_last_not_of(" \t");
  return s.substr(a, b - a + 1);
}

std::string Escape(const std::string& s) {
  std::string out;
  for (char c : s) {
    switch (c) {
      case '\\': out += "\\\\"; break;
      case '\t': out += "\\t"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      default: out += c;
    }
  }
  return out;
}

// Splits a line at its tabs and undoes the escapes; nullopt on a bad escape.
std::optional<std::vector<std::string>> Fields(const std::string& line) {
  std::vector<std::string> fields(1);
  for (size_t i = 0; i < line.size(); ++i) {
    char c = line[i];
    if (c == '\t') {
      fields.emplace_back();
    } else if (c != '\\') {
      fields.back() += c;
    } else if (++i < line.size()) {
      switch (line[i]) {
        case '\\': fields.back() += '\\'; break;
        case 't': fields.back() += '\t'; break;
        case 'n': fields.back() += '\n'; break;
        case 'r': fields.back() += '\r'; break;
        default: return std::nullopt;
      }
    } else {
      return std::nullopt;
    }
  }
  return fields;
}

// A whole decimal number in [low, high].
std::optional<int> Number(const std::string& s, int low, int high) {
  if (s.empty() || s.size() > 9) return std::nullopt;
  int n = 0;
  for (char c : s) {
    if (c < '0' || c > '9') return std::nullopt;
    n = n * 10 + (c - '0');
  }
  if (n < low || n > high) return std::nullopt;
  return n;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

}  // namespace

bool SameName(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (UpperAscii(a[i]) != UpperAscii(b[i])) return false;
  return true;
}

std::string ImageText(const ButtonImage& image) {
  if (image.Empty()) return {};
  std::string s = std::to_string(image.width) + "x" + std::to_string(image.height) + ":";
  s.reserve(s.size() + image.pixels.size() * 6);
  char buf[8];
  for (std::uint32_t p : image.pixels) {
    std::snprintf(buf, sizeof buf, "%06X", static_cast<unsigned>(p & 0xFFFFFF));
    s += buf;
  }
  return s;
}

std::optional<ButtonImage> ParseImageText(const std::string& text) {
  size_t x = text.find('x'), colon = text.find(':');
  if (x == std::string::npos || colon == std::string::npos || x > colon) return std::nullopt;
  auto w = Number(text.substr(0, x), 1, kMaxImageSide);
  auto h = Number(text.substr(x + 1, colon - x - 1), 1, kMaxImageSide);
  if (!w || !h) return std::nullopt;
  size_t count = static_cast<size_t>(*w) * static_cast<size_t>(*h);
  if (text.size() - colon - 1 != count * 6) return std::nullopt;
  ButtonImage image{*w, *h, {}};
  image.pixels.reserve(count);
  for (size_t i = colon + 1; i < text.size(); i += 6) {
    std::uint32_t p = 0;
    for (size_t k = 0; k < 6; ++k) {
      int d = HexDigit(text[i + k]);
      if (d < 0) return std::nullopt;
      p = p << 4 | static_cast<std::uint32_t>(d);
    }
    image.pixels.push_back(p);
  }
  return image;
}

std::string WriteNormal(const Customisations& c) {
  std::string s = std::string(kNormalHeader) + "\r\n";
  for (const Toolbar& t : c.toolbars) {
    s += "toolbar\t" + Escape(t.name) + "\r\n";
    for (const ToolbarButton& b : t.buttons) s += "button\t" + Escape(b.macro) + "\t" + ImageText(b.image) + "\r\n";
  }
  for (const KeyAssignment& k : c.keys) s += "key\t" + std::to_string(k.code) + "\t" + Escape(k.macro) + "\r\n";
  return s;
}

std::optional<Customisations> ReadNormal(const std::string& text) {
  std::vector<std::string> lines = Lines(text);
  if (lines.empty() || lines[0] != kNormalHeader) return std::nullopt;
  Customisations c;
  for (size_t i = 1; i < lines.size(); ++i) {
    if (lines[i].empty()) continue;
    auto f = Fields(lines[i]);
    if (!f) return std::nullopt;
    const std::string& kind = (*f)[0];
    if (kind == "toolbar" && f->size() == 2 && !(*f)[1].empty()) {
      c.toolbars.push_back({(*f)[1], {}});
    } else if (kind == "button" && f->size() == 3 && !c.toolbars.empty()) {
      ToolbarButton b{(*f)[1], {}};
      if (!(*f)[2].empty()) {
        auto image = ParseImageText((*f)[2]);
        if (!image) return std::nullopt;
        b.image = std::move(*image);
      }
      c.toolbars.back().buttons.push_back(std::move(b));
    } else if (kind == "key" && f->size() == 3) {
      auto code = Number((*f)[1], 1, 0x7FFFFFFF);
      if (!code) return std::nullopt;
      c.keys.push_back({*code, (*f)[2]});
    } else {
      return std::nullopt;
    }
  }
  return c;
}

int WordKeyCode(int virtualKey, bool shift, bool ctrl, bool alt) {
  return (virtualKey & 0xFF) + (shift ? 256 : 0) + (ctrl ? 512 : 0) + (alt ? 1024 : 0);
}

std::optional<std::vector<Macro>> ParseTemplate(const std::string& text) {
  std::vector<std::string> lines = Lines(text);
  if (lines.empty()) return std::nullopt;
  std::string first = lines[0];
  if (first.rfind("\xEF\xBB\xBF", 0) == 0) first.erase(0, 3);  // a byte-order mark an editor may add
  if (first.rfind(kTemplateMarker, 0) != 0) return std::nullopt;
  std::vector<Macro> macros;
  bool inMacros = false;
  for (size_t i = 1; i < lines.size(); ++i) {
    std::string line = Trim(lines[i]);
    if (line.empty() || line[0] == ';') continue;
    if (line.front() == '[' && line.back() == ']') {
      inMacros = SameName(line, "[Macros]");
      continue;
    }
    size_t eq = line.find('=');
    if (!inMacros || eq == std::string::npos) continue;
    std::string name = Trim(line.substr(0, eq));
    if (!name.empty()) macros.push_back({name, Trim(line.substr(eq + 1))});
  }
  return macros;
}

}  // namespace standin
