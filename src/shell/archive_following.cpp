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
        }
    } else {
        f.watch->changed();  // the file as just read holds the changes made so far
    }
    if (!f.path.empty() && !f.ticking) {
        f.ticking = true;
        shellPlatform->startTimer(kFollowLookMilliseconds, onFollowTick, 0);
    }
}

void onFollowTick(int /*value*/) {
    Following& f = following();
    f.ticking = false;
    if (f.path.empty()) return;  // the demo model: the looks end
    if (f.settle.look(f.watch->changed())) reloadShownArchive();
    if (!f.ticking) {
        f.ticking = true;
        shellPlatform->startTimer(kFollowLookMilliseconds, onFollowTick, 0);
    }
}
