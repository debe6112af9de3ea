// A small tmpfs of its own for the tests of full disks and read-only folders,
// mounted at a fresh folder and taken away again (needs root; mounted() says
// whether it worked).
#pragma once
#ifndef _WIN32
#include <sys/mount.h>
#include <unistd.h>

#include <filesystem>
#include <string>

namespace sylvane::testing {

class SmallDisk {
 public:
  explicit SmallDisk(const std::string& folder, const char* size) : folder_(folder) {
    std::filesystem::create_directory(folder);
    const std::string options = std::string("size=") + size;
    mounted_ = geteuid() == 0 && mount("tmpfs", folder.c_str(), "tmpfs", 0, options.c_str()) == 0;
  }
  ~SmallDisk() {
    if (mounted_) umount2(folder_.c_str(), MNT_DETACH);
  }
  bool mounted() const { return mounted_; }
  bool MakeReadOnly() {
    return mount("tmpfs", folder_.c_str(), "tmpfs", MS_REMOUNT | MS_RDONLY, nullptr) == 0;
  }

 private:
  std::string folder_;
  bool mounted_ = false;
};

}  // namespace sylvane::testing
#endif
