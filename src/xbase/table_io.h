#pragma once
// File access shared by the table code: whole reads and writes at an offset, scans of
// records in large chunks, whole-file replacement, and pack.
#include <sys/types.h>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "xbase/dbf_header.h"

namespace quillon::xbase {

class MemoFile;

bool preadAll(int fd, void* buffer, size_t size, std::uint64_t offset);
bool pwriteAll(int fd, const void* buffer, size_t size, std::uint64_t offset);

// Calls `visit` for records first..last (record number, record bytes), reading the file in
// large chunks. False when the file cannot be read.
bool scanRecords(int fd, const DbfHeader& header, long first, long last,
                 const std::function<void(long, std::string_view)>& visit);

// A header length that does not fit the field list (32 + 32 per field + 1, and the 263-byte
// backlink of Visual FoxPro) may be padding by another writer or damage that shifts every
// record. It is damage when the records read at the stated length look wrong (delete flags,
// logical, date, number and memo fields that cannot be) and read right at the length the
// fields give. Returns the reason for refusing the table, or empty.
std::string recordShiftProblem(int fd, const DbfHeader& header);

std::optional<std::string> readFileBytes(const std::string& path, std::string* error);
// Replaces the file through a temporary file and a rename.
bool writeFileReplacing(const std::string& path, const std::string& bytes, std::string* error);

struct PackResult {
  int fd = -1;  // the new table file, open and locked
  std::uint32_t recordCount = 0;
};

// Writes the table without its flagged records (and a memo file holding only the memos of
// the kept records) beside the old files, then renames them over the old ones: memo file
// first, table last. A kept memo that cannot be read (a pointer past the end, a damaged or
// missing memo file) stops the pack and leaves every file as it was; `error` says which
// record and field and why. Once the new files are complete a marker file (packMarkerPath)
// commits the pack; finishInterruptedPack completes the renames after a crash between them.
// The old table's lock stays held until the caller closes `fd`.
bool packTable(int fd, const DbfHeader& header, MemoFile* memo, const std::string& path,
               const std::string& memoPath, PackResult& result, std::string* error);

// The marker beside `path` that says its packed files are complete ("QLN.DBF.packed~").
std::string packMarkerPath(const std::string& path);
// Finishes a pack that stopped after its marker was written (true when there was none).
// The caller holds the table's lock.
bool finishInterruptedPack(const std::string& path, std::string* error);

}  // namespace quillon::xbase
