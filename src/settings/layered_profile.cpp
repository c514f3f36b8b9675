#include "settings/layered_profile.h"

#include <utility>

namespace qc {

LayeredProfile::LayeredProfile(std::unique_ptr<Profile> file, std::unique_ptr<Profile> fallback)
    : file_(std::move(file)), fallback_(std::move(fallback)) {}

std::string LayeredProfile::ReadString(const std::string& section, const std::string& key,
                                       const std::string& def) {
  if (!fallback_) return file_->ReadString(section, key, def);
  // A key is missing exactly when the read gives back either of two
  // different defaults that no settings value holds.
  static const std::string kMissing[] = {"\x01", "\x02"};
  std::string value = file_->ReadString(section, key, kMissing[0]);
  if (value != kMissing[0]) return value;
  value = file_->ReadString(section, key, kMissing[1]);
  if (value != kMissing[1]) return value;
  return fallback_->ReadString(section, key, def);
}

bool LayeredProfile::WriteString(const std::string& section, const std::string& key,
                                 const std::string& value) {
  return file_->WriteString(section, key, value);
}

std::string LayeredProfile::FileName() const { return file_->FileName(); }

}  // namespace qc
