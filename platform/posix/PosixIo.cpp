#include "platform/posix/PosixIo.h"

#include <errno.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstring>

namespace posix {

AnsiString Reason(int error) { return AnsiString(std::strerror(error)) + " (" + IntToStr(error) + ")"; }

int WaitFor(int fd, short events, const TDeadline& deadline) {
    pollfd p{fd, events, 0};
    for (;;) {
        int r = ::poll(&p, 1, deadline.LeftMs());
        if (r < 0 && errno == EINTR) continue;
        if (r < 0) return -1;
        if (r > 0 && (p.revents & POLLNVAL)) {
            errno = EBADF;
            return -1;
        }
        return r == 0 ? 0 : p.revents;
    }
}

int WriteAll(int fd, const char* data, int count, const TDeadline& deadline, bool socket) {
    int done = 0;
    while (done < count) {
        size_t left = static_cast<size_t>(count - done);
        ssize_t n =
            socket ? ::send(fd, data + done, left, MSG_NOSIGNAL | MSG_DONTWAIT) : ::write(fd, data + done, left);
        if (n > 0) {
            done += static_cast<int>(n);
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK) return -1;
        int ev = WaitFor(fd, POLLOUT, deadline);
        if (ev < 0) return -1;
        if (ev == 0) break;
        if (!(ev & POLLOUT)) {
            // An error instead of room: a socket tells which one.
            int error = EIO;
            socklen_t size = sizeof error;
            if (socket && (::getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &size) != 0 || error == 0)) error = EPIPE;
            errno = error;
            return -1;
        }
    }
    return done;
}

}  // namespace posix
