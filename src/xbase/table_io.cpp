#include "xbase/table_io.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <vector>

#include "platform/file_io.h"
#include "xbase/field_codec.h"
#include "xbase/memo_file.h"

namespace quillon::xbase {

namespace {
// Repeats a positioned read or write until all of it is done; EINTR is retried.
template <typename Byte, typename Transfer>
bool transferAll(Transfer transfer, int fd, Byte* p, size_t size, std::uint64_t offset) {
  while (size > 0) {
    ssize_t r = transfer(fd, p, size, static_cast<off_t>(offset));
    if (r < 0 && errno == EINTR) continue;
    if (r <= 0) return false;
    p += r;
    size -= static_cast<size_t>(r);
    offset += static_cast<std::uint64_t>(r);
  }
  return true;
}
}  // namespace

bool preadAll(int fd, void* buffer, size_t size, std::uint64_t offset) {
  return transferAll(::pread, fd, static_cast<char*>(buffer), size, offset);
}

bool pwriteAll(int fd, const void* buffer, size_t size, std::uint64_t offset) {
  return transferAll(::pwrite, fd, static_cast<const char*>(buffer), size, offset);
}

bool scanRecords(int fd, const DbfHeader& header, long first, long last,
                 const std::function<void(long, std::string_view)>& visit) {
  const size_t length = header.recordLength;
  const long perChunk = std::max<long>(1, static_cast<long>((1 << 20) / length));
  std::string chunk;
  for (long n = first; n <= last; n += perChunk) {
    long count = std::min(perChunk, last - n + 1);
    chunk.resize(static_cast<size_t>(count) * length);
    if (!preadAll(fd, chunk.data(), chunk.size(),
                  header.headerLength + std::uint64_t(n - 1) * length))
      return false;
    for (long i = 0; i < count; ++i)
      visit(n + i, std::string_view(chunk).substr(static_cast<size_t>(i) * length, length));
  }
  return true;
}

namespace {

bool allOf(std::string_view s, std::string_view allowed) {
  return s.find_first_not_of(allowed) == std::string_view::npos;
}

// Whether the bytes can be a record of this layout (character fields take anything).
bool plausibleRecord(const DbfHeader& header, std::string_view rec) {
  if (rec[0] != ' ' && rec[0] != '*') return false;
  for (size_t i = 0; i < header.fields.size(); ++i) {
    const FieldDef& f = header.fields[i];
    std::string_view raw = rec.substr(header.offsets[i], f.width);
    switch (f.type) {
      case 'L': if (!allOf(raw, "TtFfYyNn? ")) return false; break;
      case 'D': if (!allOf(raw, "0123456789") && !allOf(raw, " ")) return false; break;
      case 'N': case 'F': if (!allOf(raw, "0123456789 .-+*")) return false; break;
      case 'M':
        if (!header.visualFox() && !allOf(raw, std::string_view("0123456789 \0", 12))) return false;
        break;
      default: break;
    }
  }
  return true;
}

long implausibleRecords(int fd, const DbfHeader& header) {
  long bad = 0;
  if (!scanRecords(fd, header, 1, header.recordCount,
                   [&](long, std::string_view rec) { bad += plausibleRecord(header, rec) ? 0 : 1; }))
    return -1;
  return bad;
}

}  // namespace

std::string recordShiftProblem(int fd, const DbfHeader& header) {
  std::uint64_t fitting = 32 + 32 * header.fields.size() + 1 + (header.visualFox() ? 263 : 0);
  if (header.headerLength == fitting || header.recordCount == 0) return {};
  struct stat st {};
  if (::fstat(fd, &st) != 0 || static_cast<std::uint64_t>(st.st_size) < fitting) return {};
  DbfHeader asFields = header;
  asFields.headerLength = static_cast<std::uint16_t>(fitting);
  asFields.recordCount = static_cast<std::uint32_t>(std::min<std::uint64_t>(
      header.recordCount, (static_cast<std::uint64_t>(st.st_size) - fitting) / header.recordLength));
  std::string reason = "damaged table: the header length " + std::to_string(header.headerLength) +
                       " does not fit its " + std::to_string(header.fields.size()) + " fields (" +
                       std::to_string(fitting) + " expected) and shifts every record";
  // The file's size: the header's record count fills it exactly (with or without the end
  // mark) only at the right header length.
  unsigned char count[4];
  if (!preadAll(fd, count, 4, 4)) return {};
  std::uint64_t stated = count[0] | count[1] << 8 | count[2] << 16 | std::uint64_t(count[3]) << 24;
  auto fills = [&](std::uint64_t headerLength) {
    std::uint64_t end = headerLength + stated * header.recordLength;
    return static_cast<std::uint64_t>(st.st_size) == end || static_cast<std::uint64_t>(st.st_size) == end + 1;
  };
  if (fills(fitting) && !fills(header.headerLength)) return reason;
  // The records' contents.
  long wrong = implausibleRecords(fd, header);
  long wrongAsFields = implausibleRecords(fd, asFields);
  if (wrong <= 0 || wrongAsFields < 0 || wrongAsFields * 2 >= wrong) return {};
  return reason + " (" + std::to_string(wrong) + " of " + std::to_string(header.recordCount) +
         " records read wrong)";
}

std::optional<std::string> readFileBytes(const std::string& path, std::string* error) {
  std::string why;
  auto bytes = platform::readWholeFile(path, &why);
  if (!bytes && error) *error = why.empty() ? path + " does not exist" : path + ": " + why;
  return bytes;
}

bool writeFileReplacing(const std::string& path, const std::string& bytes, std::string* error) {
  try {
    platform::writeFileAtomically(path, bytes);
    return true;
  } catch (const platform::FileWriteError& e) {
    if (error) *error = e.what();
    return false;
  }
}

namespace {

std::string packedTemp(const std::string& path) { return path + ".pack~"; }

std::string folderOf(const std::string& path) { return path.substr(0, path.find_last_of('/') + 1); }

// Makes renames and new names in the file's folder durable.
void syncFolderOf(const std::string& path) {
  std::string folder = folderOf(path);
  if (folder.empty()) folder = ".";
  int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dir < 0) return;
  ::fsync(dir);
  ::close(dir);
}

// Puts the packed files in place: memo file first, table last, then the marker goes.
bool renamePackedFiles(const std::string& path, const std::string& memoPath, std::string* error) {
  auto fail = [&](const std::string& why) {
    if (error) *error = why;
    return false;
  };
  struct stat st {};
  if (!memoPath.empty() && ::stat(packedTemp(memoPath).c_str(), &st) == 0 &&
      ::rename(packedTemp(memoPath).c_str(), memoPath.c_str()) != 0)
    return fail("cannot replace " + memoPath + ": " + std::strerror(errno));
  if (::stat(packedTemp(path).c_str(), &st) == 0 &&
      ::rename(packedTemp(path).c_str(), path.c_str()) != 0)
    return fail("cannot replace " + path + ": " + std::strerror(errno));
  syncFolderOf(path);
  if (::unlink(packMarkerPath(path).c_str()) != 0 && errno != ENOENT)
    return fail("cannot remove " + packMarkerPath(path) + ": " + std::strerror(errno));
  syncFolderOf(path);
  return true;
}

}  // namespace

