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
#include "impexp/export.h"
#include "impexp/field_texts.h"
#include "impexp/header_names.h"
#include "impexp/import.h"
#include "impexp/import_text.h"
#include "impexp/vcard.h"
#include "platform/files.h"
#include "settings/app_settings.h"
#include "settings/ini_file.h"
#include "settings/wizard_options.h"

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

struct LoadedFile {
  TDatabase contacts;
  LoadReport report;
};

// Loads a data file of either layout without creating or changing anything.
LoadedFile LoadForReading(const std::string& path) {
  ReadResult file = ReadWholeFile(path);
  if (file.status != ReadStatus::Ok) {
    std::string reason = file.error.empty() ? "the file does not exist" : file.error;
    throw FileError("cannot read \"" + path + "\": " + reason);
  }
  LoadedFile loaded;
  SilentMessages silent;
  loaded.report = loaded.contacts.LoadFromBytes(file.content, silent);
  return loaded;
}

// "FILE is damaged: 3 of 5 contacts read".
std::string DamageNote(const std::string& path, const LoadReport& report) {
  return path + " is damaged: " + std::to_string(report.read) + " of " +
         std::to_string(report.announced) + " contacts read";
}

// Commands that only read say so when the file is damaged, and go on.
TDatabase LoadNotingDamage(const std::string& path, std::ostream& err) {
  LoadedFile loaded = LoadForReading(path);
  if (loaded.report.damaged) err << "qcard: " << DamageNote(path, loaded.report) << '\n';
  return std::move(loaded.contacts);
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
  std::string name(record.Name());
  for (char& c : name)
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = ' ';
  return Cp1252ToUtf8(name);
}

int RunList(Args args, std::ostream& out, std::ostream& err) {
  std::string path = kDefaultDataFile;
  bool json = false;
  for (size_t i = 0; i < args.size(); ++i) {
    if (std::string_view(args[i]) == "--json") {
      json = true;
    } else if (!TakeValueOption(args, i, "--data", path)) {
      throw UsageError("unknown option \"" + std::string(args[i]) + "\"");
    }
  }
  TDatabase contacts = LoadNotingDamage(path, err);
  for (int i = 0; i < contacts.Count(); ++i)
    out << (json ? JsonLine(contacts.Items(i)) : PlainLine(contacts.Items(i))) << '\n';
  return kExitOk;
}

// ---------------------------------------------------------------- export and import

// The additional field names and the default option byte: from the named
// settings file, or the defaults when none is named.
AppSettings LoadSettingsFile(const std::string& path) {
  AppSettings settings;
  if (path.empty()) return settings;
  ReadResult file = ReadWholeFile(path);
  if (file.status != ReadStatus::Ok) {
    std::string reason = file.error.empty() ? "the file does not exist" : file.error;
    throw FileError("cannot read the settings file \"" + path + "\": " + reason);
  }
  IniFileProfile profile(path);
  LoadSettings(profile, settings);
  return settings;
}

// The chosen fields, each of which must be one of `offered` (without regard to case).
std::vector<std::string> ChosenFields(const std::string& list, const std::vector<std::string>& offered) {
  std::vector<std::string> fields = SplitFieldList(list);
  if (fields.empty()) throw UsageError("--fields names no field");
  for (const std::string& field : fields) {
    if (IndexOfText(offered, field) >= 0) continue;
    std::string known;
    for (const std::string& o : offered) known += (known.empty() ? "" : ", ") + o;
    throw UserError("unknown field name \"" + field + "\" (the fields are: " + known + ")");
  }
  return fields;
}

// An option that takes no value.
bool TakeFlag(Args args, size_t i, std::string_view name, bool& flag) {
  if (std::string_view(args[i]) != name) return false;
  flag = true;
  return true;
}

void Require(const std::string& value, std::string_view option) {
  if (value.empty()) throw UsageError(std::string(option) + " is required");
}

// ---------------------------------------------------------------- vCard

// "--mode" as an import mode.
ImportMode ModeOption(const std::string& mode) {
  if (mode == "0" || mode == "1" || mode == "2") return static_cast<ImportMode>(mode[0] - '0');
  throw UsageError("--mode must be 0, 1 or 2");
}

