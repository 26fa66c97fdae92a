#include "common/file_io.h"

#include <fcntl.h>
#include <limits.h>
#include <poll.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <charconv>
#include <cstring>
#include <filesystem>
#include <optional>

#include "common/errors.h"
#include "common/huge_pages.h"
#include "common/pending_files.h"

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

// `shown` is the name as the message shows it: a full path, or "standard input".
[[noreturn]] void ThrowOpenShown(const std::string& shown, int error) {
  throw EFOpenError("Cannot open file \"" + shown + "\". " + std::strerror(error));
}

[[noreturn]] void ThrowOpen(const std::string& path, int error) {
  ThrowOpenShown(FullPath(path), error);
}

[[noreturn]] void ThrowCreate(const std::string& path, int error) {
  throw EFCreateError("Cannot create file \"" + FullPath(path) + "\". " + std::strerror(error));
}

constexpr std::size_t kFirstBlock = std::size_t{1} << 20;

// Reads `fd` up to its end or up to the first `stop` byte, when there is one. `claimed` is the
// size a regular file claims, 0 for any other. An observed `progress` hears of each block and
// may stop the read between blocks, or while it waits for one.
std::string ReadDescriptor(int fd, const std::string& shown, std::size_t claimed,
                           std::optional<char> stop, const Progress& progress = {}) {
  // The size a regular file claims only caps the growth: a sparse file claims terabytes it
  // never delivers (and reading stops at the first `stop` byte anyway). Memory follows the bytes
  // read, doubling, so an honest file still ends in one block of its exact size.
  std::string bytes;
  char chunk[1 << 16];
  constexpr int kStopCheckMs = 100;
  for (;;) {
    if (progress.Observed()) {
      progress.CheckStop();
      // Waits for bytes a while at a time, so that a stop is heard while none come.
      pollfd wait{fd, POLLIN, 0};
      const int ready = ::poll(&wait, 1, kStopCheckMs);
      if (ready == 0 || (ready < 0 && errno == EINTR)) continue;
    }
    const ssize_t got = ::read(fd, chunk, sizeof chunk);
    if (got < 0) {
      if (errno == EINTR) continue;
      if (errno == EAGAIN || errno == EWOULDBLOCK) {  // a descriptor handed over non-blocking
        pollfd wait{fd, POLLIN, 0};
        if (::poll(&wait, 1, -1) >= 0 || errno == EINTR) continue;
      }
      ThrowOpenShown(shown, errno);
    }
    if (got == 0) break;
    const auto count = static_cast<std::size_t>(got);
    const std::size_t need = bytes.size() + count;
    if (need > bytes.capacity()) {
      const std::size_t doubled = std::max({2 * bytes.capacity(), need, kFirstBlock});
      ReserveOnHugePages(bytes, claimed >= need ? std::min(doubled, claimed) : doubled);
    }
    if (stop) {
      if (const void* at = std::memchr(chunk, *stop, count)) {
        bytes.append(chunk, static_cast<std::size_t>(static_cast<const char*>(at) - chunk));
        break;
      }
    }
    bytes.append(chunk, count);
    if (claimed != 0) progress.Report(std::min(bytes.size(), claimed), claimed);
  }
  return bytes;
}

std::size_t ClaimedSize(const struct stat& info) {
  return S_ISREG(info.st_mode) && info.st_size > 0 ? static_cast<std::size_t>(info.st_size) : 0;
}

// Reads up to the end of the file or up to the first `stop` byte, when there is one.
std::string ReadFile(const std::string& path, std::optional<char> stop,
                     const Progress& progress = {}) {
  // Without O_NONBLOCK, opening a named pipe waits until some program opens it for writing:
  // forever, when none does. Reads block as usual again afterwards.
  FileDescriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
  if (fd.get() < 0) ThrowOpen(path, errno);
  struct stat info {};
  if (::fstat(fd.get(), &info) != 0) ThrowOpen(path, errno);
  if (S_ISDIR(info.st_mode)) ThrowOpen(path, EISDIR);
  const int flags = ::fcntl(fd.get(), F_GETFL);
  if (flags < 0 || ::fcntl(fd.get(), F_SETFL, flags & ~O_NONBLOCK) != 0) ThrowOpen(path, errno);
  return ReadDescriptor(fd.get(), FullPath(path), ClaimedSize(info), stop, progress);
}

}  // namespace

std::string FullPath(const std::string& path) {
  std::error_code ec;
  const std::filesystem::path full = std::filesystem::absolute(path, ec);
  return ec ? path : full.lexically_normal().string();
}

std::string ReadWholeFile(const std::string& path) { return ReadFile(path, std::nullopt); }

