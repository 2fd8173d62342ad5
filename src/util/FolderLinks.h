#pragma once

#include <filesystem>

namespace velmora {

// Gives files of one folder a second name in another, by name within each
// folder: a backup keeps thousands of cards this way, and a path walked from
// the root for each cost more than the link itself.
class FolderLinks {
  public:
    // Opens both folders; throws velmora::Error naming one that cannot be.
    FolderLinks(const std::filesystem::path& from, const std::filesystem::path& to);
    FolderLinks(const FolderLinks&) = delete;
    FolderLinks& operator=(const FolderLinks&) = delete;
    ~FolderLinks();

    enum class Outcome {
        Linked,
        Missing,     // no such file (a link that points nowhere included)
        NotLinkable  // on another file system, or a link not allowed there: copy it
    };
    // Links `name` in the first folder to the same name in the second. A
    // symbolic link is followed: the file it points to is linked. A name
    // linked already is kept as it is.
    Outcome Link(const char* name) const;

  private:
    int from_ = -1;
    int to_ = -1;
};

}  // namespace velmora
