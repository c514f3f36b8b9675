#pragma once
// File services the portable core needs from the platform.
#include <string>
#include <string_view>

#include "common/user_messages.h"

namespace qc {

enum class ReadStatus { Ok, NotFound, Failed };

struct ReadResult {
  ReadStatus status = ReadStatus::Failed;
  std::string content;  // the whole file when status is Ok
  std::string error;    // the platform's error text when status is Failed
};

// Reads a whole file. NotFound only when the file does not exist; any other
// failure (no access, locked, a directory) is Failed with the platform's text.
ReadResult ReadWholeFile(const std::string& path);

// Creates an empty file when none exists; never truncates an existing one.
// Throws FileError with the platform's text on failure.
void CreateEmptyFileIfMissing(const std::string& path);

// Replaces the file's whole content safely: the content goes to a temporary
// file in the same folder, is flushed to disk, and then takes the old file's
// place in one step. On any failure the old file is untouched, the temporary
// file is removed, and FileError is thrown with the platform's error text.
void WriteFileAtomically(const std::string& path, std::string_view content);

// Copies a file over an existing one. Throws FileError on failure.
void CopyFileOver(const std::string& from, const std::string& to);

bool FileExists(const std::string& path);

class FileError : public UserError {
 public:
  using UserError::UserError;
};

}  // namespace qc
