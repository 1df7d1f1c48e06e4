#include "quiet_stdout.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <ext/stdio_filebuf.h>
#include <iostream>

std::ostream& silenceStdoutAndGetReportStream() {
    std::fflush(stdout);
    std::cout.flush();
    const int saved = dup(STDOUT_FILENO);
    const int null = open("/dev/null", O_WRONLY);
    if (saved < 0 || null < 0) return std::cerr;
    dup2(null, STDOUT_FILENO);
    close(null);
    // The saved descriptor shares the file offset with the original, so a report redirected to
    // a file continues it instead of starting it over.
    static __gnu_cxx::stdio_filebuf<char> buffer(saved, std::ios::out);
    static std::ostream report(&buffer);
    return report;
}
