#include "web/site_record.h"

#include <nlohmann/json.hpp>

#include <limits>
#include <type_traits>

namespace web {

namespace {

using nlohmann::json;

constexpr int RecordFormat = 2;

json StampJson(const std::optional<SourceStamp>& stamp) {
    if (!stamp) {
        return nullptr;
    }
    return {{"path", stamp->path}, {"size", stamp->size}, {"modified", stamp->modifiedNanoseconds}};
}

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

std::optional<SourceStamp> StampOf(const json& value) {
    if (value.is_null()) {
        return std::nullopt;
    }
    return SourceStamp{value.at("path").get<std::string>(), Whole<std::uint64_t>(value.at("size")),
                       Whole<std::int64_t>(value.at("modified"))};
}

}  // namespace

std::string SerialiseSiteRecord(const SiteRecord& record) {
    // A sector as [version, path, size, modified], or [version] without a stamp: a big world
    // has tens of thousands, and arrays read and write several times faster than objects.
    json sectors = json::object();
    for (const auto& [name, sector] : record.sectors) {
        json entry = json::array({sector.version});
        if (sector.stamp) {
            entry.push_back(sector.stamp->path);
            entry.push_back(sector.stamp->size);
            entry.push_back(sector.stamp->modifiedNanoseconds);
        }
        sectors[name] = std::move(entry);
    }
    json files = json::object();
    for (const auto& [key, file] : record.files) {
        files[key] = {file.version, file.hash};
    }
    json page = json::object();
    for (const auto& [path, hash] : record.pageFiles) {
        page[path] = hash;
    }
    const json whole = {{"velmora-site", RecordFormat},       {"world", record.world},
                        {"terrain", record.terrain},          {"version", record.version},
                        {"sectors", std::move(sectors)},      {"files", std::move(files)},
                        {"ground", StampJson(record.ground)}, {"page", std::move(page)}};
    // Names and paths are bytes on disk, not always UTF-8: replaced where they are not, which
    // at worst makes an update read that sector again.
    return whole.dump(-1, ' ', false, json::error_handler_t::replace) + "\n";
}

std::optional<SiteRecord> ParseSiteRecord(std::string_view text) {
    const json whole = json::parse(text, nullptr, false);
    if (whole.is_discarded() || !whole.is_object()) {
        return std::nullopt;
    }
    try {
        if (Whole<std::int64_t>(whole.at("velmora-site")) != RecordFormat) {
            return std::nullopt;
        }
        SiteRecord record;
        record.world = whole.at("world").get<std::string>();
        record.terrain = whole.at("terrain").get<std::string>();
        record.version = Whole<std::uint64_t>(whole.at("version"));
        for (const auto& [name, sector] : whole.at("sectors").items()) {
            if (!sector.is_array() || (sector.size() != 1 && sector.size() != 4)) {
                return std::nullopt;
            }
            RecordedSector& recorded = record.sectors[name];
            recorded.version = Whole<std::uint64_t>(sector[0]);
            if (sector.size() == 4) {
                recorded.stamp =
                    SourceStamp{sector[1].get<std::string>(), Whole<std::uint64_t>(sector[2]),
                                Whole<std::int64_t>(sector[3])};
            }
        }
        for (const auto& [key, file] : whole.at("files").items()) {
            if (!file.is_array() || file.size() != 2) {
                return std::nullopt;
            }
            record.files[key] = {Whole<std::uint64_t>(file[0]), Whole<std::uint64_t>(file[1])};
        }
        record.ground = StampOf(whole.at("ground"));
        for (const auto& [path, hash] : whole.at("page").items()) {
            record.pageFiles[path] = Whole<std::uint64_t>(hash);
        }
        return record;
    } catch (const json::exception&) {
        return std::nullopt;
    }
}

bool IsSiteRecord(std::string_view text) {
    const json whole = json::parse(text, nullptr, false);
    return !whole.is_discarded() && whole.is_object() && whole.contains("velmora-site");
}

std::uint64_t HashOf(std::string_view bytes) {
    std::uint64_t hash = 0xcbf29ce484222325u;
    for (const char byte : bytes) {
        hash = (hash ^ static_cast<unsigned char>(byte)) * 0x100000001b3u;
    }
    return hash;
}

}  // namespace web
