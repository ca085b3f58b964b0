// Writing a batch of files whole or not at all, in this order: path and file helpers;
// settling a journal (system calls only, for the signal handler); the table of batches a
// signal must settle; directory locks and the settling of dead writers' journals;
// FileBatch itself; writeFilesWhole and the settling entry points.
//
// The journal: records of a kind byte and three NUL-terminated fields, appended as the
// batch goes, so that whoever settles it knows every file the batch has touched:
//   S temporary target   written before the temporary is made
//   B temporary target backup
//                        written before the backup (a hard link or a copy of target) is
//                        made; no B for the last file, which no later rename can fail after
//   C                    every temporary and backup complete: the renames begin
//   R                    a rename failed: the renamed files are being put back
// Settling reads it with nothing but system calls, so the signal handler can do it too.
#include "model/file_batch.h"

#include <dirent.h>
#include <fcntl.h>
#include <limits.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <memory>
#include <tuple>
#include <utility>

#include "base/output_file.h"
#include "base/regular_file.h"

namespace orvex::model {
namespace {

constexpr char kJournalPrefix[] = ".orvex-journal-";

std::string directoryOf(const std::string& path) {
  const size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

// Temporaries are found again by whoever settles the batch, from any directory.
std::string absolute(const std::string& path) {
  if (!path.empty() && path[0] == '/') return path;
  char cwd[PATH_MAX];
  if (getcwd(cwd, sizeof cwd) == nullptr) return path;
  return std::string(cwd) + "/" + path;
}

// A name in dir that no other living process uses: the process id and a count. One that
// exists all the same was left by a dead process of the same id.
std::string freshName(const std::string& dir, const char* prefix) {
  static std::atomic<unsigned> count{0};
  return dir + "/" + prefix + std::to_string(getpid()) + "-" + std::to_string(count++);
}

// Writes all of text to fd and closes it; errno is kept from the first failure. A
// delayed write error (a network file system, a quota) shows only at the close.
bool writeAndClose(int fd, const std::string& text) {
  const char* p = text.data();
  size_t left = text.size();
  while (left > 0) {
    const ssize_t n = ::write(fd, p, left);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      if (n == 0) errno = EIO;
      const int saved = errno;
      ::close(fd);
      errno = saved;
      return false;
    }
    p += n;
    left -= static_cast<size_t>(n);
  }
  return ::close(fd) == 0;
}

// Opens a new file at name, replacing a dead process's leftover of that name.
int createFresh(const std::string& name, int flags, mode_t mode) {
  int fd = ::open(name.c_str(), flags | O_CREAT | O_EXCL | O_CLOEXEC, mode);
  if (fd < 0 && errno == EEXIST && ::unlink(name.c_str()) == 0) {
    fd = ::open(name.c_str(), flags | O_CREAT | O_EXCL | O_CLOEXEC, mode);
  }
  return fd;
}

// Keeps the file at path under the name copy: a hard link, or where the file system has
// none, a copy of its bytes. False with errno.
bool keepCopy(const std::string& path, const std::string& copy) {
  if (::link(path.c_str(), copy.c_str()) == 0) return true;
  if (errno == EEXIST && ::unlink(copy.c_str()) == 0 && ::link(path.c_str(), copy.c_str()) == 0) {
    return true;
  }
  std::string old;
  if (base::readRegularFile(path, &old) != base::FileRead::kRead) {
    errno = EIO;
    return false;
  }
  const int fd = createFresh(copy, O_WRONLY, 0666);
  if (fd < 0) return false;
  if (writeAndClose(fd, old)) return true;
  const int saved = errno;
  ::unlink(copy.c_str());
  errno = saved;
  return false;
}

// ---- Settling a journal: system calls only, no allocation. ----

struct Record {
  char kind;
  char field[3][PATH_MAX];
};

struct Work {
  int fd;
  off_t offset;
  ssize_t have, at;
  char buffer[4096];
  Record record;
};

void rewind(Work* w) {
  w->offset = 0;
  w->have = w->at = 0;
}

bool nextByte(Work* w, char* c) {
  if (w->at == w->have) {
    w->have = pread(w->fd, w->buffer, sizeof w->buffer, w->offset);
    if (w->have <= 0) return false;
    w->offset += w->have;
    w->at = 0;
  }
  *c = w->buffer[w->at++];
  return true;
}

// The next whole record; false at the end. A record cut short (its write failed) ends
// the journal; one with a field too long for a path is kind '?'.
bool nextRecord(Work* w) {
  Record& r = w->record;
  if (!nextByte(w, &r.kind)) return false;
  for (auto& field : r.field) {
    size_t n = 0;
    bool fits = true;
    for (char c;;) {
      if (!nextByte(w, &c)) return false;
      if (c == '\0') break;
      if (n + 1 < sizeof field) {
        field[n++] = c;
      } else {
        fits = false;
      }
    }
    field[n] = '\0';
    if (!fits) r.kind = '?';
  }
  return true;
}

bool writeAll(int fd, const char* p, size_t n) {
  while (n > 0) {
    const ssize_t k = ::write(fd, p, n);
    if (k < 0 && errno == EINTR) continue;
    if (k <= 0) return false;
    p += k;
    n -= static_cast<size_t>(k);
  }
  return true;
}

bool appendMark(int fd, char kind) {
  const char record[4] = {kind, '\0', '\0', '\0'};
  return writeAll(fd, record, sizeof record);
}

bool exists(const char* path) {
  struct stat st;
  return ::lstat(path, &st) == 0;
}

enum class Settled { kNew, kOld, kMixed };

// Brings the files of the journal open as fd to their old or their new state, removes
// its temporaries and backups, and unlinks it (journalPath). Renames that had begun are finished;
// if one cannot be, the renamed files are put back.
Settled settleJournal(int fd, const char* journalPath, Work* w) {
  w->fd = fd;
  bool committed = false, undoing = false;
  for (rewind(w); nextRecord(w);) {
    const Record& r = w->record;
    committed = committed || r.kind == 'C';
    undoing = undoing || r.kind == 'R';
  }
  if (committed && !undoing) {
    for (rewind(w); nextRecord(w);) {
      const Record& r = w->record;
      if (r.kind == 'S' && exists(r.field[0]) && std::rename(r.field[0], r.field[1]) != 0) {
        undoing = true;
      }
    }
    if (undoing) appendMark(fd, 'R');
  }
  bool back = true;
  if (committed && undoing) {
    // A temporary that is gone was renamed over its target: the backup goes back, or a
    // target that was new goes.
    for (rewind(w); nextRecord(w);) {
      const Record& r = w->record;
      if (r.kind != 'B' || exists(r.field[0])) continue;
      if (r.field[2][0] != '\0') {
        back = std::rename(r.field[2], r.field[1]) == 0 && back;
      } else if (::unlink(r.field[1]) != 0 && errno != ENOENT) {
        back = false;
      }
    }
  }
  for (rewind(w); nextRecord(w);) {
    const Record& r = w->record;
    if (r.kind == 'S') ::unlink(r.field[0]);
    if (r.kind == 'B' && r.field[2][0] != '\0') ::unlink(r.field[2]);
  }
  ::unlink(journalPath);
  if (!committed) return Settled::kOld;
  if (!undoing) return Settled::kNew;
  return back ? Settled::kOld : Settled::kMixed;
}

// ---- The batches a signal must settle. ----

enum SlotState : int { kFree, kClaimed, kStaging, kCommitting, kTaken };

struct Slot {
  std::atomic<int> state{kFree};
  std::atomic<int> fd{-1};
  char journal[PATH_MAX];  // set before the state is kStaging
};

constexpr int kSlots = 16;
Slot slots[kSlots];
std::atomic<int> pendingSignal{0};
Work signalWork;

// Settles every batch that is only staging; true when none is committing.
bool settleStagingBatches() {
  bool committing = false;
  for (Slot& slot : slots) {
    int state = kStaging;
    if (slot.state.compare_exchange_strong(state, kTaken)) {
      settleJournal(slot.fd.load(), slot.journal, &signalWork);
    } else if (state == kClaimed && slot.state.compare_exchange_strong(state, kTaken)) {
      ::unlink(slot.journal);  // a journal being made, with nothing in it yet
    } else if (state == kCommitting) {
      committing = true;
    }
  }
  return !committing;
}

// A batch that is renaming is left to finish; the signal is raised again when it has.
void onSignal(int signal) {
  if (!settleStagingBatches()) {
    pendingSignal.store(signal);
    return;
  }
  std::signal(signal, SIG_DFL);
  std::raise(signal);
}

// A slot for the journal about to be made at path, claimed before it exists so that a
// signal finds it from the start; -1 past the table, where a signal leaves the batch
// for the next writer to settle.
int claimSlot(const std::string& journal) {
  if (journal.size() >= PATH_MAX) return -1;
  for (int i = 0; i < kSlots; ++i) {
    int free = kFree;
    if (slots[i].state.compare_exchange_strong(free, kTaken)) {
      std::memcpy(slots[i].journal, journal.c_str(), journal.size() + 1);
      slots[i].state.store(kClaimed);
      return i;
    }
  }
  return -1;
}

// ---- Locks. ----

// flock on a directory excludes every other batch committing into it. Held from
// construction to destruction; a directory that cannot be opened is not locked.
class DirectoryLocks {
 public:
  explicit DirectoryLocks(std::vector<std::string> dirs) {
    struct Held {
      dev_t dev;
      ino_t ino;
      int fd;
      std::string dir;
    };
    std::vector<Held> held;
    for (const std::string& dir : dirs) {
      const int fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
      struct stat st;
      if (fd < 0) continue;
      if (fstat(fd, &st) != 0) {
        ::close(fd);
        continue;
      }
      held.push_back({st.st_dev, st.st_ino, fd, dir});
    }
    // One order for everyone, so two batches over the same directories cannot deadlock.
    std::sort(held.begin(), held.end(), [](const Held& a, const Held& b) {
      return std::tie(a.dev, a.ino) < std::tie(b.dev, b.ino);
    });
    for (size_t i = 0; i < held.size(); ++i) {
      if (i > 0 && held[i].dev == held[i - 1].dev && held[i].ino == held[i - 1].ino) {
        ::close(held[i].fd);
        continue;
      }
      while (flock(held[i].fd, LOCK_EX) != 0 && errno == EINTR) {
      }
      fds_.push_back(held[i].fd);
      dirs_.push_back(held[i].dir);
    }
  }
  ~DirectoryLocks() {
    for (int fd : fds_) ::close(fd);
  }
  DirectoryLocks(const DirectoryLocks&) = delete;
  DirectoryLocks& operator=(const DirectoryLocks&) = delete;
  const std::vector<std::string>& dirs() const { return dirs_; }

