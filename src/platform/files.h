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
// place in one step. On Windows an existing file keeps its identity
// (attributes, creation time, security and streams); a read-only file is
// refused. On any failure the old file is untouched, the temporary file is
// removed, and FileError is thrown with the platform's error text.
//
// Should the old file vanish during the replacement while the new content
// cannot be put in its place, the temporary file is kept, as the only whole
// copy of the content, and the error names it.
//
// When the folder refuses new files (the user may change files there but not
// add them) and the file exists, the content is written over the existing
// file instead, from its start, cut to the new length and flushed. That write
// is not atomic: a crash part-way leaves a mix of old and new content. A
// failure reported from it has put the old content back as far as the disk
// allows.
void WriteFileAtomically(const std::string& path, std::string_view content);

// A file's new content given piece by piece, so that a big file need not be
// made whole in memory before it is written.
class ContentPieces {
 public:
  virtual ~ContentPieces() = default;
  // The number of bytes all the pieces hold.
  virtual size_t Size() const = 0;
  // The next piece; empty once every byte has been given. A piece stays
  // valid until the next call.
  virtual std::string_view Next() = 0;
};

// The same safe replacement, for content given in pieces. The pieces are
// asked for once, in order.
void WriteFileAtomically(const std::string& path, ContentPieces& content);

// Deletes the temporary files of saves of `path` that never finished: the
// files in its folder named exactly as WriteFileAtomically names them for
// `path`. Nothing is deleted while `path` does not exist (a temporary file may
// then hold the only copy), and a file made by a process still running is
// left, as is any file that cannot be deleted. Never throws.
void RemoveLeftoverTemporaryFiles(const std::string& path);

// Copies a file over an existing one. Throws FileError on failure.
void CopyFileOver(const std::string& from, const std::string& to);

bool FileExists(const std::string& path);

class FileError : public UserError {
 public:
  using UserError::UserError;
};

}  // namespace qc