bool HasExtension(std::string_view file_name, std::string_view extension) {
  if (file_name.size() < extension.size()) return false;
  const std::string_view tail = file_name.substr(file_name.size() - extension.size());
  return std::equal(tail.begin(), tail.end(), extension.begin(), [](char a, char b) {
    return (a >= 'A' && a <= 'Z' ? static_cast<char>(a - 'A' + 'a') : a) == b;
  });
}

std::string ReadFileUntil(const std::string& path, char stop, const Progress& progress) {
  return ReadFile(path, stop, progress);
}

std::string ReadStandardInputUntil(char stop) {
  const std::string shown = "standard input";
  struct stat info {};
  if (::fstat(STDIN_FILENO, &info) != 0) ThrowOpenShown(shown, errno);
  if (S_ISDIR(info.st_mode)) ThrowOpenShown(shown, EISDIR);
  return ReadDescriptor(STDIN_FILENO, shown, ClaimedSize(info), stop);
}

namespace {

namespace fs = std::filesystem;

// ----- Finding where a write lands -----

constexpr int kMaxLinks = 40;  // as many links as the system itself follows in one name

// The descriptor a name stands for when it names one of the program's own open descriptors
// (/dev/stdout, /dev/fd/N, /proc/self/fd/N, ...); -1 for any other name.
int OwnDescriptorNamed(const fs::path& path) {
  std::error_code ec;
  const std::string name = fs::absolute(path, ec).lexically_normal().string();
  if (ec) return -1;
  if (name == "/dev/stdin") return 0;
  if (name == "/dev/stdout") return 1;
  if (name == "/dev/stderr") return 2;
  const std::string folders[] = {"/dev/fd/", "/proc/self/fd/", "/proc/thread-self/fd/",
                                 "/proc/" + std::to_string(::getpid()) + "/fd/"};
  for (const std::string& folder : folders) {
    if (!name.starts_with(folder)) continue;
    const char* first = name.data() + folder.size();
    const char* last = name.data() + name.size();
    int descriptor = -1;
    const auto [end, error] = std::from_chars(first, last, descriptor);
    if (first != last && *first != '+' && *first != '-' && error == std::errc() && end == last) {
      return descriptor;
    }
  }
  return -1;
}

// Another process's descriptor: a link into the system's process table that opens the
// descriptor's file (a pipe, a socket) rather than a file of that name.
bool ForeignDescriptorNamed(const fs::path& path) {
  std::error_code ec;
  const fs::path name = fs::absolute(path, ec).lexically_normal();
  auto part = name.begin();
  const fs::path parts[] = {"/", "proc", "", "fd"};
  for (const fs::path& expected : parts) {
    if (part == name.end() || (!expected.empty() && *part != expected)) return false;
    ++part;
  }
  return part != name.end() && std::next(part) == name.end();
}

// ----- Writing -----

// Writes all of `bytes` to `fd`, waiting on a descriptor opened without blocking. False when
// fewer bytes were stored.
bool WriteAll(int fd, std::string_view bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t put = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (put < 0 && errno == EINTR) continue;
    if (put < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
      pollfd wait{fd, POLLOUT, 0};
      if (::poll(&wait, 1, -1) < 0 && errno != EINTR) return false;
      continue;
    }
    if (put <= 0) return false;
    done += static_cast<std::size_t>(put);
  }
  return true;
}

// A temporary name beside `name` in `folder`: ".<name>.XXXXXX", the name shortened so that the
// whole stays within the folder's name limit.
std::string TemporaryName(const fs::path& folder, const std::string& name) {
  constexpr char kLetters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
  constexpr std::size_t kSuffix = 6;
  long limit = ::pathconf(folder.c_str(), _PC_NAME_MAX);
  if (limit <= 0 || limit > 4096) limit = NAME_MAX;
  const std::size_t kept = std::min(name.size(), static_cast<std::size_t>(limit) - kSuffix - 2);
  unsigned char random[kSuffix] = {};
  if (::getrandom(random, sizeof random, GRND_NONBLOCK) != static_cast<ssize_t>(sizeof random)) {
    static std::atomic<unsigned> counter{0};
    timespec now{};
    ::clock_gettime(CLOCK_MONOTONIC, &now);
    unsigned long long mix = static_cast<unsigned long long>(now.tv_nsec) * 2654435761u ^
                             (static_cast<unsigned long long>(::getpid()) << 20) ^ counter++;
    for (unsigned char& r : random) {
      r = static_cast<unsigned char>(mix);
      mix = mix * 6364136223846793005ull + 1442695040888963407ull;
      r ^= static_cast<unsigned char>(mix >> 56);
    }
  }
  std::string temporary(1, '.');
  temporary.append(name, 0, kept).append(1, '.');
  for (const unsigned char r : random) temporary += kLetters[r % (sizeof kLetters - 1)];
  return temporary;
}

