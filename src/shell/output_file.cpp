#include "shell/output_file.h"

#include <fcntl.h>
#include <stb/stb_image_write.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace {

std::string directoryOf(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

bool writeAll(int fd, const std::vector<uint8_t>& bytes) {
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        done += static_cast<size_t>(n);
    }
    return true;
}

void appendBytes(void* context, void* data, int size) {
    auto* out = static_cast<std::vector<uint8_t>*>(context);
    const auto* bytes = static_cast<const uint8_t*>(data);
    out->insert(out->end(), bytes, bytes + size);
}

}  // namespace

bool replaceFile(const std::string& path, const std::vector<uint8_t>& bytes, std::string& error) {
    std::string temp = directoryOf(path) + "/.veldraxis-XXXXXX";
    const int fd = ::mkstemp(temp.data());
    if (fd < 0) {
        error = std::strerror(errno);
        return false;
    }
    // mkstemp makes the file private; an output gets the usual permissions of a new file.
    const mode_t mask = ::umask(0);
    ::umask(mask);
    (void)::fchmod(fd, 0666 & ~mask);

    bool ok = writeAll(fd, bytes);
    int savedErrno = ok ? 0 : errno;
    if (::close(fd) != 0 && ok) {
        ok = false;
        savedErrno = errno;
    }
    if (ok && std::rename(temp.c_str(), path.c_str()) != 0) {
        ok = false;
        savedErrno = errno;
    }
    if (!ok) {
        error = std::strerror(savedErrno);
        ::unlink(temp.c_str());
    }
    return ok;
}

bool writePngFile(const std::string& path, int width, int height, int channels,
                  const std::vector<uint8_t>& pixels, std::string& error) {
    std::vector<uint8_t> png;
    if (!stbi_write_png_to_func(appendBytes, &png, width, height, channels, pixels.data(),
                                width * channels)) {
        error = "the PNG could not be encoded";
        return false;
    }
    return replaceFile(path, png, error);
}
