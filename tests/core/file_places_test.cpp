// Where the data file goes, by what the folders allow.
#include "platform/file_places.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace qc {
namespace {

struct FakeFacts : FolderFacts {
  std::set<std::string> files, refusing;  // refusing: folders that refuse new files
  bool FileExists(const std::string& p) override { return files.count(p) > 0; }
  bool AcceptsWrites(const std::string& f) override { return files.count(f) > 0; }
  bool AcceptsNewFiles(const std::string& d) override { return !refusing.count(d); }
};

TEST(FilePlaces, DataFileBesideTheProgramUnlessItsFolderRefusesAndNoneIsThere) {
  const std::string dat = "/p/QUILLCRD.DAT", userDat = "/u/Q/QUILLCRD.DAT";
  const struct {
    std::set<std::string> files, refusing;
    std::string path;
    bool tell;
  } cases[] = {{{dat}, {"/p"}, dat, false},        // beside the program: always
               {{userDat}, {}, userDat, false},    // an earlier run's: not told again
               {{}, {"/p"}, userDat, true},        // made now: told
               {{}, {"/p", "/u/Q"}, dat, false}};  // nowhere: its failure speaks
  for (const auto& c : cases) {
    FakeFacts f;
    f.files = c.files, f.refusing = c.refusing;
    const DataFilePlace place = ChooseDataFile("/p/", "/u/Q", f);
    EXPECT_EQ(std::make_pair(place.path, place.newInUserFolder), std::make_pair(c.path, c.tell));
  }
}

}  // namespace
}  // namespace qc
