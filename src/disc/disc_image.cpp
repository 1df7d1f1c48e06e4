#include "disc/disc_image.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <filesystem>

#include "disc/sector_codes.h"
#include "io/file_ranges.h"

namespace {

constexpr size_t kFramesToCheck = 16;        // for the header address against the sheet
constexpr size_t kReadChunkBytes = 1 << 20;  // one pread of frames, for long reads

size_t frameBytesOf(TrackMode mode) {
    switch (mode) {
        case TrackMode::Mode2_2336:
            return 2336;
        case TrackMode::Mode1_2048:
            return 2048;
        default:
            return 2352;
    }
}

std::string msfText(int64_t address) {
    if (address < -150) return "?";
    const int64_t msf = address + 150;
    char text[32];
    std::snprintf(text, sizeof text, "%02lld:%02lld:%02lld", static_cast<long long>(msf / 4500),
                  static_cast<long long>(msf / 75 % 60), static_cast<long long>(msf % 75));
    return text;
}

uint64_t fileSizeOf(const std::string& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) return 0;
    return static_cast<uint64_t>(info.st_size);
}

// Where the data track lies in its file, and the absolute address of its first sector.
struct Placement {
    size_t track = 0;  // index in CueSheet::tracks
    uint64_t start = 0;
    uint64_t end = 0;
    uint32_t firstAddress = 0;
};

// The byte offset of each track's INDEX 01 in its file, and where its part of the file ends. A
// track's part starts at its INDEX 00 (or 01); frames before a file's first track belong to it.
struct TrackBytes {
    uint64_t index1 = 0;
    uint64_t end = 0;
    uint64_t frames = 0;  // frames of the file up to this part's end, for the following files
};

Result<> placeTracks(const CueSheet& sheet, const std::string& sheetPath,
                   std::vector<TrackBytes>& out) {
    out.assign(sheet.tracks.size(), {});
    for (size_t f = 0; f < sheet.files.size(); ++f) {
        const uint64_t fileSize = fileSizeOf(sheet.files[f].path);
        uint64_t base = 0, basePosition = 0;
        size_t previous = SIZE_MAX;
        for (size_t t = 0; t < sheet.tracks.size(); ++t) {
            const CueTrack& track = sheet.tracks[t];
            if (track.file != f) continue;
            const uint64_t position = track.hasIndex0 ? track.index0 : track.index1;
            if (previous != SIZE_MAX) {
                const CueTrack& before = sheet.tracks[previous];
                if (position < basePosition) {
                    return Result<>::failed(1, sheetPath + ": track " + std::to_string(track.number) +
                                                 " starts before track " +
                                                 std::to_string(before.number));
                }
                base += (position - basePosition) * frameBytesOf(before.mode);
                out[previous].end = base;
                out[previous].frames = position;
                basePosition = position;
            }
            out[t].index1 = base + (track.index1 - basePosition) * frameBytesOf(track.mode);
            previous = t;
        }
        if (previous != SIZE_MAX) {
            const size_t bytes = frameBytesOf(sheet.tracks[previous].mode);
            out[previous].end = std::max(fileSize, base);
            out[previous].frames = basePosition + (out[previous].end - base) / bytes;
        }
    }
    return {};
}

Result<> placeDataTrack(const CueSheet& sheet, const std::string& sheetPath, Placement& out) {
    size_t data = SIZE_MAX;
    for (size_t t = 0; t < sheet.tracks.size() && data == SIZE_MAX; ++t) {
        if (sheet.tracks[t].mode != TrackMode::Audio) data = t;
    }
    if (data == SIZE_MAX) return Result<>::failed(1, sheetPath + ": no data track");
    std::vector<TrackBytes> bytes;
    const Result<> placed = placeTracks(sheet, sheetPath, bytes);
    if (!placed.ok()) return placed;
    const CueTrack& track = sheet.tracks[data];
    uint64_t address = track.index1;
    for (size_t t = 0; t <= data; ++t) address += sheet.tracks[t].pregap;
    // Earlier files count whole: their last track's part ends where the file does.
    for (size_t t = 0; t < data; ++t) {
        const bool lastOfItsFile =
            sheet.tracks[t].file < track.file &&
            (t + 1 == sheet.tracks.size() || sheet.tracks[t + 1].file != sheet.tracks[t].file);
        if (lastOfItsFile) address += bytes[t].frames;
    }
    if (address > UINT32_MAX) {
        return Result<>::failed(1, sheetPath + ": track " + std::to_string(track.number) +
                                     " lies past the end of any disc");
    }
    out.track = data;
    out.start = bytes[data].index1;
    out.end = bytes[data].end;
    out.firstAddress = static_cast<uint32_t>(address);
    return {};
}

