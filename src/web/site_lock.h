#pragma once
// One writer of a site at a time: an exclusive flock on .velmora-lock in the site's folder,
// which holds a line saying who holds it ("velmora web (pid 123)"). The kernel frees the lock
// when its holder dies, however it dies; the file a dead holder leaves is taken over by the
// next. Released, the file is removed while still locked, so the folder keeps nothing of it.

#include <filesystem>
#include <stdexcept>
#include <string>
#include <string_view>

#include "world/file_descriptor.h"

namespace web {

inline constexpr std::string_view LockFileName = ".velmora-lock";

// Another process holds the site's lock; `holder` is its line (or "another velmora" when it
// has not written one yet).
struct SiteLocked : std::runtime_error {
    explicit SiteLocked(std::string holderText)
        : std::runtime_error("held by " + holderText), holder(std::move(holderText)) {}
    std::string holder;
};

class SiteLock {
public:
    // Takes the lock of `folder` (which must exist) for `holder`, a line of plain text. Throws
    // SiteLocked when another holds it, std::runtime_error when the lock file cannot be made
    // (a link or a folder in its place, a read-only folder).
    static SiteLock Take(const std::filesystem::path& folder, const std::string& holder);

    SiteLock(SiteLock&&) noexcept = default;
    SiteLock& operator=(SiteLock&&) noexcept;
    ~SiteLock();

    // Says something else of the holder from now on (a server's address once it listens).
    void Describe(const std::string& holder);
    const std::filesystem::path& Folder() const { return folder_; }
    // Whether this lock is the one of `folder` (the same folder, however named).
    bool Holds(const std::filesystem::path& folder) const;

private:
    SiteLock(std::filesystem::path folder, world::FileDescriptor directory,
             world::FileDescriptor file);
    void Release();

    std::filesystem::path folder_;
    world::FileDescriptor directory_;
    world::FileDescriptor file_;
};

}  // namespace web
