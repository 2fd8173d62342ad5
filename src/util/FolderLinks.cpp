#include "util/FolderLinks.h"

#include <cerrno>
#include <system_error>

#include <fcntl.h>
#include <unistd.h>

#include "model/Error.h"

namespace velmora {

namespace {

int OpenFolder(const std::filesystem::path& folder) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) {
        throw Error("The folder " + folder.string() +
                    " could not be opened: " + std::generic_category().message(errno) + ".");
    }
    return fd;
}

}  // namespace

FolderLinks::FolderLinks(const std::filesystem::path& from, const std::filesystem::path& to)
    : from_(OpenFolder(from)) {
    try {
        to_ = OpenFolder(to);
    } catch (...) {
        ::close(from_);
        throw;
    }
}

FolderLinks::~FolderLinks() {
    ::close(from_);
    ::close(to_);
}

FolderLinks::Outcome FolderLinks::Link(const char* name) const {
    if (::linkat(from_, name, to_, name, AT_SYMLINK_FOLLOW) == 0 || errno == EEXIST)
        return Outcome::Linked;
    return errno == ENOENT ? Outcome::Missing : Outcome::NotLinkable;
}

}  // namespace velmora
