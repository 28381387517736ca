// Files of this process may grow no further than bytes, while it lives: a
// write beyond fails as on a full disk.
#pragma once

#include <csignal>
#include <sys/resource.h>

struct FileSizeLimit {
    rlimit previous{};
    explicit FileSizeLimit(rlim_t bytes) {
        std::signal(SIGXFSZ, SIG_IGN);
        getrlimit(RLIMIT_FSIZE, &previous);
        const rlimit limit{bytes, previous.rlim_max};
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit() { setrlimit(RLIMIT_FSIZE, &previous); }
};
