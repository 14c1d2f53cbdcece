#include "spell/dictionary_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace quillon::spell {

namespace {

constexpr std::size_t kMinBytesForAnotherHeader = 21;

std::string reason(const std::string& path) { return path + ": " + std::strerror(errno); }

// The offset just after the first 0x1A, or nothing when the file has none.
std::optional<std::uint64_t> skipTextHeader(const DictionaryFile& file) {
  char chunk[4096];
  std::uint64_t offset = 0;
  while (std::size_t got = file.readAt(offset, chunk, sizeof chunk)) {
    if (const void* end = std::memchr(chunk, kTextHeaderEnd, got))
      return offset + static_cast<std::uint64_t>(static_cast<const char*>(end) - chunk) + 1;
    offset += got;
  }
  return std::nullopt;
}

// Reads the header at `position` and checks that its counts fit the file.
std::optional<DictionaryHeader> readHeader(const DictionaryFile& file, std::uint64_t position, std::string& error) {
  unsigned char bytes[kHeaderSize];
  if (file.readAt(position, bytes, kHeaderSize) != kHeaderSize) {
    error = "the dictionary header is cut off";
    return std::nullopt;
  }
  DictionaryHeader header = decodeHeader(bytes);
  header.position = static_cast<std::uint32_t>(position);
  std::uint64_t headerEnd = position + kHeaderSize;
  if (header.nodeCount > header.capacity) {
    error = "the header counts more nodes than it reserves";
  } else if (header.nodeCount > kMaxNodes) {
    error = "the header counts more nodes than a 16-bit index can reach";
  } else if (!header.isMain() && header.capacity > 0xFFFF) {
    error = "the header reserves more node slots than a user dictionary can have";
  } else if (headerEnd + std::uint64_t(header.nodeCount) * kNodeSize > file.size()) {
    error = "the file ends before the nodes its header counts";
  } else {
    return header;
  }
  return std::nullopt;
}

Dictionary makeDictionary(const DictionaryHeader& header, std::shared_ptr<DictionaryFile> file) {
  Dictionary d;
  d.header = header;
  d.headerEnd = std::uint64_t(header.position) + kHeaderSize;
  d.file = std::move(file);
  return d;
}

void indexFirstLetters(Dictionary& d, const NodeArray& nodes) {
  d.firstLetter = {};
  for (std::uint32_t n = 1; n < nodes.size(); ++n) {
    if (!d.firstLetter[nodes[n].code()]) d.firstLetter[nodes[n].code()] = static_cast<std::uint16_t>(n);
    if (nodes[n].last()) break;
  }
}

}  // namespace

std::shared_ptr<DictionaryFile> DictionaryFile::open(const std::string& path, bool writable, std::string& error) {
  int fd = -1;
  if (writable) fd = ::open(path.c_str(), O_RDWR | O_CLOEXEC);
  if (fd < 0) fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    error = reason(path);
    return nullptr;
  }
  struct stat st {};
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(fd);
    error = path + ": not a regular file";
    return nullptr;
  }
  return std::shared_ptr<DictionaryFile>(new DictionaryFile(fd));
}

std::shared_ptr<DictionaryFile> DictionaryFile::create(const std::string& path, std::string& error) {
  int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) {
    error = reason(path);
    return nullptr;
  }
  return std::shared_ptr<DictionaryFile>(new DictionaryFile(fd));
}

DictionaryFile::~DictionaryFile() { ::close(fd_); }

std::size_t DictionaryFile::readAt(std::uint64_t offset, void* buffer, std::size_t size) const {
  std::size_t done = 0;
  while (done < size) {
    ssize_t got = ::pread(fd_, static_cast<char*>(buffer) + done, size - done, static_cast<off_t>(offset + done));
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) break;
    done += static_cast<std::size_t>(got);
  }
  return done;
}

bool DictionaryFile::writeAt(std::uint64_t offset, const std::string& bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    ssize_t put = ::pwrite(fd_, bytes.data() + done, bytes.size() - done, static_cast<off_t>(offset + done));
    if (put < 0 && errno == EINTR) continue;
    if (put <= 0) return false;
    done += static_cast<std::size_t>(put);
  }
  return true;
}

