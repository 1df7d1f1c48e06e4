#pragma once

#include <memory>
#include <string>

#include "shell/file_watch.h"
#include "source/archive_sources.h"

struct ViewerState;

// The viewer follows the archive shown: once it has changed on disk and stopped changing, it is
// reloaded as F5 reloads it. A timer looks at the watch every kFollowLookMilliseconds (a watch
// that checks the file, every kCheckMilliseconds) while an archive file is shown; the demo model
// has no file and no timer.
constexpr int kFollowLookMilliseconds = 250;

// What the viewer keeps of the file it follows.
struct Following {
    std::unique_ptr<FileWatch> watch;  // none: nothing is followed
    SettleWait settle;
    std::string path;      // the file followed, empty for none
    bool ticking = false;  // a look is due on the timer
};

// Follows the file of the archive shown now (viewer.shownArchivePath), starting the looks when
// none is due; called whenever another model is shown. Returns the line that says a file cannot
// be followed, or "", for the caller to print with the other lines of the change.
std::string followShownArchive(ViewerState& viewer);

// What one look of the timer found.
enum class FollowLook {
    Ended,      // nothing is followed any more: the looks end
    Unchanged,  // look again later
    Settled,    // the file changed and has stopped changing: reload it, then look again later
};
FollowLook lookAtFollowedFile(ViewerState& viewer);
// Asks for the next look, unless one is due already.
void keepLooking(ViewerState& viewer);
