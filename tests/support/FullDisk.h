#pragma once

#include <QtGlobal>

#ifdef Q_OS_UNIX
#include <csignal>
#include <sys/resource.h>

// While one lives, no file of this process may grow beyond `bytes`: a write past
// that fails as it would on a full disk (with "File too large" instead of "No space
// left on device"), and the process is not stopped for it.
class FullDisk {
public:
    explicit FullDisk(rlim_t bytes)
    {
        getrlimit(RLIMIT_FSIZE, &before);
        previousHandler = std::signal(SIGXFSZ, SIG_IGN);
        Limit(bytes);
    }
    ~FullDisk()
    {
        setrlimit(RLIMIT_FSIZE, &before);
        std::signal(SIGXFSZ, previousHandler);
    }
    FullDisk(const FullDisk &) = delete;
    FullDisk &operator=(const FullDisk &) = delete;

    // The limit alone, as a child process sets it up between fork and exec.
    static void Limit(rlim_t bytes)
    {
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit limited;
        getrlimit(RLIMIT_FSIZE, &limited);
        limited.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limited);
    }

private:
    rlimit before{};
    void (*previousHandler)(int) = SIG_DFL;
};
#define QUILLMERE_FULL_DISK 1
#endif
