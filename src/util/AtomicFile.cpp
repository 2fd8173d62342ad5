#include "util/AtomicFile.h"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <random>
#include <sstream>
#include <system_error>

#include "model/Error.h"

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
    static std::mt19937_64 random{std::random_device{}()};
    std::ostringstream name;
    name << "." << path.filename().string() << "." << std::hex << random() << ".tmp";
    return path.parent_path() / name.str();
}

#ifdef _WIN32
// Writes and flushes; the rename below makes it visible. Failures name the
// file the caller asked for, not the temporary one.
void WriteAndSync(const std::filesystem::path& temporary, const std::filesystem::path& target,
                  std::string_view bytes, Durability) {
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.flush();
    if (!out) Fail(target, "written", SystemReason(errno));
}
#else
// Creates the temporary file (never reusing one), writes it and, when it is
// to be durable, waits until the data is on the disk. Failures name the file
// the caller asked for.
void WriteAndSync(const std::filesystem::path& temporary, const std::filesystem::path& target,
                  std::string_view bytes, Durability durability) {
    const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0) Fail(target, "written", SystemReason(errno));
    std::size_t written = 0;
    while (written < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + written, bytes.size() - written);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            const int error = errno;
            ::close(fd);
            Fail(target, "written", SystemReason(error));
        }
        written += static_cast<std::size_t>(n);
    }
    if (durability == Durability::Flushed && ::fsync(fd) != 0) {
        const int error = errno;
        ::close(fd);
        Fail(target, "written", SystemReason(error));
    }
    if (::close(fd) != 0) Fail(target, "written", SystemReason(errno));
}
#endif

}  // namespace

std::string ReadWholeFile(const std::filesystem::path& path) {
    errno = 0;
    std::ifstream in(path, std::ios::binary);
    if (!in) Fail(path, "read", SystemReason(errno));
    std::ostringstream content;
    content << in.rdbuf();
    if (in.bad()) Fail(path, "read", SystemReason(errno));
    return content.str();
}

void WriteFileAtomically(const std::filesystem::path& path, std::string_view bytes,
                         Durability durability) {
    std::error_code error;
    const bool exists = std::filesystem::exists(path, error);
    const std::filesystem::path temporary = TemporaryPathBeside(path);
    try {
        WriteAndSync(temporary, path, bytes, durability);
        if (exists) {
            const auto permissions = std::filesystem::status(path, error).permissions();
            if (!error) std::filesystem::permissions(temporary, permissions, error);
        }
        std::filesystem::rename(temporary, path, error);
        if (error) Fail(path, "written", error.message());
    } catch (...) {
        std::filesystem::remove(temporary, error);
        throw;
    }
}

}  // namespace velmora