// The whole import file; FileError saying why when it cannot be read.
ReadResult ReadImportFile(const std::string& input) {
  ReadResult file = ReadWholeFile(input);
  if (file.status != ReadStatus::Ok) {
    std::string reason = file.error.empty() ? "the file does not exist" : file.error;
    throw FileError("cannot read \"" + input + "\": " + reason);
  }
  return file;
}

// A damaged data file's original is kept before the file is written with
// only what could be read from it; when it cannot be kept, nothing is written.
void KeepDamagedBeforeWriting(const std::string& data, const LoadReport& report, std::ostream& err) {
  std::string kept;
  try {
    kept = KeepDamagedOriginal(data);
  } catch (const FileError& e) {
    throw FileError(DamageNote(data, report) + "; its original cannot be kept (" + e.what() +
                    "); the data file was not changed");
  }
  err << "qcard: " << DamageNote(data, report) << "; the original is kept as " << kept << '\n';
}

int RunVCardExport(const std::string& data, const std::string& settingsPath, const std::string& output,
                   std::ostream& out, std::ostream& err) {
  Require(data, "--data");
  Require(output, "--out");
  AppSettings settings = LoadSettingsFile(settingsPath);
  TDatabase contacts = LoadNotingDamage(data, err);
  NoProgress none;
  int written = ExportVCards(contacts, settings.FieldNames, output, none);
  out << written << (written == 1 ? " contact" : " contacts") << " exported\n";
  return kExitOk;
}

int RunVCardImport(const std::string& data, const std::string& settingsPath, const std::string& input,
                   const std::string& mode, bool backup, std::ostream& out, std::ostream& err) {
  Require(data, "--data");
  Require(input, "--in");
  VCardImportRequest request;
  request.mode = ModeOption(mode);
  request.makeBackup = backup;
  request.dataFile = data;
  AppSettings settings = LoadSettingsFile(settingsPath);
  LoadedFile loaded = LoadForReading(data);
  auto contacts = std::make_unique<TDatabase>(std::move(loaded.contacts));
  ReadResult file = ReadImportFile(input);
  if (loaded.report.damaged) KeepDamagedBeforeWriting(data, loaded.report, err);
  NoProgress none;
  VCardImportResult result = ImportVCards(file.content, request, settings, contacts, none);
  if (result.counts.backupFailed)
    throw FileError("cannot make the backup \"" + BackupPathFor(data) + "\"; the data file was not changed");
  contacts->SaveToFile(data);
  const ImportResult& c = result.counts;
  out << c.added << (c.added == 1 ? " contact" : " contacts") << " added, " << c.replaced << " replaced, "
      << c.nameless << " skipped, " << result.damaged << (result.damaged == 1 ? " damaged card, " : " damaged cards, ")
      << c.withReplacedCharacters << " with replaced characters, " << c.removed << " removed\n";
  return kExitOk;
}

int RunExport(Args args, std::ostream& out, std::ostream& err) {
  std::string data, settingsPath, fields, format, output;
  bool noHeaders = false;
  for (size_t i = 0; i < args.size(); ++i) {
    if (TakeValueOption(args, i, "--data", data) || TakeValueOption(args, i, "--settings", settingsPath) ||
        TakeValueOption(args, i, "--fields", fields) || TakeValueOption(args, i, "--format", format) ||
        TakeValueOption(args, i, "--out", output) || TakeFlag(args, i, "--no-headers", noHeaders))
      continue;
    throw UsageError("unknown option \"" + std::string(args[i]) + "\"");
  }
  if (format == "vcard") {
    if (!fields.empty() || noHeaders) throw UsageError("--fields and --no-headers are for comma and tab only");
    return RunVCardExport(data, settingsPath, output, out, err);
  }
  Require(data, "--data");
  Require(fields, "--fields");
  Require(output, "--out");
  ExportRequest request;
  if (format == "comma") {
    request.format = ExportFormat::Comma;
  } else if (format == "tab") {
    request.format = ExportFormat::Tab;
  } else {
    throw UsageError("--format must be comma, tab or vcard");
  }
  request.addHeaders = !noHeaders;

  AppSettings settings = LoadSettingsFile(settingsPath);
  request.fields = ChosenFields(fields, ExportFieldTexts(settings.FieldNames));
  TDatabase contacts = LoadNotingDamage(data, err);
  NoProgress none;
  int written = ExportContacts(contacts, settings.FieldNames, request, output, none);
  out << written << (written == 1 ? " contact" : " contacts") << " exported\n";
  return kExitOk;
}

