#include <errno.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <time.h>
#include <unistd.h>

#include <cctype>
#include <cstdio>
#include <cstdlib>

#include "platform/DateTools.h"
#include "platform/Os.h"

namespace {

TFileFault FaultOf(int error) {
    switch (error) {
        case ENOSPC:
#ifdef EDQUOT
        case EDQUOT:
#endif
            return ffDiskFull;
        case EACCES:
        case EPERM: return ffNoPermission;
        case EROFS: return ffReadOnly;
        default: return ffOther;
    }
}

class TPosixOs : public TOs {
public:
    bool FileExists(const AnsiString& path) override {
        struct stat info;
        return !path.empty() && stat(NativePath(path).c_str(), &info) == 0 && S_ISREG(info.st_mode);
    }

    bool DirectoryExists(const AnsiString& path) override {
        struct stat info;
        return !path.empty() && stat(NativePath(path).c_str(), &info) == 0 && S_ISDIR(info.st_mode);
    }

    bool ForceDirectories(const AnsiString& path) override {
        AnsiString native = NativePath(path);
        while (native.size() > 1 && native.back() == '/') native.pop_back();
        if (native.empty()) return false;
        // Every level from the top; a level that exists already is no failure.
        for (size_t i = 1; i <= native.size(); ++i) {
            if (i == native.size() || native[i] == '/') {
                if (native[i - 1] == '/') continue;
                AnsiString level = native.substr(0, i);
                if (mkdir(level.c_str(), 0777) != 0 && errno != EEXIST && !DirectoryExists(level)) return false;
            }
        }
        return DirectoryExists(native);
    }

    bool DeleteFile(const AnsiString& path) override { return !path.empty() && unlink(NativePath(path).c_str()) == 0; }

    bool CreateNewFile(const AnsiString& path, const AnsiString& bytes) override {
        FFault = ffOther;
        if (path.empty()) return false;
        AnsiString native = NativePath(path);
        int fd = open(native.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0) {
            FFault = FaultOf(errno);
            return false;
        }
        size_t done = 0;
        int error = 0;
        while (done < bytes.size()) {
            ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) {
                error = n < 0 ? errno : ENOSPC;
                break;
            }
            done += static_cast<size_t>(n);
        }
        if (close(fd) != 0 && error == 0) error = errno;
        if (error != 0) {
            unlink(native.c_str());  // a half-written file is no use to anyone
            FFault = FaultOf(error);
            return false;
        }
        FFault = ffNone;
        return true;
    }

    TFileFault LastFileFault() override { return FFault; }

    AnsiString ShortPathName(const AnsiString& path) override { return path; }

    AnsiString RegistryString(const AnsiString& key, const AnsiString& value) override { return AnsiString(); }

    int MessageBox(const AnsiString& text, const AnsiString& caption, int flags) override {
        std::fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
        std::fflush(stderr);
        return 1;
    }

private:
    TFileFault FFault = ffNone;
};

class TPosixClock : public TClock {
public:
    void Sleep(unsigned milliseconds) override {
        struct timespec wait;
        wait.tv_sec = static_cast<time_t>(milliseconds / 1000);
        wait.tv_nsec = static_cast<long>(milliseconds % 1000) * 1000000L;
        while (nanosleep(&wait, &wait) != 0 && errno == EINTR) {
        }
    }

    uint32_t GetTickCount() override {
        struct timespec now;
        clock_gettime(CLOCK_MONOTONIC, &now);
        unsigned long long ms = static_cast<unsigned long long>(now.tv_sec) * 1000ULL +
                                static_cast<unsigned long long>(now.tv_nsec / 1000000L);
        return static_cast<uint32_t>(ms);
    }

    double Now() override {
        struct timespec now;
        clock_gettime(CLOCK_REALTIME, &now);
        time_t seconds = now.tv_sec;
        struct tm local;
        if (localtime_r(&seconds, &local) == nullptr) return 0;
        int second = local.tm_sec > 59 ? 59 : local.tm_sec;  // a leap second
        return TdtTools::Encode(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min,
                                second, static_cast<int>(now.tv_nsec / 1000000L));
    }
};

}  // namespace

AnsiString SystemFolder(const AnsiString& path) {
    const bool driveLetter = path.size() >= 2 && std::isalpha(static_cast<unsigned char>(path[0])) && path[1] == ':' &&
                             (path.size() == 2 || IsPathDelimiter(path[2]));
    if (!driveLetter) return path;
    AnsiString base;
    if (const char* data = std::getenv("XDG_DATA_HOME"); data && *data == '/')
        base = data;
    else if (const char* home = std::getenv("HOME"); home && *home == '/')
        base = AnsiString(home) + "/.local/share";
    if (base.empty()) return "";
    AnsiString rest = path.substr(2);
    while (!rest.empty() && IsPathDelimiter(rest[0])) rest.erase(0, 1);
    AnsiString folder = base + "/velkora/" + static_cast<char>(std::tolower(static_cast<unsigned char>(path[0])));
    return rest.empty() ? folder : NativePath(folder + "/" + rest);
}

TOs& SystemOs() {
    static TPosixOs os;
    return os;
}

TClock& SystemClock() {
    static TPosixClock clock;
    return clock;
}
