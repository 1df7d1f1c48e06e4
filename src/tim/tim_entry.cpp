#include "tim/tim_entry.h"

#include <algorithm>

#include "archive/page_size.h"

namespace {

void add(TimEntryCheck& check, ProblemCode code, std::initializer_list<uint64_t> values) {
    ArchiveProblem problem{code, {}, {}, {}, {}};
    std::copy(values.begin(), values.end(), problem.values.begin());
    check.problems.push_back(problem);
}

// Signed numbers are kept as their two's complement.
uint64_t signedValue(int64_t value) {
    return static_cast<uint64_t>(value);
}

}  // namespace

TimEntryCheck checkTimEntry(const BoundedReader& entry) {
    TimEntryCheck check;
    uint64_t needed = 0;
    check.header = checkTimHeader(entry, check.image, needed);
    switch (check.header) {
        case TimHeaderCheck::Accepted:
            break;
        case TimHeaderCheck::Truncated:
            add(check, ProblemCode::TimTruncated, {entry.size(), needed});
            return check;
        case TimHeaderCheck::BadHeader: {
            ArchiveProblem problem{ProblemCode::TimHeader, {}, {}, {}, {}};
            for (size_t i = 0; i < 8; ++i) {
                uint8_t byte = 0;
                entry.readU8(i, byte);
                problem.values[i] = byte;
            }
            check.problems.push_back(problem);
            return check;
        }
        case TimHeaderCheck::BadPaletteSize:
            add(check, ProblemCode::TimPaletteSize, {check.image.clutLength});
            return check;
    }
    const TimImage& image = check.image;
    if (image.width > kTexturePageSize) {
        add(check, ProblemCode::TimWidth, {signedValue(image.width)});
    }
    check.copies = image.paletteCount;
    if (image.height * check.copies > kTexturePageSize) {
        add(check, ProblemCode::TimHeightPalette,
            {signedValue(image.height), signedValue(check.copies)});
        check.copies = 1;  // only the copy through palette 0
    }
    const size_t rowBytes = image.rowBytes();
    const size_t available = entry.size() - image.pixelStart();
    check.rowsHeld = rowBytes == 0 ? static_cast<size_t>(image.height)
                                   : std::min<size_t>(image.height, available / rowBytes);
    check.failed = check.rowsHeld < static_cast<size_t>(image.height);
    if (check.failed) {
        add(check, ProblemCode::TimPixelsShort,
            {entry.size(), image.pixelStart() + static_cast<uint64_t>(rowBytes) *
                                                    static_cast<uint64_t>(image.height)});
    }
    return check;
}
