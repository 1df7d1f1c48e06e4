#include "console/console.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(Console, CapturesNestAndRestoreTheTargetAndTextAroundThem) {
    const ConsoleTarget before = consoleTarget();
    {
        ConsoleCapture outer;
        consolePrintf("outer %d\n", 1);
        {
            ConsoleCapture inner;
            consolePrintf("inner %s\n", "line");
            EXPECT_EQ(inner.text(), "inner line\n");
        }
        // The inner capture's lines stay its own; the outer text goes on where it was.
        consolePrintf("outer %d\n", 2);
        EXPECT_EQ(outer.text(), "outer 1\nouter 2\n");

        setConsoleTarget(ConsoleTarget::Discard);
        consolePrintf("dropped\n");
        setConsoleTarget(ConsoleTarget::Buffer);
        EXPECT_EQ(outer.text(), "outer 1\nouter 2\n");
    }
    EXPECT_EQ(consoleTarget(), before);
}

TEST(Console, BufferKeepsLongLinesAndEmbeddedPercentWhole) {
    const std::string path(70000, 'p');
    ConsoleCapture console;
    consolePrintf("cannot open : %s\n", path.c_str());
    consolePrintf("%s", "");
    consolePrintf("100%% [%x]\n", 0xBEEFu);
    EXPECT_EQ(console.text(), "cannot open : " + path + "\n100% [beef]\n");
}

}  // namespace
