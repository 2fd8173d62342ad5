#include "util/AtomicFile.h"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <iterator>
#include <sstream>
#include <system_error>
#include <utility>

#include "model/Error.h"
#include "util/Random.h"

#ifdef _WIN32
#include <io.h>
#else
#include <fcntl.h>
#include <unistd.h>
#endif

namespace velmora {

namespace {

[[noreturn]] void Fail(const std::filesystem::path& path, std::string_view what,
                       const std::string& reason) {
    throw Error("The file " + path.string() + " could not be " + std::string(what) + ": " + reason +
                ".");
}

std::string SystemReason(int error) {
    return error != 0 ? std::string(std::strerror(error)) : std::string("unknown error");
}

std::filesystem::path TemporaryPathBeside(const std::filesystem::path& path) {
    return path.parent_path() / HiddenNameBeside(path.filename().string(), ".tmp");
}

}  // namespace

std::string HiddenNameBeside(const std::string& path, std::string_view suffix) {
    const std::size_t slash = path.rfind('/');
    const std::size_t start = slash == std::string::npos ? 0 : slash + 1;
    std::ostringstream name;
    name << path.substr(0, start) << "." << path.substr(start) << "." << std::hex
         << ThreadRandom()() << suffix;
    return name.str();
}

std::string ReadWholeFile(const std::filesystem::path& path) {
    errno = 0;
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    if (!in) Fail(path, "read", SystemReason(errno));
    // Read at once into a text of the file's size: streamed into a growing
    // buffer and copied out, the card index of 100 000 cards (30 MB) was
    // copied three times, a tenth of a run with nothing to do.
    std::string content;
    const std::streamoff size = in.tellg();
    in.seekg(0);
    if (size > 0) {
        content.resize(static_cast<std::size_t>(size));
        in.read(content.data(), size);
        content.resize(static_cast<std::size_t>(in.gcount()));
        in.clear(in.rdstate() & ~(std::ios::eofbit | std::ios::failbit));
    }
    // Whatever the size did not tell: a file that grew meanwhile, or one
    // whose size the system does not know beforehand.
    content.append(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    if (in.bad()) Fail(path, "read", SystemReason(errno));
    return content;
}

#ifdef _WIN32
AtomicFileWriter::AtomicFileWriter(std::filesystem::path path)
    : path_(std::move(path)), temporary_(TemporaryPathBeside(path_)) {
    out_.open(temporary_, std::ios::binary | std::ios::trunc);
    if (!out_) Fail(path_, "written", SystemReason(errno));
}

void AtomicFileWriter::Append(std::string_view bytes) {
    out_.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out_) Fail(path_, "written", SystemReason(errno));
}

void AtomicFileWriter::Close() {
    if (!out_.is_open()) return;
    out_.close();
    if (!out_) Fail(path_, "written", SystemReason(errno));
}
#else
// Never reuses a file: a temporary file of that name is another writer's.
AtomicFileWriter::AtomicFileWriter(std::filesystem::path path)
    : path_(std::move(path)), temporary_(TemporaryPathBeside(path_)) {
    fd_ = ::open(temporary_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd_ < 0) Fail(path_, "written", SystemReason(errno));
}

void AtomicFileWriter::Append(std::string_view bytes) {
    std::size_t written = 0;
    while (written < bytes.size()) {
        const ssize_t n = ::write(fd_, bytes.data() + written, bytes.size() - written);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) Fail(path_, "written", SystemReason(errno));
        written += static_cast<std::size_t>(n);
    }
}

void AtomicFileWriter::Close() {
    if (fd_ < 0) return;
    const int result = ::close(std::exchange(fd_, -1));
    if (result != 0) Fail(path_, "written", SystemReason(errno));
}
#endif

AtomicFileWriter::~AtomicFileWriter() {
    if (committed_) return;
    try {
        Close();
    } catch (const Error&) {
        // The temporary file goes either way.
    }
    std::error_code error;
    std::filesystem::remove(temporary_, error);
}

void AtomicFileWriter::Commit(Durability durability) {
#ifndef _WIN32
    if (durability == Durability::Flushed && ::fsync(fd_) != 0)
        Fail(path_, "written", SystemReason(errno));
#else
    (void)durability;
#endif
    Close();
    std::error_code error;
    if (std::filesystem::exists(path_, error)) {
        const auto permissions = std::filesystem::status(path_, error).permissions();
        if (!error) std::filesystem::permissions(temporary_, permissions, error);
    }
    std::filesystem::rename(temporary_, path_, error);
    if (error) Fail(path_, "written", error.message());
    committed_ = true;
}

void WriteFileAtomically(const std::filesystem::path& path, std::string_view bytes,
                         Durability durability) {
    AtomicFileWriter out(path);
    out.Append(bytes);
    out.Commit(durability);
}

}  // namespace velmora
