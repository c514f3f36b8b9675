// File services on Windows, through the ANSI file functions.
#include <windows.h>

#include <atomic>
#include <new>
#include <string>

#include "platform/files.h"
#include "platform/save_faults.h"

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

// 0 to go on, or the error the step fails with; a stop ends the process here.
DWORD Fault(SaveStep step) {
  switch (SaveFaultAt(step)) {
    case FaultAction::Continue: return 0;
    case FaultAction::Fail: return ERROR_WRITE_FAULT;
    case FaultAction::Stop: TerminateProcess(GetCurrentProcess(), kStoppedBySeam); break;
  }
  return 0;
}

// Writes the content to a new file beside `path`, flushes it and moves it
// over `path`. Returns 0 or the error of the failure; the temporary file is
// gone either way.
DWORD ReplaceContent(const std::string& path, std::string_view content) {
  static std::atomic<unsigned> counter{0};
  // A read-only file is never replaced. Windows refuses to move a file over
  // one; Wine does not, so the attribute is checked here for both.
  DWORD attributes = GetFileAttributesA(path.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY))
    return ERROR_ACCESS_DENIED;
  if (DWORD error = Fault(SaveStep::CreateTemporary)) return error;
  std::string temp;
  HANDLE handle = INVALID_HANDLE_VALUE;
  for (int attempt = 0; attempt < 100 && handle == INVALID_HANDLE_VALUE; ++attempt) {
    temp = path + ".tmp" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(counter++);
    handle = CreateFileA(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL,
                         nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
      DWORD error = GetLastError();
      if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) return error;
    }
  }
  if (handle == INVALID_HANDLE_VALUE) return ERROR_FILE_EXISTS;

  FileHandle file(handle);
  const size_t half = content.size() / 2;
  DWORD error = WriteAll(handle, content.substr(0, half));
  if (error == 0) error = Fault(SaveStep::WriteHalf);
  if (error == 0) error = Fault(SaveStep::WriteRest);
  if (error == 0) error = WriteAll(handle, content.substr(half));
  if (error == 0) error = Fault(SaveStep::Flush);
  if (error == 0 && !FlushFileBuffers(handle)) error = GetLastError();
  if (error == 0) error = Fault(SaveStep::Close);
  DWORD closeError = file.Close();
  if (error == 0) error = closeError;
  if (error == 0) error = Fault(SaveStep::Replace);
  if (error == 0 &&
      !MoveFileExA(temp.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
    error = GetLastError();
  if (error != 0) {
    DeleteFileA(temp.c_str());
    return error;
  }
  // The new content is in place; a failure reported from here would be a lie.
  if (SaveFaultAt(SaveStep::AfterReplace) == FaultAction::Stop)
    TerminateProcess(GetCurrentProcess(), kStoppedBySeam);
  return 0;
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
  // A file too big for memory is a file that cannot be read, not a crash.
  try {
    LARGE_INTEGER size{};
    if (GetFileSizeEx(handle, &size) && size.QuadPart > 0)
      result.content.reserve(static_cast<size_t>(size.QuadPart));
    char buffer[65536];
    for (;;) {
      DWORD n = 0;
      if (!ReadFile(handle, buffer, sizeof buffer, &n, nullptr)) {
        result.error = Reason(GetLastError());
        result.content.clear();
        return result;
      }
      if (n == 0) break;
      result.content.append(buffer, n);
    }
  } catch (const std::bad_alloc&) {
    result.content = std::string();
    result.error = Reason(ERROR_NOT_ENOUGH_MEMORY);
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
  if (DWORD error = ReplaceContent(path, content); error != 0)
    Throw("Cannot write " + Quoted(path), error);
}

void CopyFileOver(const std::string& from, const std::string& to) {
  if (!CopyFileA(from.c_str(), to.c_str(), FALSE))
    Throw("Cannot copy " + Quoted(from) + " to " + Quoted(to), GetLastError());
}

bool FileExists(const std::string& path) {
  DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

}  // namespace qc
