// The INI reader and writer on any text, and the file-backed profile on the
// same bytes. Input: five lines naming a section, a key, a value, and a
// second section and key; everything after them is the file.
//
// A read never returns more than 1023 characters or a line break; a write
// changes the written key only, reads back as written, is idempotent, and
// the profile on disk gives the same results as the text functions.
#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "common/text.h"
#include "fuzz_check.h"
#include "settings/ini_file.h"

namespace qc::fuzz {
namespace {

namespace fs = std::filesystem;

std::string_view TrimBlanks(std::string_view s) {
  auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\v' || c == '\f'; };
  while (!s.empty() && blank(s.front())) s.remove_prefix(1);
  while (!s.empty() && blank(s.back())) s.remove_suffix(1);
  return s;
}

void CheckRead(const std::optional<std::string>& value) {
  if (!value) return;
  FUZZ_CHECK(value->size() <= kMaxProfileValueLength);
  FUZZ_CHECK(value->find_first_of(std::string_view("\r\n\0", 3)) == std::string::npos);
}

// A folder of this process for the profile's file, removed at exit.
const fs::path& Folder() {
  static const fs::path folder = [] {
    fs::path base = fs::exists("/dev/shm") ? fs::path("/dev/shm") : fs::temp_directory_path();
    fs::path dir = base / ("qc-ini-fuzz-" + std::to_string(::getpid()));
    fs::create_directories(dir);
    std::atexit([] { std::error_code ec; fs::remove_all(Folder(), ec); });
    return dir;
  }();
  return folder;
}

std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

}  // namespace
}  // namespace qc::fuzz

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace qc;
  using namespace qc::fuzz;
  std::string_view rest = Bytes(data, size);
  const std::string section(TakeLine(rest)), key(TakeLine(rest)), value(TakeLine(rest));
  const std::string section2(TakeLine(rest)), key2(TakeLine(rest));
  const std::string_view content = rest;

  const std::optional<std::string> before = FindIniValue(content, section, key);
  const std::optional<std::string> before2 = FindIniValue(content, section2, key2);
  CheckRead(before);
  CheckRead(before2);

  const bool writable = IsWritableSectionName(section) && IsWritableKeyName(key);
  const std::string line = OneLineProfileValue(value);
  std::string updated;
  if (writable) {
    updated = SetIniValue(content, section, key, line);
    // The value reads back as any file holding it on its own would give it.
    FUZZ_CHECK(FindIniValue(updated, section, key) == FindIniValue("[s]\r\nk=" + line, "s", "k"));
    // Writing the same again changes nothing.
    FUZZ_CHECK(SetIniValue(updated, section, key, line) == updated);
    // Every other key keeps its value.
    const bool same = SameText(TrimBlanks(section), TrimBlanks(section2)) &&
                      SameText(TrimBlanks(key), TrimBlanks(key2));
    if (!same) FUZZ_CHECK(FindIniValue(updated, section2, key2) == before2);
  }

  // The profile on a file with the same bytes.
  const fs::path file = Folder() / "QUILLCRD.INI";
  {
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(content.data(), static_cast<std::streamsize>(content.size()));
  }
  IniFileProfile profile(file);
  const std::string def = "  default\t";
  FUZZ_CHECK(profile.ReadString(section, key, def) == (before ? *before : ProfileDefaultValue(def)));
  const bool written = profile.WriteString(section, key, value);
  FUZZ_CHECK(written == writable);
  FUZZ_CHECK(ReadFile(file) == (writable ? updated : std::string(content)));
  return 0;
}
