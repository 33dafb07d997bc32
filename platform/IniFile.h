#pragma once
#include <string>

namespace platform {

// A profile-file reader. It holds only the file's path: nothing is touched on disk until a
// read, and every read goes to the file anew.
class IniFile {
 public:
  explicit IniFile(std::string fileName) : fileName_(std::move(fileName)) {}

  const std::string& FileName() const { return fileName_; }

  // The text the profile API reports through a 2048-byte buffer (so at most 2047
  // characters); the default when the file, the section or the key is missing.
  std::string ReadString(const std::string& section, const std::string& key,
                         const std::string& defaultText) const;

 private:
  std::string fileName_;
};

}  // namespace platform