// Gives the unnamed file `fd` the name `name` in `folder`. 0 or the error.
int LinkUnnamed(int fd, int folder, const std::string& name) {
  // The direct way needs a privilege; the process table's link to the descriptor does not.
  if (::linkat(fd, "", folder, name.c_str(), AT_EMPTY_PATH) == 0) return 0;
  if (errno == EEXIST) return EEXIST;
  const std::string self = "/proc/self/fd/" + std::to_string(fd);
  if (::linkat(AT_FDCWD, self.c_str(), folder, name.c_str(), AT_SYMLINK_FOLLOW) == 0) return 0;
  return errno;
}

// The replaced file's owner, group and permissions for the new one: owner and group where the
// writer may give them (the group alone when the owner cannot be kept), the permissions without
// the set-user-ID and set-group-ID bits, which marked the old content and not this one.
void KeepAttributes(int fd, const struct stat& old) {
  struct stat now {};
  if (::fstat(fd, &now) == 0 && (now.st_uid != old.st_uid || now.st_gid != old.st_gid)) {
    if (::fchown(fd, old.st_uid, old.st_gid) != 0) ::fchown(fd, static_cast<uid_t>(-1), old.st_gid);
  }
  ::fchmod(fd, old.st_mode & 07777 & ~static_cast<mode_t>(S_ISUID | S_ISGID));
}

// Writes, keeps the attributes of `old` (when there is one) and flushes to disk; throws
// EWriteError when that fails.
void FillTemporary(int fd, std::string_view bytes, const struct stat* old) {
  if (!WriteAll(fd, bytes)) throw EWriteError();
  if (old != nullptr) KeepAttributes(fd, *old);
  if (::fsync(fd) != 0) throw EWriteError();
}

constexpr int kNameAttempts = 100;

// Writes through a named temporary, created as a new file would be, renamed over the target.
void SaveThroughNamedFile(const std::string& path, int folder, const fs::path& folder_path,
                          const std::string& name, std::string_view bytes,
                          const struct stat* old) {
  for (int attempt = 0;; ++attempt) {
    const std::string temporary_name = TemporaryName(folder_path, name);
    PendingFile temporary(folder, (folder_path / temporary_name).string(), temporary_name);
    FileDescriptor fd(::openat(folder, temporary_name.c_str(),
                               O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY, 0666));
    if (fd.get() < 0) {
      const int error = errno;
      temporary.Kept();  // never created: a file of that name is someone else's
      if (error == EEXIST && attempt < kNameAttempts) continue;
      ThrowCreate(path, error);
    }
    FillTemporary(fd.get(), bytes, old);
    if (::close(fd.release()) != 0) throw EWriteError();
    if (::renameat(folder, temporary_name.c_str(), folder, name.c_str()) != 0) {
      ThrowCreate(path, errno);
    }
    temporary.Kept();
    return;
  }
}

// Writes into an unnamed file, which gets the target's name once it is complete: nothing is
// left beside the target when the program is stopped in the middle, however it is stopped.
// False, with nothing changed, where the file system has no unnamed files or cannot name one.
bool SaveThroughUnnamedFile(const std::string& path, int folder, const fs::path& folder_path,
                            const std::string& name, std::string_view bytes,
                            const struct stat* old) {
  FileDescriptor fd(::openat(folder, ".", O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666));
  if (fd.get() < 0) {
    if (errno == EOPNOTSUPP || errno == EISDIR || errno == EINVAL) return false;
    ThrowCreate(path, errno);
  }
  FillTemporary(fd.get(), bytes, old);
  bool named = false;
  if (old == nullptr) {
    const int error = LinkUnnamed(fd.get(), folder, name);
    if (error != 0 && error != EEXIST) return false;
    named = error == 0;  // else the name was taken meanwhile: replace that file
  }
  // An existing file: the complete file gets a name beside it, then takes the target's name.
  for (int attempt = 0; !named && attempt < kNameAttempts; ++attempt) {
    const std::string temporary_name = TemporaryName(folder_path, name);
    PendingFile temporary(folder, (folder_path / temporary_name).string(), temporary_name);
    const int error = LinkUnnamed(fd.get(), folder, temporary_name);
    if (error != 0) {
      temporary.Kept();  // a file of that name is someone else's
      if (error == EEXIST) continue;
      return false;
    }
    if (::renameat(folder, temporary_name.c_str(), folder, name.c_str()) != 0) {
      ThrowCreate(path, errno);
    }
    temporary.Kept();
    named = true;
  }
  if (!named) return false;
  if (::close(fd.release()) != 0) throw EWriteError();
  return true;
}

