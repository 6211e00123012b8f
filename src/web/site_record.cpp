#include "web/site_record.h"

#include <nlohmann/json.hpp>

#include <cstdio>
#include <limits>
#include <type_traits>

namespace web {

namespace {

using nlohmann::json;

// Format 2 kept the sectors' and the ground's paths, and the terrain folder's, as they were;
// formats 2 and 3 held one world, without folders.
constexpr int PathFormat = 2;
constexpr int SingleWorldFormat = 3;

// A whole number of type T, or a type_error: nlohmann converts a float silently (and beyond
// the type's range, undefined).
template <typename T>
T Whole(const json& value) {
    if (value.is_number_unsigned() && std::is_unsigned_v<T>) {
        return value.get<T>();
    }
    if (value.is_number_integer() && !value.is_number_unsigned() && std::is_signed_v<T>) {
        return value.get<T>();
    }
    if (value.is_number_unsigned() && std::is_signed_v<T> &&
        value.get<std::uint64_t>() <= std::uint64_t(std::numeric_limits<T>::max())) {
        return value.get<T>();
    }
    throw json::type_error::create(302, "not a whole number of its kind", &value);
}

json StampJson(const SourceStamp& stamp) {
    return json::array({stamp.where, stamp.size, stamp.modifiedNanoseconds});
}

// [where, size, modified], or format 2's path in place of where.
SourceStamp StampOf(const json& where, const json& size, const json& modified, int format) {
    return SourceStamp{
        format == PathFormat ? HashOf(where.get<std::string>()) : Whole<std::uint64_t>(where),
        Whole<std::uint64_t>(size), Whole<std::int64_t>(modified)};
}

std::optional<SourceStamp> GroundOf(const json& value, int format) {
    if (value.is_null()) {
        return std::nullopt;
    }
    if (format == PathFormat) {
        return StampOf(value.at("path"), value.at("size"), value.at("modified"), format);
    }
    if (!value.is_array() || value.size() != 3) {
        throw json::type_error::create(302, "not a stamp", &value);
    }
    return StampOf(value[0], value[1], value[2], format);
}

}  // namespace

std::string SerialiseSiteRecord(const SiteRecord& record) {
    json worlds = json::object();
    for (const auto& [folder, world] : record.worlds) {
        // A sector as [version, where, size, modified], or [version] without a stamp: a big
        // world has tens of thousands, and arrays read and write several times faster than
        // objects.
        json sectors = json::object();
        for (const auto& [name, sector] : world.sectors) {
            json entry = json::array({sector.version});
            if (sector.stamp) {
                entry.push_back(sector.stamp->where);
                entry.push_back(sector.stamp->size);
                entry.push_back(sector.stamp->modifiedNanoseconds);
            }
            sectors[name] = std::move(entry);
        }
        json entry = json::parse(world.entry, nullptr, false);
        worlds[folder] = {{"world", world.name},
                          {"terrain", world.terrain},
                          {"version", world.version},
                          {"sectors", std::move(sectors)},
                          {"entry", entry.is_object() ? std::move(entry) : json::object()}};
    }
    json files = json::object();
    for (const auto& [key, file] : record.files) {
        files[key] = {file.version, file.hash};
    }
    json page = json::object();
    for (const auto& [path, hash] : record.pageFiles) {
        page[path] = hash;
    }
    const json pending = {{"versions", record.pendingVersions}, {"files", record.pendingFiles}};
    const json whole = {{"velmora-site", SiteRecordFormat},
                        {"version", record.version},
                        {"worlds", std::move(worlds)},
                        {"files", std::move(files)},
                        {"ground", record.ground ? StampJson(*record.ground) : json(nullptr)},
                        {"page", std::move(page)},
                        {"pending", pending},
                        {"retired", record.retired}};
    // Names are bytes on disk, not always UTF-8: replaced where they are not, which at worst
    // makes an update read that sector again.
    return whole.dump(-1, ' ', false, json::error_handler_t::replace) + "\n";
}

std::optional<SiteRecord> ParseSiteRecord(std::string_view text) {
    const json whole = json::parse(text, nullptr, false);
    if (whole.is_discarded() || !whole.is_object()) {
        return std::nullopt;
    }
    try {
        const std::int64_t format = Whole<std::int64_t>(whole.at("velmora-site"));
        if (format < PathFormat || format > SiteRecordFormat) {
            return std::nullopt;
        }
        const int read = static_cast<int>(format);
        SiteRecord record;
        record.version = Whole<std::uint64_t>(whole.at("version"));
        record.singleWorldLayout = read <= SingleWorldFormat;
        if (record.singleWorldLayout) {
            // Only checked: its world is written anew.
            whole.at("world").get<std::string>();
            whole.at("terrain").get<std::string>();
        } else {
            for (const auto& [folder, world] : whole.at("worlds").items()) {
                RecordedWorld& recorded = record.worlds[folder];
                recorded.name = world.at("world").get<std::string>();
                recorded.terrain = world.at("terrain").get<std::string>();
                recorded.version = Whole<std::uint64_t>(world.at("version"));
                for (const auto& [name, sector] : world.at("sectors").items()) {
                    if (!sector.is_array() || (sector.size() != 1 && sector.size() != 4)) {
                        return std::nullopt;
                    }
                    RecordedSector& sectorRecord = recorded.sectors[name];
                    sectorRecord.version = Whole<std::uint64_t>(sector[0]);
                    if (sector.size() == 4) {
                        sectorRecord.stamp = StampOf(sector[1], sector[2], sector[3], read);
                    }
                }
                const json& entry = world.at("entry");
                if (!entry.is_object()) {
                    return std::nullopt;
                }
                recorded.entry = entry.dump(-1, ' ', false, json::error_handler_t::replace);
            }
        }
        for (const auto& [key, file] : whole.at("files").items()) {
            if (!file.is_array() || file.size() != 2) {
                return std::nullopt;
            }
            record.files[key] = {Whole<std::uint64_t>(file[0]), Whole<std::uint64_t>(file[1])};
        }
        record.ground = GroundOf(whole.at("ground"), read);
        for (const auto& [path, hash] : whole.at("page").items()) {
            record.pageFiles[path] = Whole<std::uint64_t>(hash);
        }
        if (read != PathFormat) {
            const json& pending = whole.at("pending");
            for (const json& version : pending.at("versions")) {
                record.pendingVersions.insert(Whole<std::uint64_t>(version));
            }
            for (const json& path : pending.at("files")) {
                record.pendingFiles.insert(path.get<std::string>());
            }
            for (const json& path : whole.at("retired")) {
                record.retired.insert(path.get<std::string>());
            }
        }
        return record;
    } catch (const json::exception&) {
        return std::nullopt;
    }
}

std::int64_t SiteRecordFormatOf(std::string_view text) {
    const json whole = json::parse(text, nullptr, false);
    if (whole.is_discarded() || !whole.is_object() || !whole.contains("velmora-site")) {
        return 0;
    }
    const json& format = whole.at("velmora-site");
    // Any record of ours says its format; one that does not is of no known program.
    if (format.is_number_unsigned() && format.get<std::uint64_t>() > 0) {
        return static_cast<std::int64_t>(
            std::min<std::uint64_t>(format.get<std::uint64_t>(), std::numeric_limits<int>::max()));
    }
    return 0;
}

std::uint64_t HashOf(std::string_view bytes) {
    std::uint64_t hash = 0xcbf29ce484222325u;
    for (const char byte : bytes) {
        hash = (hash ^ static_cast<unsigned char>(byte)) * 0x100000001b3u;
    }
    return hash;
}

std::string PathHash(std::string_view path) {
    char text[17];
    std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(HashOf(path)));
    return text;
}

}  // namespace web
