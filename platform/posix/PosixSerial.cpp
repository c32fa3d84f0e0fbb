// The serial line on POSIX systems: termios, raw 8-bit, with the Windows read and write
// time-outs reproduced on top of poll().
#include <errno.h>
#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <climits>
#include <cstring>

#include "platform/Exceptions.h"
#include "platform/SerialPort.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr unsigned kMaxDword = 0xFFFFFFFFu;

AnsiString SystemError(const AnsiString& what, int err) {
    return what + ": " + std::strerror(err) + " (" + IntToStr(err) + ")";
}

speed_t SpeedOf(TMBaudRate rate) {
    switch (rate) {
    case br___110: return B110;
    case br___300: return B300;
    case br___600: return B600;
    case br__1200: return B1200;
    case br__2400: return B2400;
    case br__4800: return B4800;
    case br__9600: return B9600;
    case br_14400: return B19200;  // no 14400 in termios; nearest standard rate above
    case br_19200: return B19200;
    case br_38400: return B38400;
    case br_56000: return B57600;
    case br_57600: return B57600;
    case br115200: return B115200;
#ifdef B230400
    case br128000: return B230400;
    case br256000: return B230400;
#else
    case br128000: return B115200;
    case br256000: return B115200;
#endif
    }
    return B9600;
}

// "COM1".."COM9" are the first nine serial devices; anything else is a device path.
AnsiString DevicePath(const AnsiString& name) {
    if (name.size() == 4 && SameText(name.substr(0, 3), "COM") && name[3] >= '1' && name[3] <= '9')
        return "/dev/ttyS" + AnsiString(1, static_cast<char>(name[3] - 1));
    return name;
}

long long MillisUntil(Clock::time_point deadline) {
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    if (left < 0)
        return 0;
    return left;
}

class TPosixSerialDevice : public TSerialDevice {
public:
    explicit TPosixSerialDevice(AnsiString portName) : FName(std::move(portName)) {}
    ~TPosixSerialDevice() override { Close(); }

