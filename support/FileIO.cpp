#include "support/FileIO.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstring>
#include <filesystem>

#include "support/ByteBuffer.h"
#include "support/Exceptions.h"

namespace klv {

namespace {

std::string FileMessage(const std::string& path, int error, const char* ending) {
    return "ファイル \"" + FullPathName(path) + "\". " + std::strerror(error) + ending;
}

[[noreturn]] void ThrowOpenError(const std::string& path, int error) {
    throw EFOpenError(FileMessage(path, error, " は開けません"));
}

[[noreturn]] void ThrowCreateError(const std::string& path, int error) {
    throw EFCreateError(FileMessage(path, error, " を作成できません"));
}

class FileDescriptor {
public:
    explicit FileDescriptor(int fd) : fd_(fd) {}
    ~FileDescriptor() {
        if (fd_ >= 0) ::close(fd_);
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    int get() const { return fd_; }
    // Closes now and returns the error close reports (0 on success): on some file systems a
    // failed write shows only here.
    int close() {
        int rc = ::close(fd_);
        fd_ = -1;
        return rc == 0 ? 0 : errno;
    }

private:
    int fd_;
};

// Advisory locks keep two instances from reading a file while one writes it. A file system
// without locks is used unlocked.
int Lock(int fd, int operation) {
    if (::flock(fd, operation | LOCK_NB) == 0) return 0;
    return errno == EWOULDBLOCK ? errno : 0;
}

}  // namespace

std::string FullPathName(const std::string& path) {
    std::error_code ec;
    std::filesystem::path full = std::filesystem::absolute(path, ec);
    return ec ? path : full.lexically_normal().string();
}

std::string ReadWholeFile(const std::string& path) {
    FileDescriptor file(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (file.get() < 0) ThrowOpenError(path, errno);
    struct stat info {};
    if (::fstat(file.get(), &info) != 0) ThrowOpenError(path, errno);
    if (S_ISDIR(info.st_mode)) ThrowOpenError(path, EISDIR);
    if (int error = Lock(file.get(), LOCK_SH)) ThrowOpenError(path, error);

    std::string bytes;
    // The size is a hint only: the file may change while it is read, and devices report 0.
    ReserveBytes(bytes, S_ISREG(info.st_mode) ? static_cast<std::size_t>(info.st_size) + 1 : 65536);
    // Reads go through a small block that is appended, so the buffer is written once: sizing it
    // first would write every byte twice, zeros and then the data.
    std::array<char, 64 * 1024> block;
    for (;;) {
        ssize_t n = ::read(file.get(), block.data(), block.size());
        if (n < 0 && errno == EINTR) continue;
        if (n < 0)
            throw EReadError("ファイル \"" + FullPathName(path) + "\". " + std::strerror(errno) +
                             " は読み込めません");
        if (n == 0) break;
        bytes.append(block.data(), static_cast<std::size_t>(n));
    }
    return bytes;
}

void WriteWholeFile(const std::string& path, std::string_view bytes) {
    // Truncated only once it is locked, so a file held by another instance stays intact.
    FileDescriptor file(::open(path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0666));
    if (file.get() < 0) ThrowCreateError(path, errno);
    if (int error = Lock(file.get(), LOCK_EX)) ThrowCreateError(path, error);
    struct stat info {};
    if (::fstat(file.get(), &info) != 0) ThrowCreateError(path, errno);
    if (S_ISREG(info.st_mode) && ::ftruncate(file.get(), 0) != 0) ThrowCreateError(path, errno);

    std::size_t written = 0;
    while (written < bytes.size()) {
        ssize_t n = ::write(file.get(), bytes.data() + written, bytes.size() - written);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) ThrowCreateError(path, errno);
        written += static_cast<std::size_t>(n);
    }
    if (int error = file.close()) ThrowCreateError(path, error);
}

}  // namespace klv
