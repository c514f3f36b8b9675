// File services on POSIX systems (the native build and its tests).
#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdint>
#include <limits>
#include <memory>
#include <new>
#include <string>
#include <system_error>
#include <vector>

#include "platform/files.h"
#include "platform/paths.h"
#include "platform/piece_cursor.h"
#include "platform/save_faults.h"
#include "platform/temporary_names.h"

namespace qc {
namespace {

std::string Reason(int error) { return std::generic_category().message(error); }

[[noreturn]] void Throw(const std::string& what, int error) {
  throw FileError(what + ": " + Reason(error));
}

std::string Quoted(const std::string& path) { return "\"" + path + "\""; }

// Closes the descriptor when it goes out of scope, unless closed before.
class Descriptor {
 public:
  explicit Descriptor(int fd) : fd_(fd) {}
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
  ~Descriptor() {
    if (fd_ >= 0) ::close(fd_);
  }
  int get() const { return fd_; }
  // 0 or the errno of a failed close.
  int Close() {
    int result = ::close(fd_);
    fd_ = -1;
    return result == 0 ? 0 : errno;
  }

 private:
  int fd_;
};

// 0 or the errno of the failure.
int WriteAll(int fd, std::string_view content) {
  while (!content.empty()) {
    ssize_t n = ::write(fd, content.data(), content.size());
    if (n < 0) {
      if (errno == EINTR) continue;
      return errno;
    }
    content.remove_prefix(static_cast<size_t>(n));
  }
  return 0;
}

// Writes the pieces that are left, up to `limit` bytes from the start of the
// content. 0 or the errno of the failure.
int WriteUpTo(int fd, PieceCursor& pieces, size_t limit) {
  for (std::string_view piece = pieces.Take(limit); !piece.empty(); piece = pieces.Take(limit))
    if (int error = WriteAll(fd, piece)) return error;
  return 0;
}

// Appends what is left of the file to `out`. 0 or the errno of the failure; a
// file too big for memory is a file that cannot be read, not a crash.
int ReadAll(int fd, std::string& out) {
  try {
    char buffer[65536];
    for (;;) {
      ssize_t n = ::read(fd, buffer, sizeof buffer);
      if (n < 0) {
        if (errno == EINTR) continue;
        return errno;
      }
      if (n == 0) return 0;
      out.append(buffer, static_cast<size_t>(n));
    }
  } catch (const std::bad_alloc&) {
    out = std::string();
    return ENOMEM;
  }
}

std::string DirectoryOf(const std::string& path) {
  std::string folder = FolderOf(path);
  return folder.empty() ? "." : folder;
}

// Makes the rename itself durable. Some file systems cannot sync a
// directory; the content is in place by then, so this is best effort.
void SyncDirectory(const std::string& dir) {
  int fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  ::fsync(fd);
  ::close(fd);
}

// 0 to go on, or the errno the step fails with; a stop ends the process here.
int Fault(SaveStep step) {
  switch (SaveFaultAt(step)) {
    case FaultAction::Continue: return 0;
    case FaultAction::Fail: return EIO;
    case FaultAction::Stop: ::_exit(kStoppedBySeam);
  }
  return 0;
}

// Puts `content` over the open file from its start, cuts the file to its
// length and flushes it. 0 or the errno of the failure.
int OverwriteAll(int fd, std::string_view content) {
  if (::lseek(fd, 0, SEEK_SET) < 0) return errno;
  if (int error = WriteAll(fd, content)) return error;
  if (::ftruncate(fd, static_cast<off_t>(content.size())) != 0) return errno;
  return ::fsync(fd) != 0 ? errno : 0;
}

// Writes the content over the existing file, for a folder that refuses new
// files. `refusal` is the error of creating the temporary file, reported when
// the file cannot be opened for this. Returns 0 or the errno of the failure;
// after a failure the old content has been written back as far as possible.
int WriteInPlace(const std::string& path, ContentPieces& content, int refusal) {
  int fd = ::open(path.c_str(), O_RDWR | O_CLOEXEC);
  if (fd < 0) return refusal;
  Descriptor file(fd);
  struct stat info {};
  if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) return refusal;
  std::string old;
  if (int error = ReadAll(fd, old)) return error;
  if (::lseek(fd, 0, SEEK_SET) < 0) return errno;

