// File services on Windows, through the ANSI file functions.
#include <windows.h>

#include <atomic>
#include <cstdint>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "platform/files.h"
#include "platform/paths.h"
#include "platform/piece_cursor.h"
#include "platform/save_faults.h"
#include "platform/temporary_names.h"

namespace qc {
namespace {

// The system's text for an error code, without the trailing line break.
std::string Reason(DWORD error) {
  char* buffer = nullptr;
  DWORD length = FormatMessageA(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, error, 0, reinterpret_cast<LPSTR>(&buffer), 0, nullptr);
  std::string text;
  if (length != 0 && buffer != nullptr) text.assign(buffer, length);
  if (buffer != nullptr) LocalFree(buffer);
  while (!text.empty() && (text.back() == '\r' || text.back() == '\n' || text.back() == ' '))
    text.pop_back();
  if (text.empty()) text = "Windows error " + std::to_string(error);
  return text;
}

[[noreturn]] void Throw(const std::string& what, DWORD error) {
  throw FileError(what + ": " + Reason(error));
}

std::string Quoted(const std::string& path) { return "\"" + path + "\""; }

// Closes the handle when it goes out of scope, unless closed before.
class FileHandle {
 public:
  explicit FileHandle(HANDLE handle) : handle_(handle) {}
  FileHandle(const FileHandle&) = delete;
  FileHandle& operator=(const FileHandle&) = delete;
  ~FileHandle() {
    if (handle_ != INVALID_HANDLE_VALUE) CloseHandle(handle_);
  }
  HANDLE get() const { return handle_; }
  // 0 or the error of a failed close.
  DWORD Close() {
    BOOL ok = CloseHandle(handle_);
    handle_ = INVALID_HANDLE_VALUE;
    return ok ? 0 : GetLastError();
  }