// ---- the import's encoding, recognised header line and trial run

// The options of an import beyond the delimited format's own.
struct ImportExtras {
  std::string encoding = "auto";
  bool dryRun = false;
};

bool TakeImportExtra(Args args, size_t& i, ImportExtras& extras) {
  return TakeValueOption(args, i, "--encoding", extras.encoding) || TakeFlag(args, i, "--dry-run", extras.dryRun);
}

TextEncoding ChosenEncoding(const ImportExtras& extras) {
  std::optional<TextEncoding> encoding = ParseEncodingName(extras.encoding);
  if (!encoding) throw UsageError("--encoding must be auto, cp1252, utf-8 or utf-16");
  return *encoding;
}

// "--fields auto": the fields and the name layout that the first line names;
// that line is left out.
void UseHeaderLine(const std::vector<std::string_view>& lines, const AppSettings& settings, const std::string& input,
                   ImportRequest& request) {
  std::optional<HeaderMapping> header;
  if (!lines.empty())
    header = RecogniseHeader(SplitImportLine(lines[0], request.separators, request.quote), settings.FieldNames);
  if (!header) throw UserError("the first line of \"" + input + "\" does not name its columns; give --fields");
  request.fields = header->fields;
  request.nameLayout = header->nameLayout;
  request.ignoreFirstLine = true;
}

// What a trial run found, on one line.
void PrintTrialRun(const ImportResult& r, FoundEncoding encoding, std::ostream& out) {
  out << "dry run (read as " << EncodingName(encoding) << "): " << r.added << " added, " << r.removed << " removed, "
      << r.replaced << " replaced, " << r.skipped << " skipped as duplicates, " << r.numbered << " numbered, "
      << r.nameless << " without a name, " << r.withReplacedCharacters << " with replaced characters; nothing changed\n";
}

