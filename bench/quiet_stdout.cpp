#include "quiet_stdout.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <iostream>
#include <string>

std::ostream& silenceStdoutAndGetReportStream() {
    std::fflush(stdout);
    std::cout.flush();
    const int saved = dup(STDOUT_FILENO);
    const int null = open("/dev/null", O_WRONLY);
    if (saved < 0 || null < 0) return std::cerr;
    dup2(null, STDOUT_FILENO);
    close(null);
    static std::ofstream report("/proc/self/fd/" + std::to_string(saved));
    if (!report) return std::cerr;
    return report;
}
