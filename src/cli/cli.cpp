#include "cli/cli.h"

#include <cstdio>
#include <exception>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>

#include "common/text.h"
#include "common/user_messages.h"
#include "data/database.h"
#include "platform/files.h"

namespace qc {
namespace {

constexpr int kExitOk = 0;
constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;
constexpr char kDefaultDataFile[] = "QUILLCRD.DAT";

// The command line was not understood; the text says what was wrong.
class UsageError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// qcard talks to no one while loading: the 2.x import notice is for the
// program's window only.
class SilentMessages : public UserMessages {
 public:
  void Information(const std::string&) override {}
  void Warning(const std::string&) override {}
  bool Confirm(const std::string&) override { return false; }
};

using Args = std::span<char* const>;

struct Command {
  std::string_view name;
  std::string_view usage;
  int (*run)(Args args, std::ostream& out, std::ostream& err);
};

// Takes the value of an option given as "--name VALUE" or "--name=VALUE".
// Returns false when `args[i]` is not that option; advances `i` past a
// separate value.
bool TakeValueOption(Args args, size_t& i, std::string_view name, std::string& value) {
  std::string_view arg = args[i];
  if (arg == name) {
    if (i + 1 >= args.size()) throw UsageError("option " + std::string(name) + " needs a value");
    value = args[++i];
    return true;
  }
  if (arg.size() > name.size() && arg.starts_with(name) && arg[name.size()] == '=') {
    value = arg.substr(name.size() + 1);
    return true;
  }
  return false;
}

// Loads a data file of either layout without creating or changing anything.
TDatabase LoadForReading(const std::string& path) {
  ReadResult file = ReadWholeFile(path);
  if (file.status != ReadStatus::Ok) {
    std::string reason = file.error.empty() ? "the file does not exist" : file.error;
    throw FileError("cannot read \"" + path + "\": " + reason);
  }
  TDatabase contacts;
  SilentMessages silent;
  contacts.LoadFromBytes(file.content, silent);
  return contacts;
}

void AppendJsonString(std::string& out, std::string_view utf8) {
  out += '"';
  for (char c : utf8) {
    switch (c) {
      case '"': out += "\\\""; break;
      case '\\': out += "\\\\"; break;
      case '\b': out += "\\b"; break;
      case '\f': out += "\\f"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      case '\t': out += "\\t"; break;
      default:
        if (static_cast<unsigned char>(c) < 0x20) {
          char escaped[8];
          std::snprintf(escaped, sizeof escaped, "\\u%04x", static_cast<unsigned char>(c));
          out += escaped;
        } else {
          out += c;
        }
    }
  }
  out += '"';
}

constexpr const char* kJsonKeys[TRecord::kTextCount] = {
    "Name",     "Company",  "Title", "Treatment", "Address1", "Address2",
    "Address3", "Fax",      "Phone", "User1",     "User2",    "User3",
    "User4",    "User5",    "User6", "User7",     "User8"};

std::string JsonLine(const TRecord& record) {
  std::string line = "{";
  for (int i = 0; i < TRecord::kTextCount; ++i) {
    AppendJsonString(line, kJsonKeys[i]);
    line += ':';
    AppendJsonString(line, Cp1252ToUtf8(record.Text(i)));
    line += ',';
  }
  line += "\"Options\":" + std::to_string(record.Options) + "}";
  return line;
}

// The contact's name for a terminal: control characters, which would break
// the one-line-per-contact output, become spaces.
std::string PlainLine(const TRecord& record) {
  std::string name = record.Name;
  for (char& c : name)
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = ' ';
  return Cp1252ToUtf8(name);
}

int RunList(Args args, std::ostream& out, std::ostream&) {
  std::string path = kDefaultDataFile;
  bool json = false;
  for (size_t i = 0; i < args.size(); ++i) {
    if (std::string_view(args[i]) == "--json") {
      json = true;
    } else if (!TakeValueOption(args, i, "--data", path)) {
      throw UsageError("unknown option \"" + std::string(args[i]) + "\"");
    }
  }
  TDatabase contacts = LoadForReading(path);
  for (int i = 0; i < contacts.Count(); ++i)
    out << (json ? JsonLine(contacts.Items(i)) : PlainLine(contacts.Items(i))) << '\n';
  return kExitOk;
}

constexpr Command kCommands[] = {
    {"list", "qcard list [--data FILE] [--json]", RunList},
};

void PrintUsage(std::ostream& err) {
  for (const Command& command : kCommands) err << "usage: " << command.usage << '\n';
}

}  // namespace

int RunQcard(int argc, char** argv, std::ostream& out, std::ostream& err) {
  Args all(argv, argc > 0 ? static_cast<size_t>(argc) : 0);
  try {
    if (all.size() < 2) throw UsageError("no command given");
    std::string_view name = all[1];
    for (const Command& command : kCommands) {
      if (name != command.name) continue;
      int code = command.run(all.subspan(2), out, err);
      out.flush();
      if (!out) {
        err << "qcard: the output could not be written\n";
        return kExitFailed;
      }
      return code;
    }
    throw UsageError("unknown command \"" + std::string(name) + "\"");
  } catch (const UsageError& e) {
    err << "qcard: " << e.what() << '\n';
    PrintUsage(err);
    return kExitUsage;
  } catch (const std::exception& e) {
    err << "qcard: " << e.what() << '\n';
    return kExitFailed;
  }
}

}  // namespace qc
