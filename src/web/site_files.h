#pragma once
// Writing a site's files so that a page open meanwhile never reads a torn one and a failed
// update leaves the site as it was: each file is written under a temporary name beside it
// (NAME.part-XXXXXX) and renamed onto its own; the files this run added are remembered, and
// removed again when the run gives up before the site's index takes them in.
//
// Every path is resolved below the site's folder, held open: a folder on the way is made or
// opened one component at a time with the kernel's RESOLVE_BENEATH and RESOLVE_NO_SYMLINKS, so
// a symbolic link in the site (put there by anyone) is refused, never followed out of it. A
// file is only ever renamed over one the caller declared its own (MayReplace).

#include <filesystem>
#include <functional>
#include <mutex>
#include <optional>
#include <set>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "world/file_descriptor.h"

namespace web {

// A file that cannot be written or replaced; says which and why.
struct SiteFileError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// What lies at a path of the site.
enum class SiteEntryKind {
    Missing,  // nothing: a file may be written there
    File,     // a regular file
    Blocked,  // anything else: a folder, a link, or a link or file on the way
};

struct SiteEntry {
    std::string path;  // relative to the site
    bool regular = false;
};

// The temporary name a file is written under before it is renamed onto `name`, and whether
// `name` is one (then `base` is the file it was for).
inline constexpr std::string_view TemporaryMark = ".part-";
bool IsTemporaryName(std::string_view name, std::string* base = nullptr);

class SiteFiles {
public:
    // Opens the folder, which must exist. Throws SiteFileError.
    explicit SiteFiles(std::filesystem::path root);
    // Removes the files added since the last Keep.
    ~SiteFiles();
    SiteFiles(const SiteFiles&) = delete;
    SiteFiles& operator=(const SiteFiles&) = delete;

    // `relative` is a file of ours: Write may replace it.
    void MayReplace(const std::string& relative);
    // Writes `bytes` to `relative` (below the root, its folders made as needed). A file already
    // there is replaced only when MayReplace named it; otherwise the write fails, naming it.
    // Safe to call from several threads. Throws SiteFileError.
    void Write(const std::string& relative, std::string_view bytes);
    // The files written so far stay, whatever happens next.
    void Keep();
    // Removes the files added since the last Keep now; false when one could not be.
    bool Discard();
    // Whether a file that was there before has been replaced (since construction).
    bool ReplacedAny() const;
    // Removes `relative` when it is a file; false when it could not be removed.
    bool Remove(const std::string& relative);

    SiteEntryKind Kind(const std::string& relative) const;
    // The bytes of the regular file `relative`; nullopt when there is none (or a link).
    std::optional<std::string> Read(const std::string& relative) const;
    // The same into `bytes` (its storage kept between calls); false when there is none.
    bool ReadInto(const std::string& relative, std::string& bytes) const;
    // Every entry below the folder `under` ("" for the whole site) that is not a folder, found
    // without following links.
    std::vector<SiteEntry> Entries(const std::string& under = "") const;
    // The same one at a time, until `visit` returns false; false then.
    bool EachEntry(const std::string& under,
                   const std::function<bool(const SiteEntry&)>& visit) const;

    const std::filesystem::path& Root() const { return root_; }
    int Folder() const { return folder_.get(); }

private:
    std::filesystem::path root_;
    world::FileDescriptor folder_;
    mutable std::mutex mutex_;
    std::set<std::string> replaceable_;
    std::vector<std::string> added_;
    bool replaced_ = false;
};

// Whether `relative` names a file inside a site: not empty, not absolute, no empty, "." or ".."
// component, no backslash or NUL. What a site's record says is checked so before anything is
// removed by it.
bool IsInsideSite(std::string_view relative);

// Opens the folder `relative` below `folder` (O_PATH), never through a link; makes what is
// missing when `make`. -1 when it cannot be (errno says why).
int OpenFolderBeneath(int folder, std::string_view relative, bool make);

}  // namespace web