std::uint64_t DictionaryFile::size() const {
  struct stat st {};
  return ::fstat(fd_, &st) == 0 ? static_cast<std::uint64_t>(st.st_size) : 0;
}

std::optional<Node> NodeCache::read(const DictionaryFile& file, std::uint64_t headerEnd, std::uint32_t n) {
  std::uint64_t b = std::uint64_t(n & ~7u) * kNodeSize + (headerEnd - kNodeSize);
  Block& block = blocks_[(b / 8) % kBlocks];
  if (block.tag != static_cast<std::int64_t>(b)) {
    block.length = static_cast<std::uint8_t>(file.readAt(b, block.bytes.data(), block.bytes.size()));
    block.tag = static_cast<std::int64_t>(b);
  }
  std::size_t at = (n & 7u) * kNodeSize;
  if (at + kNodeSize > block.length) {
    block.tag = -1;  // read again next time
    return std::nullopt;
  }
  return decodeNode(block.bytes.data() + at);
}

std::optional<Node> Dictionary::node(std::uint32_t n) const {
  if (n < 1 || n > header.nodeCount) return std::nullopt;
  if (cache) return cache->read(*file, headerEnd, n);
  if (n >= nodes.size()) return std::nullopt;
  return nodes[n];
}

std::optional<NodeArray> loadNodes(Dictionary& d, std::string* error) {
  std::string bytes(std::size_t(d.header.nodeCount) * kNodeSize, '\0');
  if (d.file->readAt(d.headerEnd, bytes.data(), bytes.size()) != bytes.size()) {
    if (error) *error = "the file ends before the nodes its header counts";
    return std::nullopt;
  }
  NodeArray nodes(d.header.nodeCount + 1);
  for (std::uint32_t n = 1; n <= d.header.nodeCount; ++n)
    nodes[n] = decodeNode(reinterpret_cast<const unsigned char*>(bytes.data()) + (n - 1) * kNodeSize);
  if (auto fault = checkTrie(nodes)) {
    if (error) *error = *fault;
    return std::nullopt;
  }
  indexFirstLetters(d, nodes);
  return nodes;
}

namespace {

struct OpenedFile {
  std::shared_ptr<DictionaryFile> file;
  std::uint64_t firstHeader = 0;  // just after the text header
};

std::optional<OpenedFile> openPastTextHeader(const std::string& path, bool writable, std::string& error) {
  auto file = DictionaryFile::open(path, writable, error);
  if (!file) return std::nullopt;
  auto start = skipTextHeader(*file);
  if (!start) {
    error = path + ": no end of the text header (0x1A)";
    return std::nullopt;
  }
  return OpenedFile{std::move(file), *start};
}

// A sound header of the wanted kind at `position`; the error names the file.
std::optional<DictionaryHeader> readHeaderOfKind(const std::string& path, const DictionaryFile& file,
                                                 std::uint64_t position, bool main, std::string& error) {
  auto header = readHeader(file, position, error);
  if (header && header->isMain() != main) {
    error = main ? "not a main dictionary" : "not a user dictionary";
    header.reset();
  }
  if (!header) error = path + ": " + error;
  return header;
}

}  // namespace

std::optional<std::vector<Dictionary>> openMainDictionary(const std::string& path, std::string& error) {
  auto opened = openPastTextHeader(path, false, error);
  if (!opened) return std::nullopt;
  auto& file = opened->file;
  std::vector<Dictionary> parts;
  std::uint64_t position = opened->firstHeader;
  std::uint64_t size = file->size();
  do {
    auto header = readHeaderOfKind(path, *file, position, true, error);
    if (!header) return std::nullopt;
    Dictionary part = makeDictionary(*header, file);
    std::string fault;
    if (!loadNodes(part, &fault)) {
      error = path + ": sub-dictionary " + std::to_string(parts.size() + 1) + ": " + fault;
      return std::nullopt;
    }
    part.cache = std::make_unique<NodeCache>();
    position = part.headerEnd + std::uint64_t(header->capacity) * kNodeSize;
    parts.push_back(std::move(part));
  } while (position < size && size - position >= kMinBytesForAnotherHeader);
  return parts;
}

