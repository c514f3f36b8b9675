#pragma once
// Access to one INI-format settings file, as the Windows private-profile
// functions give it: sections and keys matched without regard to case.
#include <string>

namespace qc {

class Profile {
 public:
  virtual ~Profile() = default;
  // The value of the key, or `def` when the section or key is missing.
  // Blanks around the value and one pair of enclosing quotes are dropped;
  // at most 1023 characters are returned.
  virtual std::string ReadString(const std::string& section, const std::string& key,
                                 const std::string& def) = 0;
  // Writes the value; false when the platform refuses the write.
  virtual bool WriteString(const std::string& section, const std::string& key,
                           const std::string& value) = 0;
  // The bare file name, for messages such as "Unable to write to %s".
  virtual std::string FileName() const = 0;
};

}  // namespace qc
