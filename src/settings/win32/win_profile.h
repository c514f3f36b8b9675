#pragma once
// The settings files through the Windows private-profile functions.
#include <string>

#include "settings/profile.h"

namespace qc {

class WinProfile : public Profile {
 public:
  // A bare file name (as "QUILLCRD.INI") is resolved by Windows to the
  // Windows directory; a full path is used as it is.
  explicit WinProfile(std::string fileName);

  std::string ReadString(const std::string& section, const std::string& key,
                         const std::string& def) override;
  // Refuses the same names as the portable INI file, and writes only the
  // value's first line, so both backends store the same text.
  bool WriteString(const std::string& section, const std::string& key,
                   const std::string& value) override;
  std::string FileName() const override;

 private:
  std::string fileName_;
};

}  // namespace qc