std::string packMarkerPath(const std::string& path) { return path + ".packed~"; }

bool finishInterruptedPack(const std::string& path, std::string* error) {
  std::string why;
  auto marker = platform::readWholeFile(packMarkerPath(path), &why);
  if (!marker) {
    if (why.empty()) return true;  // no pack was interrupted
    if (error) *error = "cannot read " + packMarkerPath(path) + ": " + why;
    return false;
  }
  // The marker names the memo file beside the table (empty for a table without one).
  std::string memoName = *marker;
  while (!memoName.empty() && (memoName.back() == '\n' || memoName.back() == '\r')) memoName.pop_back();
  if (memoName.find('/') != std::string::npos || memoName == "." || memoName == "..") {
    if (error) *error = packMarkerPath(path) + " is damaged";
    return false;
  }
  std::string memoPath = memoName.empty() ? "" : folderOf(path) + memoName;
  return renamePackedFiles(path, memoPath, error);
}

bool packTable(int fd, const DbfHeader& header, MemoFile* memo, const std::string& path,
               const std::string& memoPath, PackResult& result, std::string* error) {
  auto fail = [&](const std::string& why) {
    if (error) *error = why;
    return false;
  };
  std::string tempTable = packedTemp(path);
  std::string tempMemo = memoPath.empty() ? "" : packedTemp(memoPath);
  int out = ::open(tempTable.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (out < 0) return fail("cannot create " + tempTable + ": " + std::strerror(errno));
  ::flock(out, LOCK_EX | LOCK_NB);
  auto abandon = [&](const std::string& why) {
    ::close(out);
    ::unlink(tempTable.c_str());
    if (!tempMemo.empty()) ::unlink(tempMemo.c_str());
    return fail(why);
  };
  MemoFile newMemo;
  std::string err;
  if (memo) {
    std::string bytes = MemoFile::emptyFileBytes(memo->blockSize());
    if (!writeFileReplacing(tempMemo, bytes, &err) || !newMemo.open(tempMemo, &err))
      return abandon(err);
  }
  std::vector<int> memoFields;
  for (size_t i = 0; i < header.fields.size(); ++i) {
    char t = header.fields[i].type;
    if (t == 'M' || t == 'G' || t == 'P') memoFields.push_back(static_cast<int>(i));
  }
  std::uint32_t kept = 0;
  std::string buffer;
  std::uint64_t at = header.headerLength;
  std::string unreadable;  // why a kept memo cannot be carried over; the pack then stops
  bool failed = false;
  auto flush = [&]() {
    if (!buffer.empty() && !pwriteAll(out, buffer.data(), buffer.size(), at)) failed = true;
    at += buffer.size();
    buffer.clear();
  };
  bool ok = scanRecords(fd, header, 1, header.recordCount, [&](long n, std::string_view rec) {
    if (failed || rec[0] == '*') return;
    std::string copy(rec);
    for (int i : memoFields) {
      const FieldDef& f = header.fields[i];
      std::string_view raw = std::string_view(copy).substr(header.offsets[i], f.width);
      auto old = memoBlock(raw, header.visualFox());
      std::string where = "record " + std::to_string(n) + " field " + f.name + ": ";
      // A memo that cannot be read is never dropped: the whole pack stops instead.
      if (!old) {
        unreadable = where + "memo pointer is not a number";
      } else if (*old && !memo) {
        unreadable = where + "the memo file cannot be read";
      } else if (*old) {
        std::string why;
        auto data = memo->read(*old, &why);
        if (!data) {
          unreadable = where + why;
        } else {
          std::uint32_t block = 0;
          if (!data->empty()) {
            auto written = newMemo.write(*data, &err);
            if (!written) {
              failed = true;
              return;
            }
            block = *written;
          }
          copy.replace(header.offsets[i], f.width,
                       encodeMemoBlock(block, f.width, header.visualFox()));
        }
      }
      if (!unreadable.empty()) {
        failed = true;
        return;
      }
    }
    buffer += copy;
    ++kept;
    if (buffer.size() >= (1u << 20)) flush();
  });
  flush();
  if (!unreadable.empty())
    return abandon("cannot pack " + path + ": " + unreadable + " (the table is left as it is)");
  if (!ok || failed) return abandon("cannot pack " + path + (err.empty() ? "" : ": " + err));
  // The old header as it was (foreign extras such as a backlink area stay), new count.
  std::string head(header.headerLength, '\0');
  if (!preadAll(fd, head.data(), head.size(), 0)) return abandon("cannot read " + path);
  head.replace(1, 7, dbfUpdateBytes(kept));
  char eofMark = 0x1A;
  if (!pwriteAll(out, head.data(), head.size(), 0) || !pwriteAll(out, &eofMark, 1, at) ||
      ::ftruncate(out, static_cast<off_t>(at + 1)) != 0 || ::fsync(out) != 0 ||
      (memo && !newMemo.sync()))
    return abandon("cannot write " + tempTable + ": " + std::strerror(errno));
  newMemo.close();
  // The marker commits the pack: from here on an open that finds it finishes the renames,
  // so a failure between the two renames never leaves the old table with the new memo file.
  try {
    platform::writeFileAtomically(packMarkerPath(path),
                                  memo ? memoPath.substr(folderOf(memoPath).size()) + "\n" : "");
  } catch (const platform::FileWriteError& e) {
    return abandon(e.what());
  }
  syncFolderOf(path);
  if (!renamePackedFiles(path, memo ? memoPath : std::string(), &err)) {
    ::close(out);
    return fail(err + " (the pack finishes at the next open)");
  }
  result.fd = out;
  result.recordCount = kept;
  return true;
}

}  // namespace quillon::xbase