  PieceCursor pieces(content);
  int error = WriteUpTo(fd, pieces, content.Size() / 2);
  if (error == 0) error = Fault(SaveStep::WriteHalf);
  if (error == 0) error = Fault(SaveStep::WriteRest);
  if (error == 0) error = WriteUpTo(fd, pieces, PieceCursor::kAll);
  if (error == 0 && pieces.Given() != content.Size()) error = EIO;
  if (error == 0 && ::ftruncate(fd, static_cast<off_t>(content.Size())) != 0) error = errno;
  if (error == 0) error = Fault(SaveStep::Flush);
  if (error == 0 && ::fsync(fd) != 0) error = errno;
  if (error == 0) error = Fault(SaveStep::Close);
  if (error != 0) {
    OverwriteAll(fd, old);
    return error;
  }
  if (int closeError = file.Close()) return closeError;
  if (SaveFaultAt(SaveStep::AfterReplace) == FaultAction::Stop) ::_exit(kStoppedBySeam);
  return 0;
}

// Writes the content to a new file beside `path`, flushes it and renames it
// over `path`; in a folder that refuses new files, over the existing file.
// Returns 0 or the errno of the failure; the temporary file is gone either way.
int ReplaceContent(const std::string& path, ContentPieces& content) {
  static std::atomic<unsigned> counter{0};
  struct stat target {};
  const bool haveTarget = ::stat(path.c_str(), &target) == 0;

  if (int error = Fault(SaveStep::CreateTemporary)) return error;
  std::string temp;
  int fd = -1;
  for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
    temp = temporary_names::NameFor(path, static_cast<unsigned long>(::getpid()), counter++);
    fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0 && errno != EEXIST) {
      const int error = errno;
      const bool refused = error == EACCES || error == EPERM;
      if (refused && haveTarget && S_ISREG(target.st_mode)) return WriteInPlace(path, content, error);
      return error;
    }
  }
  if (fd < 0) return EEXIST;

  Descriptor file(fd);
  // The replacement keeps the permissions of the file it replaces.
  if (haveTarget && S_ISREG(target.st_mode)) ::fchmod(fd, target.st_mode & 07777);
  PieceCursor pieces(content);
  int error = WriteUpTo(fd, pieces, content.Size() / 2);
  if (error == 0) error = Fault(SaveStep::WriteHalf);
  if (error == 0) error = Fault(SaveStep::WriteRest);
  if (error == 0) error = WriteUpTo(fd, pieces, PieceCursor::kAll);
  if (error == 0 && pieces.Given() != content.Size()) error = EIO;
  if (error == 0) error = Fault(SaveStep::Flush);
  if (error == 0 && ::fsync(fd) != 0) error = errno;
  if (error == 0) error = Fault(SaveStep::Close);
  int closeError = file.Close();
  if (error == 0) error = closeError;
  if (error == 0) error = Fault(SaveStep::Replace);
  if (error == 0 && ::rename(temp.c_str(), path.c_str()) != 0) error = errno;
  if (error != 0) {
    ::unlink(temp.c_str());
    return error;
  }
  SyncDirectory(DirectoryOf(path));
  // The new content is in place; a failure reported from here would be a lie.
  if (SaveFaultAt(SaveStep::AfterReplace) == FaultAction::Stop) ::_exit(kStoppedBySeam);
  return 0;
}

// Whether a process of that number is running (one of another user too).
bool ProcessRunning(std::uint64_t process) {
  if (process == 0 || process > static_cast<std::uint64_t>(std::numeric_limits<pid_t>::max()))
    return false;
  return ::kill(static_cast<pid_t>(process), 0) == 0 || errno == EPERM;
}

}  // namespace

ReadResult ReadWholeFile(const std::string& path) {
  ReadResult result;
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    result.status = errno == ENOENT ? ReadStatus::NotFound : ReadStatus::Failed;
    result.error = Reason(errno);
    return result;
  }
  Descriptor file(fd);
  struct stat info {};
  if (::fstat(fd, &info) != 0) {
    result.error = Reason(errno);
    return result;
  }
  if (S_ISDIR(info.st_mode)) {
    result.error = Reason(EISDIR);
    return result;
  }
  int error = 0;
  try {
    if (S_ISREG(info.st_mode)) result.content.reserve(static_cast<size_t>(info.st_size));
  } catch (const std::bad_alloc&) {
    error = ENOMEM;
  }
  if (error == 0) error = ReadAll(fd, result.content);
  if (error != 0) {
    result.content = std::string();
    result.error = Reason(error);
    return result;
  }
  result.status = ReadStatus::Ok;
  return result;
}

void CreateEmptyFileIfMissing(const std::string& path) {
  int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  if (fd < 0) {
    if (errno == EEXIST) return;
    Throw("Cannot create " + Quoted(path), errno);
  }
  Descriptor file(fd);
  if (int error = file.Close(); error != 0) Throw("Cannot create " + Quoted(path), error);
}

void WriteFileAtomically(const std::string& path, std::string_view content) {
  WholeContent whole(content);
  WriteFileAtomically(path, whole);
}

void WriteFileAtomically(const std::string& path, ContentPieces& content) {
  if (int error = ReplaceContent(path, content); error != 0)
    Throw("Cannot write " + Quoted(path), error);
}

void CopyFileOver(const std::string& from, const std::string& to) {
  const std::string what = "Cannot copy " + Quoted(from) + " to " + Quoted(to);
  ReadResult source = ReadWholeFile(from);
  if (source.status != ReadStatus::Ok) throw FileError(what + ": " + source.error);
  WholeContent whole(source.content);
  if (int error = ReplaceContent(to, whole); error != 0) Throw(what, error);
}

std::string_view PathSeparators() { return "/"; }

bool FileExists(const std::string& path) {
  struct stat info {};
  return ::stat(path.c_str(), &info) == 0 && !S_ISDIR(info.st_mode);
}

void RemoveLeftoverTemporaryFiles(const std::string& path) {
  try {
    if (!FileExists(path)) return;
    const std::string name = FileNameOf(path);
    std::vector<std::string> leftovers;
    {
      std::unique_ptr<DIR, int (*)(DIR*)> dir(::opendir(DirectoryOf(path).c_str()), ::closedir);
      if (!dir) return;
      while (const dirent* entry = ::readdir(dir.get())) {
        auto writer = temporary_names::WriterOf(entry->d_name, name, false);
        if (writer && !ProcessRunning(*writer)) leftovers.push_back(SiblingPath(path, entry->d_name));
      }
    }
    for (const std::string& file : leftovers) {
      struct stat info {};
      if (::lstat(file.c_str(), &info) == 0 && S_ISREG(info.st_mode)) ::unlink(file.c_str());
    }
  } catch (...) {
    // Cleaning up is a courtesy: nothing here may stop the program.
  }
}

}  // namespace qc
