#include "shell/image_archives.h"

#include "source/archive_sources.h"

const std::vector<std::string>& ImageArchives::of(const std::string& path) {
    struct stat now {};
    ::stat(path.c_str(), &now);
    const bool same = path_ == path && now.st_ino == seen_.st_ino && now.st_size == seen_.st_size &&
                      now.st_mtim.tv_sec == seen_.st_mtim.tv_sec &&
                      now.st_mtim.tv_nsec == seen_.st_mtim.tv_nsec;
    if (!same) {
        path_ = path;
        seen_ = now;
        names_.clear();
        for (const Source& source : archivesOf(Source::file(path)).sources) {
            names_.push_back(source.argument());
        }
    }
    return names_;
}
