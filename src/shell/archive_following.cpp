#include "shell/archive_following.h"

#include <string>
#include <utility>

#include "console/console.h"
#include "shell/archive_loop.h"
#include "shell/file_watch.h"
#include "shell/shell_platform.h"
#include "shell/viewer_state.h"
#include "source/archive_sources.h"

namespace {

struct Following {
    std::unique_ptr<FileWatch> watch;
    SettleWait settle;
    std::string path;      // the archive followed, empty for none
    bool ticking = false;  // a look is due on the timer
};

Following& following() {
    static Following instance;
    return instance;
}

// A watch that checks the file looks at it once a second: a change is then due after a second
// with no other, not a quarter of one.
int lookMilliseconds(const FileWatch& watch) {
    return watch.checksTheFile() ? kCheckMilliseconds : kFollowLookMilliseconds;
}

}  // namespace

void startFollowing(std::unique_ptr<FileWatch> watch) {
    following().watch = std::move(watch);
    followShownArchive();
}

void followShownArchive() {
    Following& f = following();
    if (!f.watch) return;
    f.settle.forget();
    const std::string file = fileToFollow(sourceFromArgument(shownArchivePath));
    if (file != f.path) {
        f.path = file;
        if (!f.watch->follow(f.path)) {
            consolePrintf("%s: changes on disk are not followed (F5 reloads)\n", f.path.c_str());
        } else if (!f.path.empty() && f.watch->checksTheFile()) {
            consolePrintf("%s: followed by checking it every second (no inotify)\n",
                          f.path.c_str());
        }
    } else {
        f.watch->changed();  // the file as just read holds the changes made so far
    }
    if (!f.path.empty() && !f.ticking) {
        f.ticking = true;
        shellPlatform->startTimer(lookMilliseconds(*f.watch), onFollowTick, 0);
    }
}

void onFollowTick(int /*value*/) {
    Following& f = following();
    f.ticking = false;
    if (f.path.empty()) return;  // the demo model: the looks end
    if (f.settle.look(f.watch->changed())) reloadShownArchive();
    if (!f.ticking) {
        f.ticking = true;
        shellPlatform->startTimer(lookMilliseconds(*f.watch), onFollowTick, 0);
    }
}