 private:
  HANDLE handle_;
};

// 0 or the error of the failure.
DWORD WriteAll(HANDLE file, std::string_view content) {
  while (!content.empty()) {
    DWORD chunk = content.size() > (1u << 30) ? (1u << 30) : static_cast<DWORD>(content.size());
    DWORD written = 0;
    if (!WriteFile(file, content.data(), chunk, &written, nullptr)) return GetLastError();
    if (written == 0) return ERROR_WRITE_FAULT;
    content.remove_prefix(written);
  }
  return 0;
}

// Writes the pieces that are left, up to `limit` bytes from the start of the
// content. 0 or the error of the failure.
DWORD WriteUpTo(HANDLE file, PieceCursor& pieces, size_t limit) {
  for (std::string_view piece = pieces.Take(limit); !piece.empty(); piece = pieces.Take(limit))
    if (DWORD error = WriteAll(file, piece)) return error;
  return 0;
}

// Appends what is left of the file to `out`. 0 or the error of the failure; a
// file too big for memory is a file that cannot be read, not a crash.
DWORD ReadAll(HANDLE file, std::string& out) {
  try {
    char buffer[65536];
    for (;;) {
      DWORD n = 0;
      if (!ReadFile(file, buffer, sizeof buffer, &n, nullptr)) return GetLastError();
      if (n == 0) return 0;
      out.append(buffer, n);
    }
  } catch (const std::bad_alloc&) {
    out = std::string();
    return ERROR_NOT_ENOUGH_MEMORY;
  }
}

// 0 to go on, or the error the step fails with; a stop ends the process here.
DWORD Fault(SaveStep step) {
  switch (SaveFaultAt(step)) {
    case FaultAction::Continue: return 0;
    case FaultAction::Fail: return ERROR_WRITE_FAULT;
    case FaultAction::Stop: TerminateProcess(GetCurrentProcess(), kStoppedBySeam); break;
  }
  return 0;
}

// What a save left: 0 or the error of the failure, and the temporary file
// kept when it holds the only whole copy of the new content.
struct SaveResult {
  DWORD error = 0;
  std::string keptCopy;
};

bool IsFile(DWORD attributes) {
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// Puts `content` over the open file from its start, cuts the file to its
// length and flushes it. 0 or the error of the failure.
DWORD OverwriteAll(HANDLE file, std::string_view content) {
  LARGE_INTEGER start{};
  if (!SetFilePointerEx(file, start, nullptr, FILE_BEGIN)) return GetLastError();
  if (DWORD error = WriteAll(file, content)) return error;
  if (!SetEndOfFile(file)) return GetLastError();
  return FlushFileBuffers(file) ? 0 : GetLastError();
}

// Writes the content over the existing file, for a folder that refuses new
// files. `refusal` is the error of creating the temporary file, reported when
// the file cannot be opened for this. Returns 0 or the error of the failure;
// after a failure the old content has been written back as far as possible.
DWORD WriteInPlace(const std::string& path, ContentPieces& content, DWORD refusal) {
  HANDLE handle = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return refusal;
  FileHandle file(handle);
  if (GetFileType(handle) != FILE_TYPE_DISK) return refusal;
  std::string old;
  if (DWORD error = ReadAll(handle, old)) return error;
  LARGE_INTEGER start{};
  if (!SetFilePointerEx(handle, start, nullptr, FILE_BEGIN)) return GetLastError();

  PieceCursor pieces(content);
  DWORD error = WriteUpTo(handle, pieces, content.Size() / 2);
  if (error == 0) error = Fault(SaveStep::WriteHalf);
  if (error == 0) error = Fault(SaveStep::WriteRest);
  if (error == 0) error = WriteUpTo(handle, pieces, PieceCursor::kAll);
  if (error == 0 && pieces.Given() != content.Size()) error = ERROR_WRITE_FAULT;
  if (error == 0 && !SetEndOfFile(handle)) error = GetLastError();
  if (error == 0) error = Fault(SaveStep::Flush);
  if (error == 0 && !FlushFileBuffers(handle)) error = GetLastError();
  if (error == 0) error = Fault(SaveStep::Close);
  if (error != 0) {
    OverwriteAll(handle, old);
    return error;
  }
  if (DWORD closeError = file.Close()) return closeError;
  if (SaveFaultAt(SaveStep::AfterReplace) == FaultAction::Stop)
    TerminateProcess(GetCurrentProcess(), kStoppedBySeam);
  return 0;
}

// The attributes a replaced file keeps. Wine's ReplaceFile drops them and a
// plain move never had them, so they are put back whatever did the replacing.
constexpr DWORD kKeptAttributes =
    FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;

// Moves the closed, flushed temporary file into the place of `path`, keeping
// the replaced file's identity where the file system can. `attributes` are
// those of `path` before, INVALID_FILE_ATTRIBUTES when it did not exist.
SaveResult PutInPlace(const std::string& temp, const std::string& path, DWORD attributes) {
  const DWORD moveFlags = MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH;
  DWORD error = 0;
  if (!IsFile(attributes)) {
    if (!MoveFileExA(temp.c_str(), path.c_str(), moveFlags)) error = GetLastError();
  } else if (!ReplaceFileA(path.c_str(), temp.c_str(), nullptr, REPLACEFILE_IGNORE_MERGE_ERRORS,
                           nullptr, nullptr)) {
    error = GetLastError();
    if (!IsFile(GetFileAttributesA(path.c_str()))) {
      // The replaced file is gone (ERROR_UNABLE_TO_MOVE_REPLACEMENT and its
      // kin, or someone removed it meanwhile): the temporary file is now the
      // only whole copy. Put it in place, or keep it.
      if (!MoveFileExA(temp.c_str(), path.c_str(), moveFlags)) return {GetLastError(), temp};
      error = 0;
    } else if (error == ERROR_UNABLE_TO_MOVE_REPLACEMENT || error == ERROR_UNABLE_TO_MOVE_REPLACEMENT_2) {
      // A state the documentation does not describe: touch nothing more.
      return {error, temp};
    } else if (error == ERROR_NOT_SUPPORTED || error == ERROR_INVALID_FUNCTION ||
               error == ERROR_INVALID_PARAMETER || error == ERROR_CALL_NOT_IMPLEMENTED) {
      // A file system without ReplaceFile; both files still have their names.
      error = MoveFileExA(temp.c_str(), path.c_str(), moveFlags) ? 0 : GetLastError();
    }
  }
  if (error != 0) {
    DeleteFileA(temp.c_str());
    return {error, {}};
  }
  if (IsFile(attributes)) {
    const DWORD now = GetFileAttributesA(path.c_str());
    if (now != INVALID_FILE_ATTRIBUTES && (now & kKeptAttributes) != (attributes & kKeptAttributes))
      SetFileAttributesA(path.c_str(), (now & ~kKeptAttributes) | (attributes & kKeptAttributes));
  }
  return {};
}

// Writes the content to a new file beside `path`, flushes it and puts it in
// the place of `path`; in a folder that refuses new files, over the existing
// file.
SaveResult ReplaceContent(const std::string& path, ContentPieces& content) {
  static std::atomic<unsigned> counter{0};
  // A read-only file is never replaced. Windows refuses to move a file over
  // one; Wine does not, so the attribute is checked here for both.
  const DWORD attributes = GetFileAttributesA(path.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY))
    return {ERROR_ACCESS_DENIED, {}};
  if (DWORD error = Fault(SaveStep::CreateTemporary)) return {error, {}};
  std::string temp;
  HANDLE handle = INVALID_HANDLE_VALUE;
  for (int attempt = 0; attempt < 100 && handle == INVALID_HANDLE_VALUE; ++attempt) {
    temp = temporary_names::NameFor(path, GetCurrentProcessId(), counter++);
    handle = CreateFileA(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL,
                         nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
      DWORD error = GetLastError();
      if (error == ERROR_ACCESS_DENIED && IsFile(attributes))
        return {WriteInPlace(path, content, error), {}};
      if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) return {error, {}};
    }
  }
  if (handle == INVALID_HANDLE_VALUE) return {ERROR_FILE_EXISTS, {}};

