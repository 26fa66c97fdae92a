#include "common/file_io.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <optional>

#include "common/errors.h"
#include "common/huge_pages.h"

namespace tarvolen {
namespace {

class FileDescriptor {
 public:
  explicit FileDescriptor(int fd) : fd_(fd) {}
  ~FileDescriptor() {
    if (fd_ >= 0) ::close(fd_);
  }
  FileDescriptor(const FileDescriptor&) = delete;
  FileDescriptor& operator=(const FileDescriptor&) = delete;
  int get() const { return fd_; }
  int release() {
    const int fd = fd_;
    fd_ = -1;
    return fd;
  }

 private:
  int fd_;
};

[[noreturn]] void ThrowOpen(const std::string& path, int error) {
  throw EFOpenError("Cannot open file \"" + FullPath(path) + "\". " + std::strerror(error));
}

[[noreturn]] void ThrowCreate(const std::string& path, int error) {
  throw EFCreateError("Cannot create file \"" + FullPath(path) + "\". " + std::strerror(error));
}

// Reads up to the end of the file or up to the first `stop` byte, when there is one.
std::string ReadFile(const std::string& path, std::optional<char> stop) {
  // Without O_NONBLOCK, opening a named pipe waits until some program opens it for writing:
  // forever, when none does. Reads block as usual again afterwards.
  FileDescriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
  if (fd.get() < 0) ThrowOpen(path, errno);
  struct stat info {};
  if (::fstat(fd.get(), &info) != 0) ThrowOpen(path, errno);
  if (S_ISDIR(info.st_mode)) ThrowOpen(path, EISDIR);
  const int flags = ::fcntl(fd.get(), F_GETFL);
  if (flags < 0 || ::fcntl(fd.get(), F_SETFL, flags & ~O_NONBLOCK) != 0) ThrowOpen(path, errno);

  std::string bytes;
  if (S_ISREG(info.st_mode) && info.st_size > 0) {
    bytes.reserve(static_cast<std::size_t>(info.st_size));
    AdviseHugePages(bytes.data(), bytes.capacity());
  }
  char chunk[1 << 16];
  for (;;) {
    const ssize_t got = ::read(fd.get(), chunk, sizeof chunk);
    if (got < 0) {
      if (errno == EINTR) continue;
      ThrowOpen(path, errno);
    }
    if (got == 0) break;
    const auto count = static_cast<std::size_t>(got);
    if (stop) {
      if (const void* at = std::memchr(chunk, *stop, count)) {
        bytes.append(chunk, static_cast<std::size_t>(static_cast<const char*>(at) - chunk));
        break;
      }
    }
    bytes.append(chunk, count);
  }
  return bytes;
}

}  // namespace

std::string FullPath(const std::string& path) {
  std::error_code ec;
  const std::filesystem::path full = std::filesystem::absolute(path, ec);
  return ec ? path : full.lexically_normal().string();
}

std::string ReadWholeFile(const std::string& path) { return ReadFile(path, std::nullopt); }

std::string ReadFileUntil(const std::string& path, char stop) { return ReadFile(path, stop); }

void WriteWholeFile(const std::string& path, std::string_view bytes) {
  namespace fs = std::filesystem;
  std::error_code ec;
  // Write through a symbolic link to the file it names, as a plain overwrite would.
  fs::path target = fs::path(path);
  if (fs::is_symlink(target, ec)) {
    const fs::path resolved = fs::weakly_canonical(target, ec);
    if (!ec) target = resolved;
  }
  if (fs::is_directory(target, ec)) ThrowCreate(path, EISDIR);
  // A file the user may not write stays as it is, as a plain overwrite would leave it, although
  // renaming over it would succeed in a writable folder.
  if (::access(target.c_str(), F_OK) == 0 && ::access(target.c_str(), W_OK) != 0) {
    ThrowCreate(path, errno);
  }

  fs::path folder = target.parent_path();
  if (folder.empty()) folder = ".";
  std::string temp_name = (folder / ("." + target.filename().string() + ".XXXXXX")).string();
  FileDescriptor fd(::mkstemp(temp_name.data()));
  if (fd.get() < 0) ThrowCreate(path, errno);

  // The new file gets the permissions the old one had, or those of a freshly created file.
  struct stat old_info {};
  mode_t mode;
  if (::stat(target.c_str(), &old_info) == 0) {
    mode = old_info.st_mode & 07777;
  } else {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    mode = 0666 & ~mask;
  }
  ::fchmod(fd.get(), mode);

  bool written = true;
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t put = ::write(fd.get(), bytes.data() + done, bytes.size() - done);
    if (put < 0 && errno == EINTR) continue;
    if (put <= 0) {
      written = false;
      break;
    }
    done += static_cast<std::size_t>(put);
  }
  if (written && ::fsync(fd.get()) != 0) written = false;
  if (::close(fd.release()) != 0) written = false;
  if (!written) {
    ::unlink(temp_name.c_str());
    throw EWriteError();
  }
  if (::rename(temp_name.c_str(), target.c_str()) != 0) {
    const int error = errno;
    ::unlink(temp_name.c_str());
    ThrowCreate(path, error);
  }
}

}  // namespace tarvolen