// Saves into a regular file `target`, existing (`old` its status) or new.
void SaveRegularFile(const std::string& path, const fs::path& target, const struct stat* old,
                     std::string_view bytes, Temporary temporary) {
  // A file the user may not write stays as it is, as a plain overwrite would leave it, although
  // renaming over it would succeed in a writable folder.
  if (old != nullptr && ::faccessat(AT_FDCWD, target.c_str(), W_OK, AT_EACCESS) != 0) {
    ThrowCreate(path, errno);
  }
  fs::path folder_path = target.parent_path();
  if (folder_path.empty()) folder_path = ".";
  std::error_code ec;
  folder_path = fs::absolute(folder_path, ec);  // for a signal handler, whatever the folder then
  const std::string name = target.filename().string();
  FileDescriptor folder(::open(folder_path.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC));
  if (folder.get() < 0) ThrowCreate(path, errno);
  if (temporary == Temporary::kNamed ||
      !SaveThroughUnnamedFile(path, folder.get(), folder_path, name, bytes, old)) {
    SaveThroughNamedFile(path, folder.get(), folder_path, name, bytes, old);
  }
  // Makes the new name durable; some file systems cannot sync a folder, which changes nothing.
  FileDescriptor sync(::open(folder_path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (sync.get() >= 0) ::fsync(sync.get());
}

// The rule the system applies to links in a shared folder such as /tmp (sticky and writable by
// all): a link planted there by another user is not followed, or anyone could make the writer
// overwrite a file of the writer's choosing.
bool MayFollowLink(const fs::path& link, const struct stat& info) {
  fs::path folder = link.parent_path();
  if (folder.empty()) folder = ".";
  struct stat folder_info {};
  if (::stat(folder.c_str(), &folder_info) != 0) return true;
  const bool shared = (folder_info.st_mode & S_ISVTX) != 0 && (folder_info.st_mode & S_IWOTH) != 0;
  return !shared || info.st_uid == ::geteuid() || info.st_uid == folder_info.st_uid;
}

}  // namespace

SaveTarget FindSaveTarget(const std::string& path) {
  fs::path current(path);
  for (int links = 0; links <= kMaxLinks; ++links) {
    SaveTarget target;
    target.path = current.string();
    target.descriptor = OwnDescriptorNamed(current);
    if (target.descriptor >= 0) {
      target.kind = SaveTarget::Kind::kDescriptor;
      return target;
    }
    if (ForeignDescriptorNamed(current)) {
      target.kind = SaveTarget::Kind::kInPlace;
      return target;
    }
    struct stat info {};
    if (::lstat(current.c_str(), &info) != 0) {
      if (errno != ENOENT) ThrowCreate(path, errno);
      target.kind = SaveTarget::Kind::kNewFile;  // also where a dangling link points
      return target;
    }
    if (S_ISLNK(info.st_mode)) {
      if (!MayFollowLink(current, info)) ThrowCreate(path, EACCES);
      std::error_code ec;
      const fs::path link = fs::read_symlink(current, ec);
      if (ec) ThrowCreate(path, ec.value());
      current = link.is_absolute() ? link : current.parent_path() / link;
      continue;
    }
    if (S_ISDIR(info.st_mode)) ThrowCreate(path, EISDIR);
    if (S_ISREG(info.st_mode)) {
      target.kind = SaveTarget::Kind::kRegularFile;
      target.info = info;
    } else {
      target.kind = SaveTarget::Kind::kInPlace;
    }
    return target;
  }
  ThrowCreate(path, ELOOP);
}

void WriteWholeFile(const std::string& path, std::string_view bytes, Temporary temporary) {
  const SaveTarget target = FindSaveTarget(path);
  switch (target.kind) {
    case SaveTarget::Kind::kNewFile:
      SaveRegularFile(path, target.path, nullptr, bytes, temporary);
      return;
    case SaveTarget::Kind::kRegularFile:
      SaveRegularFile(path, target.path, &target.info, bytes, temporary);
      return;
    case SaveTarget::Kind::kDescriptor: {
      const int flags = ::fcntl(target.descriptor, F_GETFL);
      if (flags < 0) ThrowCreate(path, errno);
      if ((flags & O_ACCMODE) == O_RDONLY) ThrowCreate(path, EBADF);
      if (!WriteAll(target.descriptor, bytes)) throw EWriteError();
      return;
    }
    case SaveTarget::Kind::kInPlace: {
      // No truncation asked: devices and pipes have nothing to cut, and a regular file behind
      // another process's descriptor is that process's business up to where we write.
      FileDescriptor fd(::open(target.path.c_str(), O_WRONLY | O_CLOEXEC | O_NOCTTY));
      if (fd.get() < 0) ThrowCreate(path, errno);
      if (!WriteAll(fd.get(), bytes)) throw EWriteError();
      if (::close(fd.release()) != 0) throw EWriteError();
      return;
    }
  }
}

}  // namespace tarvolen
