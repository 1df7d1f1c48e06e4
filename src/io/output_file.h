#pragma once

#include <sys/stat.h>

#include <string>

#include "io/file_saving.h"

// A file written beside its target and renamed over it once complete, by saveFile's rules:
// links at the path's end are followed (the link stays), an existing file this user may not
// write is refused, the new file takes the old one's permission bits and, where the process may
// set them, its owner and group (a new target gets 0666 less the umask), and file and folder are
// synced. Until it is committed the new file has a hidden name; if it never is, it is removed.
class OutputFile {
  public:
    OutputFile() = default;
    ~OutputFile();
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    // Makes the new file for path. CannotOpen when the target cannot be replaced; then
    // inPlaceOnly() tells a target that can only be written where it stands: a device or a
    // pipe, or an existing file in a folder where no file can be made.
    SaveResult open(const std::string& path);
    bool inPlaceOnly() const { return inPlaceOnly_; }

    const std::string& target() const { return target_; }
    bool replacesExisting() const { return exists_; }
    int fd() const { return fd_; }  // the new file, open for writing until finish()

    // Syncs and closes the new file; WriteFailed (and the file removed) on an error.
    SaveResult finish();
    // Renames the finished file over the target and syncs the folder; WriteFailed (and the
    // file removed) when the rename fails.
    SaveResult moveIntoPlace();
    SaveResult commit() {
        const SaveResult finished = finish();
        return finished.outcome == SaveOutcome::Saved ? moveIntoPlace() : finished;
    }

  private:
    SaveResult fail(SaveOutcome outcome, int error);

    std::string target_, temp_;
    struct stat existing_ {};
    bool exists_ = false, inPlaceOnly_ = false;
    int fd_ = -1;
};
