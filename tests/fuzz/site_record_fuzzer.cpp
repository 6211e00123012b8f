// A web site's record, any bytes: refused, or a record that writes out (in the current format,
// whatever it was read from) and reads back as itself (nothing half-read or invented), whose
// paths are only ever used once found inside the site.

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "fuzz_support.h"
#include "web/site_record.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto record =
        web::ParseSiteRecord(std::string_view(reinterpret_cast<const char*>(data), size));
    if (record) {
        const auto again = web::ParseSiteRecord(web::SerialiseSiteRecord(*record));
        fuzz::Require(again.has_value());
        for (const auto& [folder, world] : record->worlds) {
            const auto found = again->worlds.find(folder);
            fuzz::Require(found != again->worlds.end() &&
                          found->second.sectors.size() == world.sectors.size() &&
                          found->second.version == world.version);
        }
        fuzz::Require(again->version == record->version &&
                      again->files.size() == record->files.size() &&
                      again->worlds.size() == record->worlds.size() &&
                      again->pageFiles.size() == record->pageFiles.size() &&
                      again->pendingVersions == record->pendingVersions &&
                      again->pendingFiles == record->pendingFiles &&
                      again->retired == record->retired && again->ground == record->ground);
    }
    return 0;
}
