#include "io/file_reading.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cinttypes>
#include <cstdio>
#include <cstring>

#include "io/formatted.h"
#include "io/huge_pages.h"

BoundedRead readUpTo(FILE* stream, size_t limit) {
    BoundedRead result;
    const int64_t size = regularFileSize(stream);
    const long position = std::ftell(stream);
    if (size > 0 && position >= 0 && size > position) {
        // A regular file: its bytes go straight into place, in one read of its known size.
        const size_t expected =
            static_cast<size_t>(std::min<uint64_t>(static_cast<uint64_t>(size - position), limit));
        result.bytes.reserve(expected);
        adviseHugePages(result.bytes.data(), result.bytes.capacity());
        result.bytes.resize(expected);
        result.bytes.resize(std::fread(result.bytes.data(), 1, expected, stream));
    }
    uint8_t chunk[65536];
    while (result.bytes.size() < limit && !std::ferror(stream) && !std::feof(stream)) {
        const size_t want = std::min(sizeof chunk, limit - result.bytes.size());
        const size_t got = std::fread(chunk, 1, want, stream);
        result.bytes.insert(result.bytes.end(), chunk, chunk + got);
        if (got < want) break;
    }
    if (std::ferror(stream)) {
        result.error = errno;
        return result;
    }
    result.more = result.bytes.size() == limit && std::fgetc(stream) != EOF;
    return result;
}

int64_t regularFileSize(FILE* stream) {
    struct stat info {};
    if (::fstat(::fileno(stream), &info) != 0 || !S_ISREG(info.st_mode)) return -1;
    return static_cast<int64_t>(info.st_size);
}

ArchiveRead readArchiveStream(FILE* stream) {
    ArchiveRead result;
    result.size = regularFileSize(stream);
    if (result.size > static_cast<int64_t>(kArchiveSizeLimit)) {
        result.outcome = ArchiveRead::TooLarge;
        return result;
    }
    BoundedRead read = readUpTo(stream, kArchiveSizeLimit);
    if (read.error != 0) {
        result.outcome = ArchiveRead::Failed;
        result.error = read.error;
    } else if (read.more) {
        result.outcome = ArchiveRead::RunsPast;
    } else {
        result.bytes = std::move(read.bytes);
    }
    return result;
}

Result<> readArchiveFile(FILE* stream, const char* path, std::vector<uint8_t>& data) {
    ArchiveRead read = readArchiveStream(stream);
    std::string why;
    switch (read.outcome) {
        case ArchiveRead::Read:
            data = std::move(read.bytes);
            return {};
        case ArchiveRead::TooLarge:
            why = formatted("%s is %" PRId64 " bytes, more than the %" PRIu64
                            " a model archive may have: not read\n",
                            path, read.size, kArchiveSizeLimit);
            break;
        case ArchiveRead::Failed:
            why = formatted("%s cannot be read: %s\n", path, std::strerror(read.error));
            break;
        case ArchiveRead::RunsPast:
            why = formatted("%s runs past %" PRIu64
                            " bytes, more than a model archive may have: not read\n",
                            path, kArchiveSizeLimit);
            break;
    }
    return Result<>::failed(read.outcome, why);
}
