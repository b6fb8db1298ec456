#include "tools/capture/sidecar.h"

#include "platform/utf8_files.h"
#include "runtime/version.h"
#include "tools/capture/chunks.h"

#include <cstdio>
#include <filesystem>

namespace {

// A JSON string: quotes, backslashes and control characters escaped; other bytes as they are.
std::string quoted(const std::string& text)
{
    std::string out = "\"";
    for (const char c : text) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (static_cast<unsigned char>(c) < 0x20) {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\u%04x", static_cast<unsigned>(static_cast<unsigned char>(c)));
            out += escape;
        } else {
            out += c;
        }
    }
    return out + "\"";
}

std::string number(double value)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.9g", value);
    return text;
}

} // namespace

std::string sidecarPath(const std::string& video)
{
    return pathFromUtf8(video).replace_extension(".json").string();
}

std::string sidecarJson(const CaptureOptions& o, int firstMs, int frames, const std::string& archiveSha256)
{
    const bool lossy = o.codec != VideoCodec::Ffv1;
    std::string json = "{\n";
    json += "  \"version\": {\"program\": \"orvalune-capture\", \"release\": " + quoted(orvaluneVersion()) +
            ", \"commit\": " + quoted(orvaluneCommit()) + "},\n";
    json += "  \"options\": {\n";
    json += "    \"from_ms\": " + std::to_string(o.fromMs) + ",\n";
    json += "    \"to_ms\": " + std::to_string(o.toMs) + ",\n";
    json += "    \"fps\": " + std::to_string(o.fps) + ",\n";
    json += "    \"size\": " + quoted(std::to_string(o.width) + "x" + std::to_string(o.height)) + ",\n";
    json += "    \"supersample\": " + std::to_string(o.supersample) + ",\n";
    json += std::string("    \"scale_targets\": ") + (o.scaleTargets ? "true" : "false") + ",\n";
    json += "    \"motion_blur\": " + std::to_string(o.motionBlur) + ",\n";
    json += "    \"shutter\": " + number(o.shutter) + ",\n";
    json += "    \"average_in\": " + quoted(averageInName(o.averageIn)) + ",\n";
    json += "    \"codec\": " + quoted(codecName(o.codec)) + ",\n";
    json += "    \"pix_fmt\": " + quoted(effectivePixFmt(o)) + ",\n";
    json += "    \"crf\": " + (lossy ? std::to_string(effectiveCrf(o)) : std::string("null")) + ",\n";
    json += "    \"preset\": " + (o.codec == VideoCodec::H264 ? quoted(o.preset) : std::string("null")) + ",\n";
    json += "    \"archive\": " + quoted(o.archive) + "\n";
    json += "  },\n";
    json += "  \"archive_sha256\": " + (archiveSha256.empty() ? std::string("null") : quoted(archiveSha256)) + ",\n";
    if (o.chunkFirst >= 0)
        json += "  \"chunk\": {\"first\": " + std::to_string(o.chunkFirst) + ", \"last\": " + std::to_string(o.chunkLast) +
                ", \"range_frames\": " + std::to_string(framesInRange(o.fromMs, o.toMs, o.fps)) + "},\n";
    json += "  \"first_ms\": " + std::to_string(firstMs) + ",\n";
    json += "  \"frames\": " + std::to_string(frames) + "\n";
    json += "}\n";
    return json;
}

bool writeSidecar(const std::string& path, const std::string& json, std::string& problem)
{
    const std::string part = path + ".part";
    std::FILE* file = openFileUtf8(part, "wb");
    bool ok = file && std::fwrite(json.data(), 1, json.size(), file) == json.size();
    if (file)
        ok = std::fclose(file) == 0 && ok;
    std::error_code error;
    if (ok)
        std::filesystem::rename(pathFromUtf8(part), pathFromUtf8(path), error);
    if (!ok || error) {
        std::filesystem::remove(pathFromUtf8(part), error);
        problem = "cannot write " + path;
        return false;
    }
    return true;
}
