#include <cstdio>
#include <vector>

#include "archive/entry_table.h"
#include "console/console.h"
#include "io/byte_order.h"
#include "io/file_reading.h"
#include "texture/texture_page.h"
#include "texture/tim_image.h"

namespace {

// The stream's size in bytes, or -1 when it cannot be measured.
long streamSize(FILE* file) {
    if (std::fseek(file, 0, SEEK_END) != 0) return -1;
    return std::ftell(file);
}

// True when the entry at start has a whole first word in the file and that word is the TIM id.
// An entry whose first word lies outside the file cannot be an image and is passed over.
bool startsWithTimId(FILE* file, uint32_t start, long fileSize) {
    if (static_cast<uint64_t>(start) + 4 > static_cast<uint64_t>(fileSize)) return false;
    if (std::fseek(file, static_cast<long>(start), SEEK_SET) != 0) return false;
    return readFileLE32(file) == TimImage::kId;
}

// Reads the entry [start, end) into a buffer of exactly its size and decodes it. The end comes
// from the next offset, which is untrusted: an entry that ends before it starts or beyond the
// file is reported and counts as failed, so no buffer is ever larger than the file.
int decodeEntry(TexturePage& page, FILE* file, uint32_t start, uint32_t end, long fileSize) {
    if (end < start || end > static_cast<uint64_t>(fileSize)) {
        consoleProblem("Error : texture entry outside the file. [%x,%x] file size [%lx]\n", start,
                       end, fileSize);
        return -1;
    }
    std::vector<uint8_t> buffer(end - start);
    if (std::fseek(file, static_cast<long>(start), SEEK_SET) != 0 ||
        std::fread(buffer.data(), 1, buffer.size(), file) != buffer.size()) {
        consoleProblem("Error : texture entry cannot be read. [%x,%x]\n", start, end);
        return -1;
    }
    return page.decodeTim(buffer.data(), buffer.size());
}

}  // namespace

int TexturePage::scanArchive(const char* path) {
    FILE* file = path ? std::fopen(path, "rb") : nullptr;
    if (!file) {
        consoleProblem("File cannot open. [%s]\n", path ? path : "");
        return -1;
    }
    const int result = scanArchive(file);
    std::fclose(file);
    return result;
}

int TexturePage::scanArchive(const uint8_t* data, size_t size) {
    // An empty archive has no entries; fmemopen refuses a buffer of no bytes.
    if (size == 0) return 0;
    FILE* file = fmemopen(const_cast<uint8_t*>(data), size, "rb");
    const int result = scanArchive(file);
    if (file) std::fclose(file);
    return result;
}

int TexturePage::scanArchive(FILE* file) {
    if (!file) {
        consoleProblem("File cannot open. [%s]\n", "(no stream)");
        return -1;
    }
    const long fileSize = streamSize(file);
    if (fileSize < 0 || std::fseek(file, 0, SEEK_SET) != 0) {
        consoleProblem("Error : archive size cannot be taken.\n");
        return -1;
    }
    // Nothing of an archive too large to be a model is scanned. The skeleton loader, which
    // always follows the scan, refuses it too and names the file and its size in one line.
    if (static_cast<uint64_t>(fileSize) > kArchiveSizeLimit) return -1;

    // Only the table is read whole; the entries are read one at a time.
    const std::vector<uint8_t> tableBytes = readEntryTableBytes(file, kMaxTextureEntries);
    const EntryTable table(BoundedReader(tableBytes.data(), tableBytes.size()));
    uint32_t count = 0;
    table.count(count);  // a file shorter than the count has no entries
    if (count >= kMaxTextureEntries) {
        consoleProblem("Warning num of entries. [%d]\n", static_cast<int>(count));
        return -1;
    }
    if (!table.holdsOffsets(count)) {
        consoleProblem("Error : offset table beyond the end of the file. [%u entries, %ld bytes]\n",
                       count, fileSize);
        return -1;
    }

    // The last entry is never examined: its end would come from an entry after it.
    int result = 0;
    for (uint32_t i = 0; i + 1 < count; ++i) {
        uint32_t start = 0, end = 0;
        table.offset(i, start);
        table.offset(i + 1, end);
        if (!startsWithTimId(file, start, fileSize)) continue;
        consolePrintf("Texture offset : %x\n", start);
        result = decodeEntry(*this, file, start, end, fileSize);
    }
    return result;
}
