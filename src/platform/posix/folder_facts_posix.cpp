// The answers about files and folders on POSIX systems, by trying.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string>

#include "platform/file_places.h"
#include "platform/files.h"

namespace qc {
namespace {

class PosixFolderFacts : public FolderFacts {
 public:
  bool FileExists(const std::string& path) override { return qc::FileExists(path); }

  bool AcceptsWrites(const std::string& file) override {
    const int fd = open(file.c_str(), O_WRONLY | O_CLOEXEC);
    if (fd < 0) return false;
    close(fd);
    return true;
  }

  bool AcceptsNewFiles(const std::string& folder) override {
    if (mkdir(folder.c_str(), 0777) != 0 && errno != EEXIST) return false;
    const std::string probe = PathIn(folder, "QUILLCRD." + std::to_string(getpid()) + ".tmp");
    const int fd = open(probe.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0) return false;
    close(fd);
    unlink(probe.c_str());
    return true;
  }
};

}  // namespace

FolderFacts& SystemFolderFacts() {
  static PosixFolderFacts facts;
  return facts;
}

}  // namespace qc
