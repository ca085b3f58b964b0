// Replacing several files together, whole or not at all: with another writer at work on
// the same files, with a failure part-way, after a crash or on SIGINT or SIGTERM.
#pragma once

#include <string>
#include <vector>

namespace orvex::model {

/// Files replaced together. Each is staged to a temporary beside the file it replaces
/// (resolveOutputPath), and every temporary is named in a journal beside the first
/// before it is made. commit renames them into place in order, holding a lock on each of
/// their directories, so two batches over the same files never mix.
///
/// Whatever stops a batch leaves every file either as it was or as the batch made it,
/// and no temporary once the batch is settled: by the batch itself on failure or
/// destruction, by the signal handler (settleBatchesOnSignals), or, after a crash, by
/// the next commit into that directory or settleInterruptedWrites. A batch killed
/// before its renames began is undone; one killed while renaming is finished.
class FileBatch {
 public:
  FileBatch() = default;
  /// An uncommitted batch removes its temporaries: nothing is replaced.
  ~FileBatch();
  FileBatch(const FileBatch&) = delete;
  FileBatch& operator=(const FileBatch&) = delete;

  /// Writes bytes to a new temporary for path now, checked through the last write and
  /// the close. False with *error "<path>: cannot write: <reason>" or base::resolveOutputPath's
  /// refusal.
  bool stage(const std::string& path, const std::string& bytes, std::string* error);
  /// Makes an empty temporary for path, named *temporary and open for writing as *fd.
  /// The caller writes it and closes fd (checking the close) before commit. Fails as stage.
  bool stageOpen(const std::string& path, int* fd, std::string* temporary, std::string* error);
  /// Renames every temporary into place in the order staged. When a rename fails the
  /// files already renamed are put back as they were (kept through hard links, or copies,
  /// made before the first rename). False with *error "<path>: cannot write: <reason>",
  /// and "; the files written before it could not be put back" if that failed too.
  bool commit(std::string* error);

 private:
  struct Entry {
    std::string path, target, temporary;  // as given; its file (absolute); beside it
  };
  bool startEntry(const std::string& path, Entry* entry, std::string* error);
  bool append(char kind, const std::string& a, const std::string& b, const std::string& c);
  /// Settles the journal (finishing or undoing the renames) and lets the batch go; true
  /// when the new files are in place, else *putBack false if the old could not all be.
  bool finish(bool* putBack);
  void settle();

  std::vector<Entry> entries_;
  int journal_ = -1;
  int slot_ = -1;  // in the signal handler's table, or -1
  std::string journalPath_;
};

/// Writes every file whole, or changes none of them: one FileBatch, staged in order and
/// committed. False with the batch's one-line error.
struct OutputFile {
  std::string path;  // as given; a symlink is followed to the file it names
  std::string bytes;
};
bool writeFilesWhole(const std::vector<OutputFile>& files, std::string* error);

/// Settles, in dir, every batch whose writer is gone: finished if its renames had begun,
/// else undone, and its temporaries removed. Does nothing where dir cannot be opened or
/// changed: a reader of a shipped, read-only directory goes on.
void settleInterruptedWrites(const std::string& dir);

/// From now on SIGINT, SIGTERM and SIGHUP settle every open batch before the process
/// ends by the signal: temporaries removed, a batch already renaming finished first.
/// A signal the process was started ignoring stays ignored.
void settleBatchesOnSignals();

}  // namespace orvex::model