Result<> readSheetFile(const std::string& path, std::string& text) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return Result<>::failed(1, path + ": " + std::strerror(errno));
    struct stat info {};
    Result<> result;
    if (::fstat(fd, &info) != 0 || static_cast<uint64_t>(info.st_size) > kMaxCueSheetBytes) {
        result = Result<>::failed(1, path + ": a CUE sheet larger than 1 MiB");
    } else {
        text.resize(static_cast<size_t>(info.st_size));
        if (!readAt(fd, reinterpret_cast<uint8_t*>(text.data()), text.size(), 0)) {
            result = Result<>::failed(1, path + ": the CUE sheet cannot be read");
        }
    }
    ::close(fd);
    return result;
}

}  // namespace

struct DiscImage::State {
    std::string path;
    ImageForm form = ImageForm::Iso2048;
    FrameSize frameSize = FrameSize::Cooked2048;
    std::unique_ptr<CueSheet> sheet;
    std::string trackPath;
    uint64_t trackFileSize = 0;
    uint64_t dataStart = 0;
    uint32_t sectors = 0;
    uint32_t firstAddress = 0;
    int fd = -1;

    size_t frameBytes() const { return static_cast<size_t>(frameSize); }
    ~State() {
        if (fd >= 0) ::close(fd);
    }
};

DiscImage::DiscImage() = default;
DiscImage::~DiscImage() = default;
DiscImage::DiscImage(DiscImage&&) noexcept = default;
DiscImage& DiscImage::operator=(DiscImage&&) noexcept = default;

Result<> DiscImage::open(const std::string& path, DiscImage& out) {
    out.state_.reset();
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) {
        return Result<>::failed(1, path + ": " + std::strerror(errno));
    }
    const ImageRecognition recognition = recogniseImage(path);
    if (!recognition.notReadYet.empty()) return Result<>::failed(1, recognition.notReadYet);
    if (!recognition.image) {
        return Result<>::failed(
            1, path + ": not a disc image (no CUE sheet, no sector syncs, no ISO 9660 volume)");
    }
    auto state = std::make_unique<State>();
    state->path = path;
    state->form = recognition.form;
    uint64_t end = UINT64_MAX;
    std::string trackName = "the image";
    if (recognition.form == ImageForm::CueSheet) {
        std::string text;
        Result<> result = readSheetFile(path, text);
        state->sheet = std::make_unique<CueSheet>();
        if (result.ok()) result = parseCueSheet(text, path, *state->sheet);
        Placement placement;
        if (result.ok()) result = placeDataTrack(*state->sheet, path, placement);
        if (!result.ok()) return result;
        const CueTrack& track = state->sheet->tracks[placement.track];
        state->frameSize = static_cast<FrameSize>(frameBytesOf(track.mode));
        state->trackPath = state->sheet->files[track.file].path;
        state->dataStart = placement.start;
        state->firstAddress = placement.firstAddress;
        end = placement.end;
        trackName = "track " + std::to_string(track.number);
    } else {
        state->frameSize = recognition.form == ImageForm::Raw2352   ? FrameSize::Raw2352
                           : recognition.form == ImageForm::Raw2336 ? FrameSize::Mode2_2336
                                                                    : FrameSize::Cooked2048;
        state->trackPath = path;
    }
    state->fd = ::open(state->trackPath.c_str(), O_RDONLY | O_CLOEXEC);
    if (state->fd < 0 || ::fstat(state->fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        return Result<>::failed(1, state->trackPath + ": cannot be read");
    }
    state->trackFileSize = static_cast<uint64_t>(info.st_size);
    end = std::min(end, state->trackFileSize);
    if (state->dataStart >= end || end - state->dataStart < state->frameBytes()) {
        return Result<>::failed(1, path + ": " + trackName + " holds no whole sector");
    }
    state->sectors = static_cast<uint32_t>(
        std::min<uint64_t>((end - state->dataStart) / state->frameBytes(), UINT32_MAX));
    out.state_ = std::move(state);

    if (out.frameSize() != FrameSize::Raw2352) return {};
    // The header's address is the one the sheet gives, or for a bare track file the start.
    std::vector<uint8_t> frame(kRawSectorBytes);
    const uint32_t frames = std::min<uint32_t>(out.sectorCount(), kFramesToCheck);
    for (uint32_t s = 0; s < frames; ++s) {
        if (!out.readFrames(s, 1, frame.data())) break;
        if (sectorKindOf(frame.data(), FrameSize::Raw2352) == SectorKind::Unknown) continue;
        const int64_t stated = headerAddress(frame.data());
        if (!out.sheet()) {
            if (stated >= s) out.state_->firstAddress = static_cast<uint32_t>(stated - s);
            break;
        }
        const int64_t expected = int64_t{out.absoluteAddress(s)};
        if (stated != expected) {
            const Result<> mismatch =
                Result<>::failed(1, path + ": " + trackName + ": sector " + std::to_string(s) +
                                      " lies at address " + std::to_string(expected) + " (MSF " +
                                      msfText(expected) + ") by the sheet but its header says " +
                                      std::to_string(stated) + " (MSF " + msfText(stated) + ")");
            out.state_.reset();
            return mismatch;
        }
        break;
    }
    return {};
}

