#pragma once
// What a user makes of Word beyond documents: toolbars with their buttons and
// images, key assignments, and the macros of the templates Word loads at start.
// Also the text forms they take: the Normal file that keeps them between runs,
// the stand-in's own template files and a button image written out as text.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace standin {

// Names of commands, toolbars and macros compare without regard to case.
bool SameName(const std::string& a, const std::string& b);

// A picture pasted onto a button: 0xRRGGBB per pixel, row by row from the top.
struct ButtonImage {
  int width = 0;
  int height = 0;
  std::vector<std::uint32_t> pixels;
  bool Empty() const { return pixels.empty(); }
};
// The largest side of an image the stand-in keeps.
constexpr int kMaxImageSide = 256;

// "WxH:" and six hex digits RRGGBB per pixel; empty for no image.
std::string ImageText(const ButtonImage& image);
// The reverse; nullopt when the text is not a whole, sensible image.
std::optional<ButtonImage> ParseImageText(const std::string& text);

struct ToolbarButton {
  std::string macro;
  ButtonImage image;
};
struct Toolbar {
  std::string name;
  std::vector<ToolbarButton> buttons;
};
struct KeyAssignment {
  int code;
  std::string macro;
};

struct Customisations {
  std::vector<Toolbar> toolbars;
  std::vector<KeyAssignment> keys;
};

// The Normal file: a first line that names the format, then one line per
// toolbar, button and key, fields divided by tabs (with "\\", "\t", "\n" and
// "\r" escaped). Read back all or nothing: a damaged file gives nullopt.
std::string WriteNormal(const Customisations& c);
std::optional<Customisations> ReadNormal(const std::string& text);

// Word's code for a key combination: the virtual-key code, plus 256 with
// Shift, 512 with Ctrl and 1024 with Alt.
int WordKeyCode(int virtualKey, bool shift, bool ctrl, bool alt);

// A macro of a template: its name and the command line it starts.
struct Macro {
  std::string name;
  std::string commandLine;
};
struct Template {
  std::string path;
  std::vector<Macro> macros;
};

// The first line of every stand-in template.
constexpr char kTemplateMarker[] = "; Word stand-in template";
// The macros of a stand-in template; nullopt when the text is not one.
std::optional<std::vector<Macro>> ParseTemplate(const std::string& text);

}  // namespace standin
