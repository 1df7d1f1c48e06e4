#include "cli/output_file.h"

#include "io/file_saving.h"

bool replaceFile(const std::string& path, const std::vector<uint8_t>& bytes, std::string& error) {
    const SaveResult result = saveFile(path, bytes);
    if (result.outcome == SaveOutcome::Saved) return true;
    error = describeSaveFailure(result);
    return false;
}
