#pragma once

#include <cstdint>
#include <string>
#include <vector>

// How a save ended.
enum class SaveOutcome {
    Saved,
    CannotOpen,   // the target cannot be written: write-protected, a folder, or nowhere to write
    WriteFailed,  // writing, syncing or renaming failed; nothing of the old file was lost
};

struct SaveResult {
    SaveOutcome outcome = SaveOutcome::Saved;
    int error = 0;  // errno of the failure
};

// Saves bytes as the file at path and keeps what the user set up there:
// - a symbolic link is followed to the file it names, and stays a link;
// - an existing file this user may not write is refused and left as it is;
// - the bytes go to a new file beside the target, renamed over it once complete, so a failed
//   write keeps the old file; the new file takes the old one's permission bits, and its owner
//   and group where the process may set them (a new target gets 0666 less the umask);
// - where no file can take the target's place (a folder this user may not write, a sticky
//   folder), a writable target is rewritten in place: truncated, written, synced;
// - a device or a pipe is written in place, never replaced.
SaveResult saveFile(const std::string& path, const std::vector<uint8_t>& bytes);

// Bytes held elsewhere: one piece of a file saved from several.
struct BytePiece {
    const uint8_t* data = nullptr;
    size_t size = 0;
};

// The same for a file made of pieces, written one after another where they lie (a large
// buffer is not copied into one vector first).
SaveResult saveFilePieces(const std::string& path, const std::vector<BytePiece>& pieces);

// The reason a save failed, for the line that says so: the system's message, or "it cannot be
// written" when there is none.
std::string describeSaveFailure(const SaveResult& result);