    void Open(const TSerialSettings& settings) override {
        Close();
        AnsiString path = DevicePath(settings.portName);
        if (path.empty())
            throw Exception("Cannot open serial port: no port name");
        int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0)
            throw Exception(SystemError("Cannot open serial port " + settings.portName, errno));
        termios tio{};
        if (::tcgetattr(fd, &tio) != 0) {
            int err = errno;
            ::close(fd);
            throw Exception(SystemError("Cannot configure serial port " + settings.portName, err));
        }
        ::cfmakeraw(&tio);
        tio.c_cflag |= CLOCAL | CREAD;
        tio.c_cflag &= ~static_cast<tcflag_t>(CSIZE | PARENB | PARODD | CSTOPB);
#ifdef CMSPAR
        tio.c_cflag &= ~static_cast<tcflag_t>(CMSPAR);
#endif
#ifdef CRTSCTS
        tio.c_cflag &= ~static_cast<tcflag_t>(CRTSCTS);
#endif
        switch (settings.byteSize) {
        case bs5: tio.c_cflag |= CS5; break;
        case bs6: tio.c_cflag |= CS6; break;
        case bs7: tio.c_cflag |= CS7; break;
        default: tio.c_cflag |= CS8; break;
        }
        if (settings.stopBits != sb1_0)
            tio.c_cflag |= CSTOPB;
        switch (settings.parity) {
        case parOdd: tio.c_cflag |= PARENB | PARODD; break;
        case parEven: tio.c_cflag |= PARENB; break;
#ifdef CMSPAR
        case parMark: tio.c_cflag |= PARENB | PARODD | CMSPAR; break;
        case parSpace: tio.c_cflag |= PARENB | CMSPAR; break;
#endif
        default: break;
        }
        tio.c_iflag &= ~static_cast<tcflag_t>(IXON | IXOFF | IXANY);
        tio.c_cc[VMIN] = 0;
        tio.c_cc[VTIME] = 0;
        speed_t speed = SpeedOf(settings.baudRate);
        ::cfsetispeed(&tio, speed);
        ::cfsetospeed(&tio, speed);
        if (::tcsetattr(fd, TCSANOW, &tio) != 0) {
            int err = errno;
            ::close(fd);
            throw Exception(SystemError("Cannot configure serial port " + settings.portName, err));
        }
        ::tcflush(fd, TCIOFLUSH);
        FFd = fd;
        FTimeouts = settings.timeouts;
    }

    void Close() override {
        if (FFd >= 0) {
            ::close(FFd);
            FFd = -1;
        }
    }

    void SetTimeouts(const TSerialTimeouts& timeouts) override { FTimeouts = timeouts; }

    int Write(const char* data, int count, bool wait) override {
        CheckOpen();
        if (count <= 0)
            return 0;
        unsigned long long total = static_cast<unsigned long long>(FTimeouts.writeTotalMultiplier) * count +
                                   FTimeouts.writeTotalConstant;
        bool limited = total > 0;
        Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(limited ? total : 0);
        int done = 0;
        while (done < count) {
            ssize_t n = ::write(FFd, data + done, static_cast<size_t>(count - done));
            if (n > 0) {
                done += static_cast<int>(n);
                continue;
            }
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK)
                throw Exception(SystemError("Serial port write error", errno));
            int waitMs = -1;
            if (limited) {
                long long left = MillisUntil(deadline);
                if (left <= 0)
                    break;
                waitMs = left > INT_MAX ? INT_MAX : static_cast<int>(left);
            }
            pollfd p{FFd, POLLOUT, 0};
            int r = ::poll(&p, 1, waitMs);
            if (r < 0 && errno != EINTR)
                throw Exception(SystemError("Serial port write error", errno));
            if (r > 0 && (p.revents & (POLLERR | POLLNVAL)))
                throw Exception("Serial port write error");
        }
        return done;
    }

    // The read time-outs of Windows:
    // - interval MAXDWORD with both totals 0: return at once with what is waiting;
    // - interval MAXDWORD with multiplier MAXDWORD and 0 < constant < MAXDWORD: return at once
    //   when something waits, else return with the first byte or after the constant;
    // - otherwise total = multiplier * count + constant (0 means none), and once a byte came,
    //   interval (0 means none) limits the pause before the next one.
    int Read(char* buffer, int count) override {
        CheckOpen();
        if (count <= 0)
            return 0;
        const TSerialTimeouts t = FTimeouts;
        bool immediate = t.readInterval == kMaxDword && t.readTotalMultiplier == 0 && t.readTotalConstant == 0;
        bool firstByte = t.readInterval == kMaxDword && t.readTotalMultiplier == kMaxDword &&
                         t.readTotalConstant > 0 && t.readTotalConstant < kMaxDword;
        unsigned long long total = 0;
        bool totalLimited = false;
        bool intervalLimited = false;
        if (firstByte) {
            total = t.readTotalConstant;
            totalLimited = true;
        } else if (!immediate) {
            total = static_cast<unsigned long long>(t.readTotalMultiplier) * count + t.readTotalConstant;
            totalLimited = total > 0;
            intervalLimited = t.readInterval > 0 && t.readInterval != kMaxDword;
        }
        const Clock::time_point start = Clock::now();
        const Clock::time_point deadline = start + std::chrono::milliseconds(total);
        Clock::time_point lastByte = start;
        int got = 0;
        while (got < count) {
            ssize_t n = ::read(FFd, buffer + got, static_cast<size_t>(count - got));
            if (n > 0) {
                got += static_cast<int>(n);
                lastByte = Clock::now();
                if (firstByte)
                    break;
                continue;
            }
            if (n < 0 && errno == EINTR)
                continue;
            // With VMIN and VTIME 0 a tty answers 0 when nothing waits; an error other than
            // EAGAIN (EIO on a pseudo-terminal whose master closed) means the line is gone.
            bool hungUp = n < 0 && errno != EAGAIN && errno != EWOULDBLOCK;
            if (immediate || (firstByte && got > 0))
                break;
            long long waitMs = -1;
            if (totalLimited)
                waitMs = MillisUntil(deadline);
            if (intervalLimited && got > 0) {
                long long left = MillisUntil(lastByte + std::chrono::milliseconds(t.readInterval));
                if (waitMs < 0 || left < waitMs)
                    waitMs = left;
            }
            if (waitMs == 0)
                break;
            if (hungUp) {
                // The other end is gone (a pseudo-terminal whose master closed, a device
                // that went away): nothing more can arrive. Wait out the time-out in small
                // steps so callers see the same timing as a silent line.
                if (waitMs < 0)
                    waitMs = 100;
                ::usleep(static_cast<useconds_t>((waitMs > 20 ? 20 : waitMs) * 1000));
                continue;
            }
            pollfd p{FFd, POLLIN, 0};
            int r = ::poll(&p, 1, waitMs > INT_MAX ? INT_MAX : static_cast<int>(waitMs));
            if (r < 0 && errno != EINTR)
                throw Exception(SystemError("Serial port read error", errno));
            if (r > 0 && (p.revents & POLLNVAL))
                throw Exception("Serial port read error");
            if (r > 0 && !(p.revents & POLLIN) && (p.revents & (POLLHUP | POLLERR))) {
                long long step = waitMs < 0 ? 20 : (waitMs > 20 ? 20 : waitMs);
                ::usleep(static_cast<useconds_t>(step * 1000));
            }
        }
        return got;
    }

    int InCount() override {
        CheckOpen();
        int n = 0;
        if (::ioctl(FFd, FIONREAD, &n) != 0)
            return 0;
        return n;
    }

    void PurgeInput() override {
        CheckOpen();
        ::tcflush(FFd, TCIFLUSH);
    }

    // Modem lines: a pseudo-terminal has none, so failures are ignored.
    void SetDTR(bool high) override { SetLine(TIOCM_DTR, high); }
    void SetRTS(bool high) override { SetLine(TIOCM_RTS, high); }

    bool DCD() override {
        CheckOpen();
        int bits = 0;
        if (::ioctl(FFd, TIOCMGET, &bits) != 0)
            return false;
        return (bits & TIOCM_CAR) != 0;
    }

private:
    void CheckOpen() const {
        if (FFd < 0)
            throw Exception("Serial port " + FName + " is not open");
    }

    void SetLine(int bit, bool high) {
        CheckOpen();
        ::ioctl(FFd, high ? TIOCMBIS : TIOCMBIC, &bit);
    }

    AnsiString FName;
    int FFd = -1;
    TSerialTimeouts FTimeouts;
};

}  // namespace

std::unique_ptr<TSerialDevice> CreateSystemSerialDevice(const AnsiString& portName) {
    return std::make_unique<TPosixSerialDevice>(portName);
}
