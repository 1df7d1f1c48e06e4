#include "disc/iso9660.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <set>

#include "io/bounded_reader.h"
#include "io/byte_order.h"

namespace {

constexpr uint32_t kSystemAreaSectors = 16;
constexpr uint32_t kMaxDescriptors = 64;
constexpr uint32_t kMaxDepth = 64;
constexpr size_t kMaxEntries = 1000000;
constexpr uint32_t kMaxDirectoryBytes = 4 << 20;
constexpr size_t kMaxRecords = 2 * kMaxEntries;  // read in all directories together
constexpr size_t kMaxProblems = 1000;
constexpr size_t kSectorBytes = 2048;
constexpr size_t kRecordFixedBytes = 33;
constexpr uint8_t kFlagDirectory = 0x02;
constexpr uint8_t kFlagMultiExtent = 0x80;
constexpr uint16_t kXaForm2 = 0x1000;
constexpr uint16_t kXaInterleaved = 0x2000;

uint16_t readBE16(const uint8_t* p) {
    return static_cast<uint16_t>(p[0] << 8 | p[1]);
}
uint32_t readBE32(const uint8_t* p) {
    return uint32_t{p[0]} << 24 | uint32_t{p[1]} << 16 | uint32_t{p[2]} << 8 | p[3];
}

uint64_t sectorsFor(uint64_t bytes) {
    return (bytes + kSectorBytes - 1) / kSectorBytes;
}

struct Record {
    RecordPlace place;
    uint32_t extent = 0;
    uint32_t size = 0;
    uint8_t flags = 0;
    std::string rawName;
    std::string name;  // ";N" and a trailing dot taken off
    bool xaForm2 = false;
};

// A name as messages show it: printable bytes only.
std::string shown(const std::string& name) {
    std::string out;
    for (char c : name.substr(0, 64)) {
        const unsigned char u = static_cast<unsigned char>(c);
        out += (u >= 0x20 && u < 0x7f) ? c : '?';
    }
    return out;
}

std::string plainName(std::string name) {
    const size_t version = name.rfind(';');
    if (version != std::string::npos) name.resize(version);
    if (!name.empty() && name.back() == '.') name.pop_back();
    return name;
}

// A name that could take a path out of its folder, or is none.
bool isUnsafeName(const std::string& name) {
    if (name.empty() || name == "." || name == ".." || name.find("..") != std::string::npos) {
        return true;
    }
    return std::any_of(name.begin(), name.end(), [](char c) {
        return c == '/' || c == '\\' || static_cast<unsigned char>(c) < 0x20;
    });
}

// The XA record after the name (padded to even): attributes (big-endian) at 4, "XA" at 6.
bool xaSaysForm2(const uint8_t* record, size_t length, size_t nameLength) {
    const size_t at = kRecordFixedBytes + nameLength + (nameLength % 2 == 0 ? 1 : 0);
    if (at + 14 > length || record[at + 6] != 'X' || record[at + 7] != 'A') return false;
    return (readBE16(record + at + 4) & (kXaForm2 | kXaInterleaved)) != 0;
}

class VolumeReader {
  public:
    VolumeReader(const DiscImage& image, IsoVolume& volume)
        : image_(image), volume_(volume), imageSectors_(image.sectorCount()) {}

    Result<> read();

  private:
    void problem(const std::string& line);
    void markUsed(uint64_t extent, uint64_t sectors);
    bool readDescriptors(std::vector<uint8_t>& primary);
    bool readDirectory(uint32_t extent, uint32_t size, const std::string& path,
                       std::vector<Record>& out);
    void walk(size_t entry, uint32_t extent, uint32_t size, const std::string& path, uint32_t depth,
              size_t parentEntry, uint32_t parentExtent);
    bool usableExtent(const Record& record, const std::string& path);
    void addEntry(const std::vector<Record>& group, const std::string& path, size_t parentEntry,
                  uint32_t parentExtent, uint32_t depth);

