#include <cstdio>
#include <iostream>

#include "cli/Commands.h"

namespace kelmora::cli {

bool CloseStandardOutput() {
    std::cout.flush();
    const bool streamOk = !std::cout.fail();
    const bool flushed = std::fflush(stdout) == 0 && std::ferror(stdout) == 0;
    // Closing reports what the last write to a file system or a pipe could not deliver.
    const bool closed = std::fclose(stdout) == 0;
    return streamOk && flushed && closed;
}

}  // namespace kelmora::cli
