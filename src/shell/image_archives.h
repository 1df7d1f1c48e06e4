#pragma once

#include <sys/stat.h>

#include <string>
#include <vector>

// The archives of an image or a container, in scan order, kept while the file on disk is
// unchanged, so that each step of the walk does not scan the image again.
class ImageArchives {
  public:
    // The arguments naming the archives found in the file at path.
    const std::vector<std::string>& of(const std::string& path);

  private:
    std::string path_;
    struct stat seen_ {};
    std::vector<std::string> names_;
};