    const DiscImage& image_;
    IsoVolume& volume_;
    const uint32_t imageSectors_;
    std::set<uint32_t> visitedDirectories_;
    bool entriesFull_ = false;
    size_t recordsRead_ = 0;
    uint32_t descriptorsEnd_ = kSystemAreaSectors;
    std::string prefix_ = image_.path() + ": ";
};

void VolumeReader::problem(const std::string& line) {
    if (volume_.problems.size() < kMaxProblems) {
        volume_.problems.push_back(prefix_ + line);
    } else if (volume_.problems.size() == kMaxProblems) {
        volume_.problems.push_back(prefix_ + "more problems, not shown");
    }
}

void VolumeReader::markUsed(uint64_t extent, uint64_t sectors) {
    const uint64_t end = std::min<uint64_t>(extent + sectors, volume_.used.size());
    for (uint64_t s = extent; s < end; ++s) volume_.used[s] = true;
}

bool VolumeReader::readDescriptors(std::vector<uint8_t>& primary) {
    std::vector<uint8_t> sector(kSectorBytes);
    const uint32_t last = std::min(imageSectors_, kSystemAreaSectors + kMaxDescriptors);
    for (uint32_t s = kSystemAreaSectors; s < last; ++s) {
        const bool readable = image_.readUserData(s, 1, sector.data());
        if (!readable || std::memcmp(sector.data() + 1, "CD001", 5) != 0) {
            problem("sector " + std::to_string(s) +
                    " holds no volume descriptor; the descriptors end before their terminator");
            return !primary.empty();
        }
        if (sector[0] == 1 && primary.empty()) primary = sector;
        if (sector[0] == 255) {
            descriptorsEnd_ = s + 1;
            return !primary.empty();
        }
        descriptorsEnd_ = s + 1;
    }
    if (!primary.empty()) problem("no volume descriptor terminator");
    return !primary.empty();
}

bool VolumeReader::readDirectory(uint32_t extent, uint32_t size, const std::string& path,
                                 std::vector<Record>& out) {
    const std::string name = path.empty() ? "the root directory" : path;
    uint32_t bytes = size;
    if (bytes > kMaxDirectoryBytes) {
        problem(name + ": a directory of " + std::to_string(size) +
                " bytes; only its first 4 MiB read");
        bytes = kMaxDirectoryBytes;
    }
    const uint32_t sectors = static_cast<uint32_t>(sectorsFor(bytes));
    std::vector<uint8_t> data(size_t{sectors} * kSectorBytes);
    if (!image_.readUserData(extent, sectors, data.data())) {
        problem(name + ": some of its sectors hold no data (Form 2, or past the end)");
    }
    for (uint32_t s = 0; s < sectors; ++s) {
        const BoundedReader sector(data.data() + size_t{s} * kSectorBytes, kSectorBytes);
        size_t at = 0;
        while (at < kSectorBytes) {
            const uint8_t length = sector.data()[at];
            if (length == 0) break;  // the rest of the sector is padding
            const uint8_t nameLength = at + 32 < kSectorBytes ? sector.data()[at + 32] : 0;
            if (length < kRecordFixedBytes + 1 || !sector.contains(at, length) || nameLength == 0 ||
                kRecordFixedBytes + nameLength > length) {
                problem(name + ": a broken directory record at sector " +
                        std::to_string(extent + s) + " offset " + std::to_string(at) +
                        "; the rest of that sector passed over");
                break;
            }
            if (++recordsRead_ > kMaxRecords) {
                if (!entriesFull_)
                    problem("more than 2000000 directory records; the rest passed over");
                entriesFull_ = true;
                return false;
            }
            const uint8_t* bytesOf = sector.data() + at;
            Record record;
            record.place = {extent + s, static_cast<uint32_t>(at)};
            record.extent = readLE32(bytesOf + 2);
            record.size = readLE32(bytesOf + 10);
            record.flags = bytesOf[25];
            record.rawName.assign(reinterpret_cast<const char*>(bytesOf + 33), nameLength);
            record.name = plainName(record.rawName);
            record.xaForm2 = xaSaysForm2(bytesOf, length, nameLength);
            out.push_back(std::move(record));
            at += length;
        }
    }
    return true;
}

bool VolumeReader::usableExtent(const Record& record, const std::string& path) {
    const uint64_t sectors = sectorsFor(record.size);
    if (sectors == 0) return true;
    if (uint64_t{record.extent} + sectors <= imageSectors_) return true;
    problem(path + ": its extent (sector " + std::to_string(record.extent) + ", " +
            std::to_string(record.size) + " bytes) runs past the end of the image (" +
            std::to_string(imageSectors_) + " sectors); passed over");
    markUsed(record.extent, sectors);
    return false;
}

void VolumeReader::addEntry(const std::vector<Record>& group, const std::string& path,
                            size_t parentEntry, uint32_t parentExtent, uint32_t depth) {
    const Record& first = group.front();
    for (const Record& part : group) markUsed(part.extent, sectorsFor(part.size));
    const bool directory = (first.flags & kFlagDirectory) != 0;
    if (directory && group.size() > 1) {
        problem(path + ": a directory named more than once; passed over");
        return;
    }
    if (directory && visitedDirectories_.count(first.extent)) {
        problem(path + ": a directory that loops back to one already read (sector " +
                std::to_string(first.extent) + "); passed over");
        return;
    }
    if (directory && depth >= kMaxDepth) {
        problem(path + ": directories nested deeper than 64; passed over");
        return;
    }
    if (volume_.entries.size() >= kMaxEntries) {
        if (!entriesFull_) problem("more than 1000000 entries; the rest passed over");
        entriesFull_ = true;
        return;
    }
    IsoFile file;
    file.path = path;
    file.extent = first.extent;
    file.size = first.size;
    file.directory = directory;
    file.multiExtent = group.size() > 1 || (first.flags & kFlagMultiExtent) != 0;
    file.form2 = !directory && (first.xaForm2 || (first.size > 0 && image_.kindOf(first.extent) ==
                                                                        SectorKind::Mode2Form2));
    for (const Record& part : group) {
        if (part.extent == first.extent) file.records.push_back(part.place);
    }
    volume_.entries.push_back(std::move(file));
    if (directory) {
        visitedDirectories_.insert(first.extent);
        walk(volume_.entries.size() - 1, first.extent, first.size, path, depth + 1, parentEntry,
             parentExtent);
    }
}

void VolumeReader::walk(size_t entry, uint32_t extent, uint32_t size, const std::string& path,
                        uint32_t depth, size_t parentEntry, uint32_t parentExtent) {
    std::vector<Record> records;
    readDirectory(extent, size, path, records);
    std::vector<Record> children;
    for (Record& record : records) {
        const bool self = record.rawName.size() == 1 && record.rawName[0] == '\0';
        const bool parent = record.rawName.size() == 1 && record.rawName[0] == '\1';
        if (self) {
            if (entry != SIZE_MAX && record.extent == extent) {
                volume_.entries[entry].records.push_back(record.place);
            }
        } else if (parent) {
            if (parentEntry != SIZE_MAX && record.extent == parentExtent) {
                volume_.entries[parentEntry].records.push_back(record.place);
            }
        } else {
            children.push_back(std::move(record));
        }
    }
    std::stable_sort(children.begin(), children.end(),
                     [](const Record& a, const Record& b) { return a.name < b.name; });
    for (size_t i = 0; i < children.size() && !entriesFull_;) {
        size_t next = i + 1;
        while (next < children.size() && children[next].name == children[i].name) ++next;
        const std::vector<Record> group(children.begin() + i, children.begin() + next);
        i = next;
        const std::string& name = group.front().name;
        const std::string childPath = path.empty() ? name : path + "/" + name;
        if (isUnsafeName(name)) {
            problem((path.empty() ? "" : path + "/") + "\"" + shown(group.front().rawName) +
                    "\": a name that is empty or holds '/' or '..'; passed over");
            for (const Record& part : group) {
                if (uint64_t{part.extent} < imageSectors_)
                    markUsed(part.extent, sectorsFor(part.size));
            }
            continue;
        }
        if (!std::all_of(group.begin(), group.end(),
                         [&](const Record& part) { return usableExtent(part, childPath); })) {
            continue;
        }
        addEntry(group, childPath, entry, extent, depth);
    }
}

Result<> VolumeReader::read() {
    std::vector<uint8_t> primary;
    if (!readDescriptors(primary)) {
        return Result<>::failed(1, image_.path() + ": no ISO 9660 primary volume descriptor");
    }
    const uint16_t blockSize = readLE16(primary.data() + 128);
    if (blockSize != kSectorBytes) {
        return Result<>::failed(1, image_.path() + ": a logical block size of " +
                                     std::to_string(blockSize) + " bytes is not read");
    }
    volume_.volumeSectors = readLE32(primary.data() + 80);
    volume_.logicalBlockSize = blockSize;
    if (volume_.volumeSectors > imageSectors_) {
        problem("the volume holds " + std::to_string(volume_.volumeSectors) +
                " sectors but the image only " + std::to_string(imageSectors_));
    }
    volume_.used.assign(std::min(volume_.volumeSectors, imageSectors_), false);
    markUsed(0, descriptorsEnd_);

    const uint32_t pathTableSectors =
        static_cast<uint32_t>(sectorsFor(readLE32(primary.data() + 132)));
    for (uint32_t table : {readLE32(primary.data() + 140), readLE32(primary.data() + 144),
                           readBE32(primary.data() + 148), readBE32(primary.data() + 152)}) {
        if (table != 0) markUsed(table, pathTableSectors);
    }

    const uint8_t* root = primary.data() + 156;
    const uint32_t rootExtent = readLE32(root + 2);
    const uint32_t rootSize = readLE32(root + 10);
    if (root[0] < 34 || uint64_t{rootExtent} + sectorsFor(rootSize) > imageSectors_ ||
        rootSize == 0) {
        problem("the root directory (sector " + std::to_string(rootExtent) + ", " +
                std::to_string(rootSize) + " bytes) lies outside the image; no files read");
        return {};
    }
    markUsed(rootExtent, sectorsFor(rootSize));
    visitedDirectories_.insert(rootExtent);
    walk(SIZE_MAX, rootExtent, rootSize, "", 0, SIZE_MAX, 0);
    return {};
}

}  // namespace

const IsoFile* IsoVolume::find(const std::string& name) const {
    auto upper = [](std::string text) {
        for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        return text;
    };
    const std::string wanted = upper(name);
    for (const IsoFile& entry : entries) {
        if (entry.path.size() == wanted.size() && upper(entry.path) == wanted) return &entry;
    }
    return nullptr;
}

Result<> readIsoVolume(const DiscImage& image, IsoVolume& out) {
    out = IsoVolume();
    return VolumeReader(image, out).read();
}