 private:
  std::vector<int> fds_;
  std::vector<std::string> dirs_;
};

// Settles the journals in dir whose writers are gone; the caller holds dir's lock. A
// living writer holds its journal's flock for as long as the batch lasts.
void settleDeadJournals(const std::string& dir) {
  DIR* listing = ::opendir(dir.c_str());
  if (listing == nullptr) return;
  std::vector<std::string> journals;
  while (const dirent* entry = ::readdir(listing)) {
    if (std::strncmp(entry->d_name, kJournalPrefix, sizeof kJournalPrefix - 1) == 0) {
      journals.push_back(dir + "/" + entry->d_name);
    }
  }
  ::closedir(listing);
  auto work = std::make_unique<Work>();
  for (const std::string& journal : journals) {
    const int fd = ::open(journal.c_str(), O_RDWR | O_APPEND | O_CLOEXEC);
    if (fd < 0) continue;
    if (flock(fd, LOCK_EX | LOCK_NB) == 0) settleJournal(fd, journal.c_str(), work.get());
    ::close(fd);
  }
}

std::string cannotWrite(const std::string& path) {
  return path + ": cannot write: " + std::strerror(errno);
}

}  // namespace

FileBatch::~FileBatch() { settle(); }

bool FileBatch::append(char kind, const std::string& a, const std::string& b,
                       const std::string& c) {
  std::string record(1, kind);
  for (const std::string* field : {&a, &b, &c}) {
    record += *field;
    record += '\0';
  }
  return writeAll(journal_, record.data(), record.size());
}

bool FileBatch::startEntry(const std::string& path, Entry* entry, std::string* error) {
  entry->path = path;
  std::string target;
  if (!base::resolveOutputPath(path, &target, error)) return false;
  entry->target = absolute(target);
  const std::string dir = directoryOf(entry->target);
  if (journal_ < 0) {
    // Made under the directory's lock and locked before that is let go, so no one
    // settling the directory takes it for a dead writer's.
    DirectoryLocks lock({dir});
    journalPath_ = freshName(dir, kJournalPrefix);
    slot_ = claimSlot(journalPath_);
    journal_ = createFresh(journalPath_, O_RDWR | O_APPEND, 0644);
    if (journal_ < 0) {
      *error = cannotWrite(path);
      if (slot_ >= 0) slots[slot_].state.store(kFree);
      slot_ = -1;
      return false;
    }
    if (slot_ >= 0) {
      slots[slot_].fd.store(journal_);
      int claimed = kClaimed;
      // Lost to a signal handler, which has removed the journal: the process is ending.
      if (!slots[slot_].state.compare_exchange_strong(claimed, kStaging)) {
        *error = cannotWrite(path);
        return false;
      }
    }
    if (flock(journal_, LOCK_EX | LOCK_NB) != 0) {
      *error = cannotWrite(path);
      return false;
    }
  }
  entry->temporary = freshName(dir, ".orvex-");
  if (!append('S', entry->temporary, entry->target, "")) {
    *error = cannotWrite(path);
    return false;
  }
  return true;
}

bool FileBatch::stageOpen(const std::string& path, int* fd, std::string* temporary,
                          std::string* error) {
  Entry entry;
  if (!startEntry(path, &entry, error)) return false;
  *fd = createFresh(entry.temporary, O_WRONLY, 0666);
  if (*fd < 0) {
    *error = cannotWrite(path);
    return false;
  }
  *temporary = entry.temporary;
  entries_.push_back(std::move(entry));
  return true;
}

bool FileBatch::stage(const std::string& path, const std::string& bytes, std::string* error) {
  int fd = -1;
  std::string temporary;
  if (!stageOpen(path, &fd, &temporary, error)) return false;
  if (!writeAndClose(fd, bytes)) {
    *error = cannotWrite(path);
    return false;
  }
  return true;
}

bool FileBatch::commit(std::string* error) {
  if (entries_.empty()) return true;
  std::vector<std::string> dirs;
  for (const Entry& e : entries_) dirs.push_back(directoryOf(e.target));
  DirectoryLocks locks(dirs);
  for (const std::string& dir : locks.dirs()) settleDeadJournals(dir);
  // Copies of every target but the last, so that a rename failing part-way can be undone.
  for (size_t i = 0; i + 1 < entries_.size(); ++i) {
    const Entry& e = entries_[i];
    const std::string backup = exists(e.target.c_str()) ? e.temporary + ".old" : "";
    if (!append('B', e.temporary, e.target, backup) ||
        (!backup.empty() && !keepCopy(e.target, backup))) {
      *error = cannotWrite(e.path);
      settle();
      return false;
    }
  }
  // From the commit mark on, a signal waits for the renames to end.
  int staging = kStaging;
  if (slot_ >= 0 && !slots[slot_].state.compare_exchange_strong(staging, kCommitting)) {
    *error = entries_[0].path + ": cannot write: interrupted";
    return false;  // a signal handler is settling this batch as the process ends
  }
  bool ok = appendMark(journal_, 'C');
  int reason = errno;
  size_t failed = 0;
  for (; ok && failed < entries_.size(); ++failed) {
    const Entry& e = entries_[failed];
    if (std::rename(e.temporary.c_str(), e.target.c_str()) != 0) {
      reason = errno;
      ok = false;
      appendMark(journal_, 'R');
      break;
    }
  }
  const std::string failedPath = entries_[std::min(failed, entries_.size() - 1)].path;
  bool putBack = true;
  if (finish(&putBack)) return true;
  *error = failedPath + ": cannot write: " + std::strerror(reason);
  if (!putBack) *error += "; the files written before it could not be put back";
  return false;
}

bool FileBatch::finish(bool* putBack) {
  auto work = std::make_unique<Work>();
  const Settled settled = settleJournal(journal_, journalPath_.c_str(), work.get());
  ::close(journal_);
  journal_ = -1;
  if (slot_ >= 0) slots[slot_].state.store(kFree);
  slot_ = -1;
  entries_.clear();
  // A signal that came while the files were renamed ends the process now.
  if (const int signal = pendingSignal.exchange(0)) onSignal(signal);
  *putBack = settled != Settled::kMixed;
  return settled == Settled::kNew;
}

void FileBatch::settle() {
  if (journal_ < 0) return;
  int staging = kStaging;
  // A batch the signal handler has taken is its to settle.
  if (slot_ >= 0 && !slots[slot_].state.compare_exchange_strong(staging, kCommitting)) return;
  bool ignored;
  finish(&ignored);
}

bool writeFilesWhole(const std::vector<OutputFile>& files, std::string* error) {
  FileBatch batch;
  for (const OutputFile& f : files) {
    if (!batch.stage(f.path, f.bytes, error)) return false;
  }
  return batch.commit(error);
}

void settleInterruptedWrites(const std::string& dir) {
  DirectoryLocks lock({dir});
  if (!lock.dirs().empty()) settleDeadJournals(dir);
}

void settleBatchesOnSignals() {
  for (int signal : {SIGINT, SIGTERM, SIGHUP}) {
    struct sigaction old;
    if (sigaction(signal, nullptr, &old) == 0 && old.sa_handler == SIG_IGN) continue;
    struct sigaction action {};
    action.sa_handler = onSignal;
    sigfillset(&action.sa_mask);
    sigaction(signal, &action, nullptr);
  }
}

}  // namespace orvex::model