  FileHandle file(handle);
  PieceCursor pieces(content);
  DWORD error = WriteUpTo(handle, pieces, content.Size() / 2);
  if (error == 0) error = Fault(SaveStep::WriteHalf);
  if (error == 0) error = Fault(SaveStep::WriteRest);
  if (error == 0) error = WriteUpTo(handle, pieces, PieceCursor::kAll);
  if (error == 0 && pieces.Given() != content.Size()) error = ERROR_WRITE_FAULT;
  if (error == 0) error = Fault(SaveStep::Flush);
  if (error == 0 && !FlushFileBuffers(handle)) error = GetLastError();
  if (error == 0) error = Fault(SaveStep::Close);
  DWORD closeError = file.Close();
  if (error == 0) error = closeError;
  if (error == 0) error = Fault(SaveStep::Replace);
  if (error != 0) {
    DeleteFileA(temp.c_str());
    return {error, {}};
  }
  SaveResult result = PutInPlace(temp, path, attributes);
  if (result.error != 0) return result;
  // The new content is in place; a failure reported from here would be a lie.
  if (SaveFaultAt(SaveStep::AfterReplace) == FaultAction::Stop)
    TerminateProcess(GetCurrentProcess(), kStoppedBySeam);
  return {};
}

// Whether a process of that number is running (one of another user too).
bool ProcessRunning(std::uint64_t id) {
  if (id == 0 || id > MAXDWORD) return false;
  HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, static_cast<DWORD>(id));
  if (process == nullptr) return GetLastError() == ERROR_ACCESS_DENIED;
  const bool running = WaitForSingleObject(process, 0) == WAIT_TIMEOUT;
  CloseHandle(process);
  return running;
}

}  // namespace

ReadResult ReadWholeFile(const std::string& path) {
  ReadResult result;
  HANDLE handle = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    DWORD error = GetLastError();
    // A missing folder on the way means the file does not exist either.
    bool missing = error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
    result.status = missing ? ReadStatus::NotFound : ReadStatus::Failed;
    result.error = Reason(error);
    return result;
  }
  FileHandle file(handle);
  DWORD error = 0;
  try {
    LARGE_INTEGER size{};
    if (GetFileSizeEx(handle, &size) && size.QuadPart > 0)
      result.content.reserve(static_cast<size_t>(size.QuadPart));
  } catch (const std::bad_alloc&) {
    error = ERROR_NOT_ENOUGH_MEMORY;
  }
  if (error == 0) error = ReadAll(handle, result.content);
  if (error != 0) {
    result.content = std::string();
    result.error = Reason(error);
    return result;
  }
  result.status = ReadStatus::Ok;
  return result;
}

void CreateEmptyFileIfMissing(const std::string& path) {
  if (GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES) return;
  HANDLE handle = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    DWORD error = GetLastError();
    if (error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS) return;
    Throw("Cannot create " + Quoted(path), error);
  }
  FileHandle file(handle);
  if (DWORD error = file.Close(); error != 0) Throw("Cannot create " + Quoted(path), error);
}

void WriteFileAtomically(const std::string& path, std::string_view content) {
  WholeContent whole(content);
  WriteFileAtomically(path, whole);
}

void WriteFileAtomically(const std::string& path, ContentPieces& content) {
  SaveResult result = ReplaceContent(path, content);
  if (result.error == 0) return;
  std::string text = "Cannot write " + Quoted(path) + ": " + Reason(result.error);
  if (!result.keptCopy.empty()) text += " The new content is kept in " + Quoted(result.keptCopy) + ".";
  throw FileError(text);
}

void CopyFileOver(const std::string& from, const std::string& to) {
  if (!CopyFileA(from.c_str(), to.c_str(), FALSE))
    Throw("Cannot copy " + Quoted(from) + " to " + Quoted(to), GetLastError());
}

std::string_view PathSeparators() { return "\\/:"; }

bool FileExists(const std::string& path) { return IsFile(GetFileAttributesA(path.c_str())); }

void RemoveLeftoverTemporaryFiles(const std::string& path) {
  try {
    if (!FileExists(path)) return;
    const std::string name = FileNameOf(path);
    std::vector<std::string> leftovers;
    WIN32_FIND_DATAA found;
    HANDLE first = FindFirstFileA(SiblingPath(path, "*").c_str(), &found);
    if (first == INVALID_HANDLE_VALUE) return;
    std::unique_ptr<void, decltype(&FindClose)> search(first, &FindClose);
    do {
      if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
      // Windows file names ignore letter case.
      auto writer = temporary_names::WriterOf(found.cFileName, name, true);
      if (writer && !ProcessRunning(*writer)) leftovers.push_back(SiblingPath(path, found.cFileName));
    } while (FindNextFileA(search.get(), &found));
    search.reset();
    for (const std::string& file : leftovers) DeleteFileA(file.c_str());
  } catch (...) {
    // Cleaning up is a courtesy: nothing here may stop the program.
  }
}

}  // namespace qc
