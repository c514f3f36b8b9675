// The answers about files and folders on Windows, by trying: whether a file
// may be written or created depends on rights, attributes, policies and the
// file system, and only the attempt tells them all.
#include <windows.h>

#include <string>

#include "platform/file_places.h"
#include "platform/files.h"

namespace qc {
namespace {

class WindowsFolderFacts : public FolderFacts {
 public:
  bool FileExists(const std::string& path) override { return qc::FileExists(path); }

  bool AcceptsWrites(const std::string& file) override {
    // The read-only attribute refuses writes on Windows; Wine opens such a
    // file for writing all the same, so the attribute is asked as well.
    const DWORD attributes = GetFileAttributesA(file.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_READONLY)) return false;
    HANDLE h = CreateFileA(file.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                           nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    CloseHandle(h);
    return true;
  }

  bool AcceptsNewFiles(const std::string& folder) override {
    if (!CreateDirectoryA(folder.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS) return false;
    // A file of this process's own name, gone again when its handle closes
    // (also should the process end at this moment).
    const std::string probe = PathIn(folder, "QUILLCRD." + std::to_string(GetCurrentProcessId()) + ".tmp");
    HANDLE h = CreateFileA(probe.c_str(), GENERIC_WRITE | DELETE, 0, nullptr, CREATE_NEW,
                           FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    CloseHandle(h);
    return true;
  }
};

}  // namespace

FolderFacts& SystemFolderFacts() {
  static WindowsFolderFacts facts;
  return facts;
}

}  // namespace qc
