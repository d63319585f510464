#include "cli/CheckResult.h"

#include "core/JsonWriter.h"
#include "media/MediaInfo.h"

namespace vorlaxis::cli {

namespace {

const char* OutcomeText(Outcome outcome) {
    switch (outcome) {
        case Outcome::Ok:
            return "ok";
        case Outcome::Errors:
            return "errors";
        case Outcome::Stopped:
            return "stopped";
        case Outcome::Incomplete:
            return "incomplete";
        case Outcome::Failed:
        default:
            return "failed";
    }
}

void OptionalString(JsonWriter& json, const char* key, bool known, const std::string& value) {
    json.Key(key);
    if (known) {
        json.String(value);
    } else {
        json.Null();
    }
}

void PathList(JsonWriter& json, const char* key, const std::vector<std::string>& paths) {
    json.Key(key);
    json.BeginArray();
    for (const std::string& path : paths) json.String(path);
    json.EndArray();
}

// One location's object; a new key is one more line here and a field in LocationResult.
void WriteLocation(JsonWriter& json, const LocationResult& r) {
    json.BeginObject();
    json.Key("path");
    json.String(r.path);
    OptionalString(json, "label", r.identified, r.label);
    OptionalString(json, "serial", r.identified, r.serial);
    json.Key("directories");
    json.Integer(r.directories);
    json.Key("files");
    json.Integer(r.files);
    PathList(json, "unreadable", r.unreadable);
    OptionalString(json, "checksum", r.checksum.has_value(),
                   r.checksum ? NumToHex(*r.checksum, 4) : std::string());
    json.Key("outcome");
    json.String(OutcomeText(r.outcome));
    json.Key("bytes_read");
    json.Integer(r.bytesRead);
    json.Key("seconds");
    json.Number(r.seconds, 3);
    json.Key("slow");
    json.BeginArray();
    for (const LocationResult::SlowFile& file : r.slow) {
        json.BeginObject();
        json.Key("path");
        json.String(file.path);
        json.Key("mb_per_s");
        json.Number(file.megabytesPerSecond, 3);
        json.EndObject();
    }
    json.EndArray();
    json.Key("speed_profile");
    json.BeginArray();
    for (const auto& [megabytes, speed] : r.speedProfile) {
        json.BeginArray();
        json.Number(megabytes, 3);
        json.Number(speed, 3);
        json.EndArray();
    }
    json.EndArray();
    PathList(json, "checksum_file_mismatches", r.checksumMismatches);
    PathList(json, "checksum_file_missing", r.checksumMissing);
    PathList(json, "changed", r.changed);
    PathList(json, "edited", r.edited);
    PathList(json, "missing", r.missing);
    PathList(json, "new", r.added);
    PathList(json, "newly_unreadable", r.newlyUnreadable);
    PathList(json, "readable_again", r.readableAgain);
    json.Key("differs");
    json.BeginArray();
    for (const LocationResult::Difference& d : r.differs) {
        json.BeginObject();
        json.Key("path");
        json.String(d.path);
        json.Key("offset");
        json.Integer(d.offset);
        json.EndObject();
    }
    json.EndArray();
    PathList(json, "only_on_medium", r.onlyOnMedium);
    PathList(json, "only_in_source", r.onlyInSource);
    json.Key("unchecked");
    json.BeginArray();
    for (const UncheckedItem& item : r.unchecked) {
        json.BeginObject();
        json.Key("path");
        json.String(item.Path);
        json.Key("reason");
        json.String(UncheckedKey(item.Reason));
        // A count stands for what a path cannot name: files beyond the table, lines of a list.
        if (item.Reason == UncheckedReason::FileLimit ||
            item.Reason == UncheckedReason::ListLinesUnusable) {
            json.Key(item.Reason == UncheckedReason::FileLimit ? "files" : "lines");
            json.Integer(item.Count);
        }
        json.EndObject();
    }
    json.EndArray();
    json.EndObject();
}

}  // namespace

std::string ResultJson(const std::vector<LocationResult>& locations, int exitStatus) {
    JsonWriter json;
    json.BeginObject();
    json.Key("program");
    json.String("vorlaxis-check");
    json.Key("version");
    json.String(VORLAXIS_VERSION);
    json.Key("exit_status");
    json.Integer(exitStatus);
    json.Key("locations");
    json.BeginArray();
    for (const LocationResult& location : locations) WriteLocation(json, location);
    json.EndArray();
    json.EndObject();
    return json.Text();
}

}  // namespace vorlaxis::cli