std::optional<Dictionary> openUserDictionary(const std::string& path, std::string& error) {
  auto opened = openPastTextHeader(path, true, error);
  if (!opened) return std::nullopt;
  auto header = readHeaderOfKind(path, *opened->file, opened->firstHeader, false, error);
  if (!header) return std::nullopt;
  Dictionary d = makeDictionary(*header, std::move(opened->file));
  std::string fault;
  auto nodes = loadNodes(d, &fault);
  if (!nodes) {
    error = path + ": " + fault;
    return std::nullopt;
  }
  d.nodes = std::move(*nodes);
  d.loaded = d.header;
  return d;
}

bool writeNewUserDictionary(const std::string& path, std::string& error) {
  auto file = DictionaryFile::create(path, error);
  if (!file) return false;
  std::string bytes = textHeader(false);
  DictionaryHeader header{1, kUserCapacityStep, 1, 0, static_cast<std::uint32_t>(bytes.size())};
  bytes += encodeHeader(header);
  unsigned char node[kNodeSize];
  encodeNode(Node{kNoChild, kLastInList | kWordEnd}, node);  // the word "A"
  bytes.append(reinterpret_cast<char*>(node), kNodeSize);
  encodeNode(kFreeNode, node);
  for (std::uint32_t n = 2; n <= header.capacity; ++n) bytes.append(reinterpret_cast<char*>(node), kNodeSize);
  if (!file->writeAt(0, bytes)) {
    error = reason(path);
    return false;
  }
  return true;
}

bool refreshUserDictionary(Dictionary& d) {
  // One read of the header bytes when nothing changed, as before every look-up.
  unsigned char bytes[kHeaderSize];
  auto sameCounts = [](const DictionaryHeader& a, const DictionaryHeader& b) {  // the stored position aside
    return a.nodeCount == b.nodeCount && a.capacity == b.capacity && a.wordCount == b.wordCount && a.kind == b.kind;
  };
  bool same = d.file->readAt(d.header.position, bytes, kHeaderSize) == kHeaderSize &&
              sameCounts(decodeHeader(bytes), d.loaded);
  if (same && d.nodes.size() == std::size_t(d.loaded.nodeCount) + 1) return true;
  std::string error;
  auto header = readHeader(*d.file, d.header.position, error);
  if (header && !header->isMain()) {
    d.header = *header;
    if (auto nodes = loadNodes(d)) {
      d.nodes = std::move(*nodes);
      d.loaded = *header;
      return true;
    }
  }
  d.nodes.assign(1, Node{});  // nothing sound to read: no words until the file is sound again
  d.firstLetter = {};
  if (header) d.loaded = *header;
  return false;
}

bool storeUserDictionary(Dictionary& d, const NodeArray& nodes, std::uint32_t wordCount) {
  DictionaryHeader header = d.header;
  header.nodeCount = static_cast<std::uint32_t>(nodes.size() - 1);
  header.wordCount = wordCount;
  while (header.capacity < header.nodeCount) header.capacity += kUserCapacityStep;
  std::string bytes = encodeHeader(header);
  bytes.resize(kHeaderSize + std::size_t(header.capacity) * kNodeSize);
  auto* out = reinterpret_cast<unsigned char*>(bytes.data()) + kHeaderSize;
  for (std::uint32_t n = 1; n <= header.capacity; ++n, out += kNodeSize)
    encodeNode(n < nodes.size() ? nodes[n] : kFreeNode, out);
  // One write, so that a stopped program leaves the old or the new dictionary.
  if (!d.file->writeAt(header.position, bytes)) return false;
  d.header = d.loaded = header;
  d.nodes = nodes;
  indexFirstLetters(d, nodes);
  return true;
}

}  // namespace quillon::spell
