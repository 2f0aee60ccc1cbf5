#include "platform/StandardHandles.h"

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

bool SettleStandardHandles(MissingStandardHandles& missing)
{
    missing = {};
    bool* const flags[] = { &missing.input, &missing.output, &missing.error };
    for (int fd = 0; fd <= 2; ++fd) {
        if (::fcntl(fd, F_GETFD) != -1 || errno != EBADF)
            continue;
        *flags[fd] = true;
        // Without O_CLOEXEC: the processes the program starts get it as their own as well.
        const int opened = ::open("/dev/null", fd == STDIN_FILENO ? O_RDONLY : O_WRONLY);
        if (opened < 0)
            return false;
        // The lower ones are open by now, so it is the number asked for; a dup2 makes sure.
        if (opened != fd) {
            const bool moved = ::dup2(opened, fd) == fd;
            ::close(opened);
            if (!moved)
                return false;
        }
    }
    return true;
}
