#pragma once

#include <memory>

class FileWatch;

// The viewer follows the archive shown: once it has changed on disk and stopped changing, it is
// reloaded as F5 reloads it. A timer looks at the watch every kFollowLookMilliseconds (a watch
// that checks the file, every kCheckMilliseconds) while an archive file is shown; the demo model
// has no file and no timer.
constexpr int kFollowLookMilliseconds = 250;

// Start-up hands over the watch to use (none: nothing is followed).
void startFollowing(std::unique_ptr<FileWatch> watch);
// Follows the archive shown now (shownArchivePath); called whenever another model is shown.
void followShownArchive();
// The look timer (through shellPlatform).
void onFollowTick(int value);
