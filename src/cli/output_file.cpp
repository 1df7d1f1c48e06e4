#include "cli/output_file.h"

#include "io/file_saving.h"

Result<> replaceFile(const std::string& path, const std::vector<uint8_t>& bytes) {
    const SaveResult result = saveFile(path, bytes);
    if (result.outcome == SaveOutcome::Saved) return {};
    return Result<>::failed(1, describeSaveFailure(result));
}
