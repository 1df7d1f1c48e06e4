#include "shell/archive_following.h"

#include "shell/file_watch.h"
#include "shell/shell_platform.h"
#include "shell/viewer_state.h"

namespace {

// A watch that checks the file looks at it once a second: a change is then due after a second
// with no other, not a quarter of one.
int lookMilliseconds(const FileWatch& watch) {
    return watch.checksTheFile() ? kCheckMilliseconds : kFollowLookMilliseconds;
}

}  // namespace

std::string followShownArchive(ViewerState& viewer) {
    Following& f = viewer.following;
    if (!f.watch) return "";
    f.settle.forget();
    std::string line;
    const std::string file = fileToFollow(sourceFromArgument(viewer.shownArchivePath));
    if (file != f.path) {
        f.path = file;
        if (!f.watch->follow(f.path)) {
            line = f.path + ": changes on disk are not followed (F5 reloads)\n";
        } else if (!f.path.empty() && f.watch->checksTheFile()) {
            line = f.path + ": followed by checking it every second (no inotify)\n";
        }
    } else {
        f.watch->changed();  // the file as just read holds the changes made so far
    }
    if (!f.path.empty()) keepLooking(viewer);
    return line;
}

FollowLook lookAtFollowedFile(ViewerState& viewer) {
    Following& f = viewer.following;
    f.ticking = false;
    if (f.path.empty()) return FollowLook::Ended;  // the demo model
    return f.settle.look(f.watch->changed()) ? FollowLook::Settled : FollowLook::Unchanged;
}

void keepLooking(ViewerState& viewer) {
    Following& f = viewer.following;
    if (f.ticking) return;
    f.ticking = true;
    viewer.platform->startTimer(lookMilliseconds(*f.watch), ViewerTimer::FollowLook, 0);
}
