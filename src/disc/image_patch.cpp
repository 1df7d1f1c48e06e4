#include "disc/image_patch.h"

#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <memory>

#include "disc/disc_image.h"
#include "disc/iso9660.h"
#include "disc/patch_plan.h"
#include "io/file_ranges.h"
#include "io/output_file.h"

namespace {

constexpr uint32_t kRewriteBatch = 64;
constexpr uint64_t kProgressStep = uint64_t{64} << 20;  // bytes copied between reports

std::string folderOf(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string nameOf(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string endingOf(const std::string& name) {
    const size_t dot = name.find_last_of('.');
    return dot == std::string::npos || dot == 0 ? "" : name.substr(dot);
}

bool endsWithCue(const std::string& path) {
    const std::string ending = endingOf(nameOf(path));
    return ending.size() == 4 && (ending[1] | 0x20) == 'c' && (ending[2] | 0x20) == 'u' &&
           (ending[3] | 0x20) == 'e';
}

// Two paths that are one file: the same inode, or the same place when one does not exist yet.
bool sameFile(const std::string& a, const std::string& b) {
    struct stat sa {
    }, sb{};
    if (::stat(a.c_str(), &sa) == 0 && ::stat(b.c_str(), &sb) == 0) {
        return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
    }
    char ra[PATH_MAX], rb[PATH_MAX];
    const bool resolvedA = ::realpath(folderOf(a).c_str(), ra) != nullptr;
    const bool resolvedB = ::realpath(folderOf(b).c_str(), rb) != nullptr;
    if (!resolvedA || !resolvedB) return a == b;
    return std::string(ra) + "/" + nameOf(a) == std::string(rb) + "/" + nameOf(b);
}

// The names of the track files a sheet output writes: "mod.bin" for one file, else
// "mod (Track NN).bin", NN the first track the file holds; files of other types keep their
// ending.
std::vector<std::string> trackFileNames(const CueSheet& sheet, const std::string& outPath) {
    const std::string name = nameOf(outPath);
    const std::string stem = name.substr(0, name.size() - endingOf(name).size());
    std::vector<std::string> names;
    for (size_t i = 0; i < sheet.files.size(); ++i) {
        const CueFile& file = sheet.files[i];
        const std::string ending = file.type == "BINARY" ? ".bin" : endingOf(file.name);
        if (sheet.files.size() == 1) {
            names.push_back(stem + ending);
            continue;
        }
        int number = static_cast<int>(i) + 1;
        for (const CueTrack& track : sheet.tracks) {
            if (track.file == i) {
                number = track.number;
                break;
            }
        }
        char label[32];
        std::snprintf(label, sizeof label, " (Track %02d)", number);
        names.push_back(stem + label + ending);
    }
    return names;
}

Result<> outputsFor(const DiscImage& image, const std::string& outPath,
                  std::vector<std::string>& outputs) {
    outputs = {outPath};
    if (image.sheet()) {
        if (!endsWithCue(outPath)) {
            return Result<>::failed(2, outPath + ": the output of a CUE sheet must end in .cue");
        }
        for (const std::string& name : trackFileNames(*image.sheet(), outPath)) {
            outputs.push_back(folderOf(outPath) + "/" + name);
        }
    }
    for (const std::string& output : outputs) {
        for (const std::string& input : image.inputFiles()) {
            if (sameFile(output, input)) {
                return Result<>::failed(2, output +
                                             ": is one of the image's own files; write the "
                                             "patched image to a new file");
            }
        }
        for (const std::string& other : outputs) {
            if (&other != &output && sameFile(other, output)) {
                return Result<>::failed(2, output + ": the output would be written twice");
            }
        }
    }
    return {};
}

std::string systemLine(const std::string& path, const char* what) {
    return path + ": " + what + ": " + std::strerror(errno);
}

class FileHandle {
  public:
    explicit FileHandle(int fd) : fd_(fd) {}
    ~FileHandle() {
        if (fd_ >= 0) ::close(fd_);
    }
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;
    int get() const { return fd_; }

  private:
    int fd_;
};

// Streams one track file to out: untouched stretches by copyRange, the planned sectors
// rewritten frame by frame.
class TrackWriter {
  public:
    TrackWriter(const DiscImage& image, const PatchPlan* plan, uint64_t& done, uint64_t total,
                const std::function<void(uint64_t, uint64_t)>& progress)
        : image_(image), plan_(plan), done_(done), total_(total), progress_(progress) {}

    Result<> write(const std::string& inPath, const std::string& outPath, int out) {
        FileHandle in(::open(inPath.c_str(), O_RDONLY | O_CLOEXEC));
        struct stat info {};
        if (in.get() < 0 || ::fstat(in.get(), &info) != 0) return ioFailure(inPath, "cannot read");
        const auto end = static_cast<uint64_t>(info.st_size);
        uint64_t at = 0;
        if (plan_) {
            const size_t frameBytes = static_cast<size_t>(image_.frameSize());
            std::vector<uint8_t> frames(frameBytes * kRewriteBatch);
            for (const PatchSpan& span : plan_->spans) {
                const uint64_t from = image_.frameOffset(span.first);
                if (from < at || from > end) return ioFailure(inPath, "cannot read");
                if (!copy(in.get(), out, at, from - at)) return ioFailure(inPath, "cannot copy");
                at = from;
                for (uint32_t i = 0; i < span.count;) {
                    const uint32_t batch = std::min(kRewriteBatch, span.count - i);
                    const size_t bytes = frameBytes * batch;
                    if (!readAt(in.get(), frames.data(), bytes, at)) {
                        return ioFailure(inPath, "cannot read");
                    }
                    for (uint32_t k = 0; k < batch; ++k) {
                        rewriteFrame(*plan_, span, span.first + i + k, image_.frameSize(),
                                     frames.data() + k * frameBytes);
                    }
                    if (!writeAt(out, frames.data(), bytes, at))
                        return ioFailure(outPath, "cannot be written");
                    at += bytes;
                    i += batch;
                    advance(bytes);
                }
            }
        }
        if (at > end || !copy(in.get(), out, at, end - at)) return ioFailure(inPath, "cannot copy");
        return {};
    }

  private:
    bool copy(int in, int out, uint64_t at, uint64_t length) {
        while (length > 0) {
            const uint64_t step = std::min(length, kProgressStep);
            if (!copyRange(in, at, out, at, step)) return false;
            at += step;
            length -= step;
            advance(step);
        }
        return true;
    }

    void advance(uint64_t bytes) {
        done_ += bytes;
        if (progress_) progress_(sectorsOf(done_), sectorsOf(total_));
    }

    uint64_t sectorsOf(uint64_t bytes) const {
        return bytes / static_cast<uint64_t>(image_.frameSize());
    }

    static Result<> ioFailure(const std::string& path, const char* what) {
        if (path.empty())
            return Result<>::failed(3, std::string("writing failed: ") + std::strerror(errno));
        return Result<>::failed(3, systemLine(path, what));
    }

    const DiscImage& image_;
    const PatchPlan* plan_;
    uint64_t& done_;
    uint64_t total_;
    const std::function<void(uint64_t, uint64_t)>& progress_;
};

uint64_t fileSize(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 ? static_cast<uint64_t>(info.st_size) : 0;
}

Result<> cannotWrite(const std::string& path, const SaveResult& saved) {
    if (saved.error == 0) return Result<>::failed(3, path + ": cannot be written: it is not a file");
    return Result<>::failed(3, path + ": cannot be written: " + std::strerror(saved.error));
}

// The patch's outputs: each made beside its target, and renamed into place only when every one
// of them is complete. Whatever is not renamed is removed.
class PatchOutputs {
  public:
    // The descriptor of the new file for path, or -1 with the line of why in failure.
    int create(const std::string& path, Result<>& failure) {
        files_.push_back(std::make_unique<OutputFile>());
        const SaveResult opened = files_.back()->open(path);
        if (opened.outcome == SaveOutcome::Saved) return files_.back()->fd();
        failure = cannotWrite(path, opened);
        return -1;
    }

    Result<> commit(const std::string& outPath) {
        for (const auto& file : files_) {
            const SaveResult finished = file->finish();
            if (finished.outcome != SaveOutcome::Saved) return cannotWrite(outPath, finished);
        }
        for (const auto& file : files_) {
            const SaveResult moved = file->moveIntoPlace();
            if (moved.outcome != SaveOutcome::Saved) return cannotWrite(outPath, moved);
        }
        return {};
    }

  private:
    std::vector<std::unique_ptr<OutputFile>> files_;
};

Result<> writeText(PatchOutputs& files, const std::string& path, const std::string& text) {
    Result<> failure;
    const int fd = files.create(path, failure);
    if (fd < 0) return failure;
    if (!writeAt(fd, reinterpret_cast<const uint8_t*>(text.data()), text.size(), 0)) {
        return Result<>::failed(3, systemLine(path, "cannot be written"));
    }
    return {};
}

}  // namespace

Result<> plannedOutputs(const std::string& imagePath, const std::string& outPath,
                      std::vector<std::string>& outputs) {
    DiscImage image;
    const Result<> opened = DiscImage::open(imagePath, image);
    if (!opened.ok()) return Result<>::failed(3, opened.message);
    return outputsFor(image, outPath, outputs);
}

Result<> patchImage(const std::string& imagePath, const std::string& outPath,
                  const std::vector<MemberReplacement>& replacements,
                  const std::function<void(uint64_t done, uint64_t total)>& progress,
                  const std::vector<SectorRange>& foundItems) {
    DiscImage image;
    const Result<> opened = DiscImage::open(imagePath, image);
    if (!opened.ok()) return Result<>::failed(3, opened.message);
    std::vector<std::string> outputs;
    const Result<> named = outputsFor(image, outPath, outputs);
    if (!named.ok()) return named;

    IsoVolume volume;
    const Result<> read = readIsoVolume(image, volume);
    if (!read.ok()) return Result<>::failed(1, read.message);
    PatchPlan plan;
    Result<> checked = planPatch(image, volume, replacements, foundItems, plan);
    if (checked.ok()) checked = verifyPlannedSectors(image, plan);
    if (!checked.ok()) return checked;

    // The track files in the order they are written, and the output each goes to.
    std::vector<std::pair<std::string, std::string>> tracks;
    if (const CueSheet* sheet = image.sheet()) {
        for (size_t i = 0; i < sheet->files.size(); ++i) {
            tracks.emplace_back(sheet->files[i].path, outputs[i + 1]);
        }
    } else {
        tracks.emplace_back(image.trackPath(), outPath);
    }
    uint64_t total = 0;
    for (const auto& track : tracks) total += fileSize(track.first);
    uint64_t done = 0;

    PatchOutputs files;
    for (const auto& [in, out] : tracks) {
        Result<> failure;
        const int fd = files.create(out, failure);
        if (fd < 0) return failure;
        TrackWriter writer(image, sameFile(in, image.trackPath()) ? &plan : nullptr, done, total,
                           progress);
        const Result<> written = writer.write(in, out, fd);
        if (!written.ok()) return written;
    }
    if (const CueSheet* sheet = image.sheet()) {
        std::vector<std::string> names;
        for (size_t i = 1; i < outputs.size(); ++i) names.push_back(nameOf(outputs[i]));
        const Result<> sheetWritten = writeText(files, outPath, rewriteCueSheet(*sheet, names));
        if (!sheetWritten.ok()) return sheetWritten;
    }
    return files.commit(outPath);
}
