#pragma once
// Settings kept in one file and read, for the keys that file does not hold,
// from another: the user's own settings file over the machine-wide one.
#include <memory>
#include <string>

#include "settings/profile.h"

namespace qc {

class LayeredProfile : public Profile {
 public:
  // Reads `file` first and `fallback` (may be null) for keys that `file`
  // lacks; writes go to `file` alone.
  LayeredProfile(std::unique_ptr<Profile> file, std::unique_ptr<Profile> fallback);

  std::string ReadString(const std::string& section, const std::string& key,
                         const std::string& def) override;
  bool WriteString(const std::string& section, const std::string& key,
                   const std::string& value) override;
  std::string FileName() const override;

 private:
  std::unique_ptr<Profile> file_, fallback_;
};

}  // namespace qc
