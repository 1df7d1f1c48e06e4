#include "io/file_saving.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "io/output_file.h"

namespace {

bool writeAll(int fd, const std::vector<BytePiece>& pieces) {
    for (const BytePiece& piece : pieces) {
        size_t done = 0;
        while (done < piece.size) {
            const ssize_t n = ::write(fd, piece.data + done, piece.size - done);
            if (n < 0) {
                if (errno == EINTR) continue;
                return false;
            }
            done += static_cast<size_t>(n);
        }
    }
    return true;
}

// Rewrites the target itself: the only way when no file can be made beside it, and the right
// way for a device or a pipe. A pipe without a reader is refused rather than waited for.
SaveResult writeInPlace(const std::string& target, const std::vector<BytePiece>& bytes) {
    const int fd = ::open(target.c_str(), O_WRONLY | O_TRUNC | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) return {SaveOutcome::CannotOpen, errno};
    (void)::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    struct stat info {};
    const bool regular = ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode);
    bool ok = writeAll(fd, bytes) && (!regular || ::fsync(fd) == 0);
    int error = ok ? 0 : errno;
    if (::close(fd) != 0 && ok) {
        ok = false;
        error = errno;
    }
    return ok ? SaveResult{} : SaveResult{SaveOutcome::WriteFailed, error};
}

}  // namespace

SaveResult saveFile(const std::string& path, const std::vector<uint8_t>& bytes) {
    return saveFilePieces(path, {BytePiece{bytes.data(), bytes.size()}});
}

SaveResult saveFilePieces(const std::string& path, const std::vector<BytePiece>& bytes) {
    OutputFile file;
    const SaveResult opened = file.open(path);
    if (file.inPlaceOnly()) return writeInPlace(file.target(), bytes);
    if (opened.outcome != SaveOutcome::Saved) return opened;
    if (!writeAll(file.fd(), bytes)) return {SaveOutcome::WriteFailed, errno};
    const SaveResult finished = file.finish();
    if (finished.outcome != SaveOutcome::Saved) return finished;
    const SaveResult moved = file.moveIntoPlace();
    // A sticky folder lets only the owner replace the file; writing it is still allowed.
    if (moved.outcome != SaveOutcome::Saved && file.replacesExisting() &&
        (moved.error == EPERM || moved.error == EACCES)) {
        return writeInPlace(file.target(), bytes);
    }
    return moved;
}

std::string describeSaveFailure(const SaveResult& result) {
    return result.error ? std::strerror(result.error) : "it cannot be written";
}
