// The serial line on POSIX systems: termios, raw 8-bit, with the Windows read and write
// time-outs reproduced on top of poll().
#include <errno.h>
#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <thread>

#include "platform/LineError.h"
#include "platform/SerialPort.h"
#include "platform/posix/PosixIo.h"

namespace {

constexpr unsigned kMaxDword = 0xFFFFFFFFu;

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

class TPosixSerialDevice : public TSerialDevice {
public:
    explicit TPosixSerialDevice(AnsiString portName) : FName(std::move(portName)) {}
    ~TPosixSerialDevice() override { Close(); }

    void Open(const TSerialSettings& settings) override {
        Close();
        AnsiString path = DevicePath(settings.portName);
        if (path.empty()) throw ELineError(lfPortOpen, "", "");
        int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0) Fail(lfPortOpen, errno);
        termios tio{};
        if (::tcgetattr(fd, &tio) != 0) {
            int err = errno;
            ::close(fd);
            Fail(lfPortSetup, err);
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
        if (settings.stopBits != sb1_0) tio.c_cflag |= CSTOPB;
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
            Fail(lfPortSetup, err);
        }
        ::tcflush(fd, TCIOFLUSH);
        FFd = fd;
        FTimeouts = settings.timeouts;
    }

    void Close() override {
        FInPos = FInLen = 0;
        if (FFd >= 0) {
            ::close(FFd);
            FFd = -1;
        }
    }

    void SetTimeouts(const TSerialTimeouts& timeouts) override { FTimeouts = timeouts; }

    int Write(const char* data, int count, bool wait) override {
        CheckOpen();
        if (count <= 0) return 0;
        unsigned long long total =
            static_cast<unsigned long long>(FTimeouts.writeTotalMultiplier) * count + FTimeouts.writeTotalConstant;
        int done = posix::WriteAll(FFd, data, count, total > 0 ? TDeadline(total) : TDeadline::Never(), false);
        if (done < 0) Fail(lfPortWrite, errno);
        FAnswerDue = true;
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
        if (count <= 0) return 0;
        // Bytes already taken from the line answer at once: no time-out can run out on them.
        if (FInLen - FInPos >= static_cast<size_t>(count)) {
            std::memcpy(buffer, FIn + FInPos, static_cast<size_t>(count));
            FInPos += static_cast<size_t>(count);
            return count;
        }
        const TSerialTimeouts t = FTimeouts;
        bool immediate = t.readInterval == kMaxDword && t.readTotalMultiplier == 0 && t.readTotalConstant == 0;
        bool firstByte = t.readInterval == kMaxDword && t.readTotalMultiplier == kMaxDword && t.readTotalConstant > 0 &&
                         t.readTotalConstant < kMaxDword;
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
        const TDeadline whole = totalLimited ? TDeadline(total) : TDeadline::Never();
        TDeadline gap = TDeadline::Never();
        int got = 0;
        while (got < count) {
            // Bytes taken from the line before come first; the line gives all it holds at once.
            if (FInPos < FInLen) {
                const size_t n = std::min(static_cast<size_t>(count - got), FInLen - FInPos);
                std::memcpy(buffer + got, FIn + FInPos, n);
                FInPos += n;
                got += static_cast<int>(n);
                if (intervalLimited) gap = TDeadline(t.readInterval);
                if (firstByte) break;
                continue;
            }
            // The answer to bytes just sent is hardly ever there yet: the wait comes first.
            if (FAnswerDue && !immediate) {
                FAnswerDue = false;
                if (posix::WaitFor(FFd, POLLIN, Sooner(whole, gap)) < 0) Fail(lfPortRead, errno);
            }
            ssize_t n = ::read(FFd, FIn, sizeof FIn);
            if (n > 0) {
                FInPos = 0;
                FInLen = static_cast<size_t>(n);
                continue;
            }
            if (n < 0 && errno == EINTR) continue;
            // With VMIN and VTIME 0 a tty answers 0 when nothing waits; an error other than
            // EAGAIN (EIO on a pseudo-terminal whose master closed) means the line is gone.
            bool hungUp = n < 0 && errno != EAGAIN && errno != EWOULDBLOCK;
            const TDeadline& until = Sooner(whole, gap);
            if (immediate || (firstByte && got > 0) || until.Passed()) break;
            if (!hungUp) {
                int ev = posix::WaitFor(FFd, POLLIN, until);
                if (ev < 0) Fail(lfPortRead, errno);
                if (ev == 0 || (ev & POLLIN)) continue;
            }
            // The other end is gone (a pseudo-terminal whose master closed, a device that went
            // away): nothing more can arrive. Wait out the time-out in small steps so callers
            // see the same timing as a silent line.
            int step = until.IsNever() ? 20 : std::min(until.LeftMs(), 20);
            std::this_thread::sleep_for(std::chrono::milliseconds(step));
        }
        return got;
    }

    int InCount() override {
        CheckOpen();
        int n = 0;
        if (::ioctl(FFd, FIONREAD, &n) != 0) n = 0;
        return n + static_cast<int>(FInLen - FInPos);
    }

    void PurgeInput() override {
        CheckOpen();
        FInPos = FInLen = 0;
        ::tcflush(FFd, TCIFLUSH);
    }

    // Modem lines: a pseudo-terminal has none, so failures are ignored.
    void SetDTR(bool high) override { SetLine(TIOCM_DTR, high); }
    void SetRTS(bool high) override { SetLine(TIOCM_RTS, high); }

    bool DCD() override {
        CheckOpen();
        int bits = 0;
        if (::ioctl(FFd, TIOCMGET, &bits) != 0) return false;
        return (bits & TIOCM_CAR) != 0;
    }

private:
    void CheckOpen() const {
        if (FFd < 0) throw ELineError(lfNotOpen, FName, "");
    }

    [[noreturn]] void Fail(TLineFault fault, int error) const { throw ELineError(fault, FName, posix::Reason(error)); }

    void SetLine(int bit, bool high) {
        CheckOpen();
        ::ioctl(FFd, high ? TIOCMBIS : TIOCMBIC, &bit);
    }

    AnsiString FName;
    int FFd = -1;
    TSerialTimeouts FTimeouts;
    // Received bytes not yet read: FInPos .. FInLen.
    char FIn[4096];
    size_t FInPos = 0;
    size_t FInLen = 0;
    bool FAnswerDue = false;  // bytes were written since the last read from the line
};

}  // namespace

std::unique_ptr<TSerialDevice> CreateSystemSerialDevice(const AnsiString& portName) {
    return std::make_unique<TPosixSerialDevice>(portName);
}