int RunImport(Args args, std::ostream& out, std::ostream& err) {
  std::string data, settingsPath, input, fields, separators, quote, layout = "full", mode = "0", format;
  bool tab = false, noQuote = false, ignoreFirst = false, backup = false, haveSeparators = false,
       haveQuote = false;
  ImportExtras extras;
  for (size_t i = 0; i < args.size(); ++i) {
    if (TakeValueOption(args, i, "--data", data) || TakeValueOption(args, i, "--settings", settingsPath) ||
        TakeValueOption(args, i, "--in", input) || TakeValueOption(args, i, "--fields", fields) ||
        TakeValueOption(args, i, "--name-layout", layout) || TakeValueOption(args, i, "--mode", mode) ||
        TakeFlag(args, i, "--tab", tab) || TakeFlag(args, i, "--no-quote", noQuote) ||
        TakeFlag(args, i, "--ignore-first-line", ignoreFirst) || TakeFlag(args, i, "--backup", backup) ||
        TakeImportExtra(args, i, extras))
      continue;
    if (TakeValueOption(args, i, "--format", format)) continue;
    if (TakeValueOption(args, i, "--separators", separators)) {
      haveSeparators = true;
      continue;
    }
    if (TakeValueOption(args, i, "--quote", quote)) {
      haveQuote = true;
      continue;
    }
    throw UsageError("unknown option \"" + std::string(args[i]) + "\"");
  }
  if (format == "vcard") {
    if (!fields.empty() || haveSeparators || tab || haveQuote || noQuote || ignoreFirst || layout != "full")
      throw UsageError("--format vcard takes no field, separator, quote, layout or first-line option");
    return RunVCardImport(data, settingsPath, input, mode, backup, out, err);
  }
  if (!format.empty()) throw UsageError("--format of an import must be vcard (delimited text needs none)");
  Require(data, "--data");
  Require(input, "--in");
  Require(fields, "--fields");

  ImportRequest request;
  if (haveSeparators == tab) throw UsageError("give either --separators TEXT or --tab");
  if (haveSeparators && separators.empty()) throw UsageError("--separators needs at least one character");
  request.separators = tab ? "\t" : separators;
  if (haveQuote && noQuote) throw UsageError("give either --quote CHAR or --no-quote");
  if (haveQuote && quote.size() != 1) throw UsageError("--quote takes exactly one character");
  request.quote = noQuote ? std::nullopt : std::optional<char>(haveQuote ? quote[0] : '"');
  if (layout == "full") {
    request.nameLayout = NameLayout::FullName;
  } else if (layout == "parts") {
    request.nameLayout = NameLayout::NameParts;
  } else {
    throw UsageError("--name-layout must be full or parts");
  }
  if (mode == "0" || mode == "1" || mode == "2") {
    request.mode = static_cast<ImportMode>(mode[0] - '0');
  } else {
    throw UsageError("--mode must be 0, 1 or 2");
  }
  request.ignoreFirstLine = ignoreFirst;
  request.makeBackup = backup;
  request.dataFile = data;
  request.dryRun = extras.dryRun;
  const TextEncoding encoding = ChosenEncoding(extras);
  const bool autoFields = fields == "auto";

  AppSettings settings = LoadSettingsFile(settingsPath);
  if (!autoFields)
    request.fields = ChosenFields(fields, ImportFieldChoices(static_cast<int>(request.nameLayout), settings.FieldNames));
  LoadedFile loaded = LoadForReading(data);
  auto contacts = std::make_unique<TDatabase>(std::move(loaded.contacts));
  ReadResult file = ReadImportFile(input);
  // The lines are read where they lie in the file's text (or in its
  // conversion to code page 1252), which stays until the import is done.
  const ImportText text = DecodeImportFile(file.content, encoding);
  const std::vector<std::string_view>& lines = text.lines;
  request.linesWithReplacedCharacters = text.linesWithReplacements;
  if (autoFields) UseHeaderLine(lines, settings, input, request);
  if (request.dryRun) {
    NoProgress none;
    PrintTrialRun(ImportContacts(lines, request, settings, contacts, none), text.encoding, out);
    return kExitOk;
  }

  // The import writes the data file back, and with it only what could be
  // read: a damaged file's original is kept first, or nothing is written.
  if (loaded.report.damaged) KeepDamagedBeforeWriting(data, loaded.report, err);

  NoProgress none;
  ImportResult result = ImportContacts(lines, request, settings, contacts, none);
  // The data file is only written over once its copy is safe.
  if (result.backupFailed)
    throw FileError("cannot make the backup \"" + BackupPathFor(data) + "\"; the data file was not changed");
  contacts->SaveToFile(data);
  out << result.added << (result.added == 1 ? " contact" : " contacts") << " added, " << result.removed
      << " removed\n";
  return kExitOk;
}

constexpr Command kCommands[] = {
    {"list", "qcard list [--data FILE] [--json]", RunList},
    {"export",
     "qcard export --data FILE [--settings INI] --fields \"Name,Company,...\" --format comma|tab "
     "[--no-headers] --out FILE\n"
     "usage: qcard export --data FILE [--settings INI] --format vcard --out FILE.vcf",
     RunExport},
    {"import",
     "qcard import --data FILE [--settings INI] --in FILE --fields \"Full Name,Company,...\" "
     "(--separators TEXT | --tab) [--quote CHAR | --no-quote] [--name-layout full|parts] [--mode 0|1|2] "
     "[--ignore-first-line] [--backup] [--encoding auto|cp1252|utf-8|utf-16] [--dry-run] "
     "(--fields auto: the fields the first line names; \"(Skip column)\" leaves a column out)\n"
     "usage: qcard import --data FILE [--settings INI] --in FILE.vcf --format vcard [--mode 0|1|2] [--backup]",
     RunImport},
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