const std::string& DiscImage::path() const {
    return state_->path;
}
ImageForm DiscImage::form() const {
    return state_->form;
}
FrameSize DiscImage::frameSize() const {
    return state_->frameSize;
}
const CueSheet* DiscImage::sheet() const {
    return state_->sheet.get();
}
const std::string& DiscImage::trackPath() const {
    return state_->trackPath;
}
uint64_t DiscImage::trackFileSize() const {
    return state_->trackFileSize;
}

std::vector<std::string> DiscImage::inputFiles() const {
    std::vector<std::string> files = {state_->path};
    if (state_->sheet) {
        for (const CueFile& file : state_->sheet->files) files.push_back(file.path);
    }
    return files;
}

uint32_t DiscImage::sectorCount() const {
    return state_ ? state_->sectors : 0;
}

uint64_t DiscImage::frameOffset(uint32_t sector) const {
    return state_->dataStart + uint64_t{sector} * state_->frameBytes();
}

uint32_t DiscImage::absoluteAddress(uint32_t sector) const {
    return static_cast<uint32_t>(uint64_t{state_->firstAddress} + sector);
}

bool DiscImage::readFrames(uint32_t sector, uint32_t count, uint8_t* out) const {
    if (!state_ || uint64_t{sector} + count > state_->sectors) return false;
    return readAt(state_->fd, out, size_t{count} * state_->frameBytes(), frameOffset(sector));
}

SectorKind DiscImage::kindOf(uint32_t sector) const {
    uint8_t frame[kRawSectorBytes];
    if (!readFrames(sector, 1, frame)) return SectorKind::Unknown;
    return sectorKindOf(frame, state_->frameSize);
}

bool DiscImage::readUserData(uint32_t sector, uint32_t count, uint8_t* out) const {
    const uint32_t total = sectorCount();
    const uint32_t present =
        sector >= total ? 0 : static_cast<uint32_t>(std::min<uint64_t>(count, total - sector));
    std::memset(out + size_t{present} * 2048, 0, size_t{count - present} * 2048);
    bool ok = present == count;
    if (present == 0) return ok;
    if (state_->frameSize == FrameSize::Cooked2048) {
        if (readFrames(sector, present, out)) return ok;
        std::memset(out, 0, size_t{present} * 2048);
        return false;
    }
    const size_t frameBytes = state_->frameBytes();
    const uint32_t chunk = static_cast<uint32_t>(kReadChunkBytes / frameBytes);
    thread_local std::vector<uint8_t> frames;
    frames.resize(size_t{chunk} * frameBytes);
    for (uint32_t done = 0; done < present;) {
        const uint32_t n = std::min(chunk, present - done);
        uint8_t* target = out + size_t{done} * 2048;
        if (!readFrames(sector + done, n, frames.data())) {
            std::memset(target, 0, size_t{n} * 2048);
            ok = false;
        } else {
            for (uint32_t i = 0; i < n; ++i) {
                const uint8_t* frame = frames.data() + size_t{i} * frameBytes;
                const SectorKind kind = sectorKindOf(frame, state_->frameSize);
                if (kind == SectorKind::Mode1 || kind == SectorKind::Mode2Form1) {
                    std::memcpy(target + size_t{i} * 2048,
                                frame + userDataOf(kind, state_->frameSize).offset, 2048);
                } else {
                    std::memset(target + size_t{i} * 2048, 0, 2048);
                    ok = false;
                }
            }
        }
        done += n;
    }
    return ok;
}
