#pragma once
// Writing a site's files so that a page open meanwhile never reads a torn one and a failed
// update leaves the site as it was: each file is written under a temporary name beside it and
// renamed onto its own; the files this run added are remembered, and removed again when the
// run gives up before the site's index takes them in.

#include <filesystem>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

namespace web {

// A file that cannot be written or replaced; says which and why.
struct SiteFileError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

class SiteFiles {
public:
    explicit SiteFiles(std::filesystem::path root);
    // Removes the files added since the last Keep.
    ~SiteFiles();
    SiteFiles(const SiteFiles&) = delete;
    SiteFiles& operator=(const SiteFiles&) = delete;

    // Writes `bytes` to `relative` (below the root, its folders made as needed), replacing what
    // was there. Safe to call from several threads. Throws SiteFileError.
    void Write(const std::string& relative, std::string_view bytes);
    // The files written so far stay, whatever happens next.
    void Keep();
    // Removes `relative` when it is a file; false when it could not be removed.
    bool Remove(const std::string& relative);

    const std::filesystem::path& Root() const { return root_; }

private:
    std::filesystem::path root_;
    std::mutex mutex_;
    std::vector<std::filesystem::path> added_;
};

// Whether `relative` names a file inside a site: not empty, not absolute, no empty, "." or ".."
// component, no backslash or NUL. What a site's record says is checked so before anything is
// removed by it.
bool IsInsideSite(std::string_view relative);

}  // namespace web
