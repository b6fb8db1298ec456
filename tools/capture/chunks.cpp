#include "tools/capture/chunks.h"

#include "tools/capture/options.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

int framesInRange(int fromMs, int toMs, int fps)
{
    int frames = 0;
    for (int time = fromMs; time <= toMs; time = frameTimeMs(fromMs, frames, fps)) {
        ++frames;
        if (time > captureShowEndMs)
            break;
    }
    return frames;
}

namespace {

bool parseIndex(const std::string& text, int& value)
{
    if (text.empty() || text.size() > 9 || !std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return false;
    value = std::atoi(text.c_str());
    return true;
}

// The text after `"key": ` up to the end of its line, without a trailing comma; empty if absent.
std::string valueOf(const std::string& json, const std::string& key)
{
    const std::string marker = "\"" + key + "\": ";
    const size_t at = json.find(marker);
    if (at == std::string::npos)
        return "";
    const size_t start = at + marker.size();
    const size_t end = json.find('\n', start);
    std::string value = json.substr(start, end == std::string::npos ? std::string::npos : end - start);
    if (!value.empty() && value.back() == ',')
        value.pop_back();
    return value;
}

// A quoted value as written (no escapes expected in the fields read this way), or empty.
std::string unquoted(const std::string& value)
{
    if (value.size() < 2 || value.front() != '"' || value.back() != '"')
        return "";
    return value.substr(1, value.size() - 2);
}

std::string spanText(int first, int last, int fromMs, int fps)
{
    return "frames " + std::to_string(first) + "-" + std::to_string(last) + " (" +
           std::to_string(frameTimeMs(fromMs, first, fps)) + "-" + std::to_string(frameTimeMs(fromMs, last, fps)) +
           " ms)";
}

} // namespace

bool parseChunkSpan(const std::string& text, ChunkSpan& span)
{
    const size_t dash = text.find('-');
    return dash != std::string::npos && parseIndex(text.substr(0, dash), span.first) &&
           parseIndex(text.substr(dash + 1), span.last) && span.first <= span.last;
}

std::vector<ChunkSpan> chunkSpans(int total, int perChunk)
{
    std::vector<ChunkSpan> spans;
    perChunk = std::max(1, perChunk);
    for (int first = 0; first < total; first += perChunk)
        spans.push_back({first, std::min(total, first + perChunk) - 1});
    return spans;
}

bool parseChunkSidecar(const std::string& json, const std::string& file, ChunkRecord& record, std::string& problem)
{
    record = ChunkRecord{};
    record.file = file;
    const size_t open = json.find("\"options\": {");
    const size_t close = open == std::string::npos ? open : json.find("\n  }", open);
    const std::string chunk = valueOf(json, "chunk");
    const std::string version = valueOf(json, "version");
    if (close == std::string::npos || chunk.empty() || version.empty()) {
        problem = file + " is not the sidecar of a chunk";
        return false;
    }
    // The archive's path may differ from machine to machine; its checksum may not.
    record.optionsText = json.substr(open, close - open);
    const size_t archive = record.optionsText.find("\n    \"archive\": ");
    if (archive != std::string::npos)
        record.optionsText.erase(archive);
    record.version = version;
    record.archiveSha256 = unquoted(valueOf(json, "archive_sha256"));
    const std::string first = valueOf(chunk, "first"), last = valueOf(chunk, "last");
    const std::string range = valueOf(chunk, "range_frames");
    if (!parseIndex(first.substr(0, first.find(',')), record.span.first) ||
        !parseIndex(last.substr(0, last.find(',')), record.span.last) ||
        !parseIndex(range.substr(0, range.find('}')), record.rangeFrames) ||
        !parseIndex(valueOf(json, "frames"), record.frames)) {
        problem = file + ": its chunk or frame count cannot be read";
        return false;
    }
    return true;
}

bool checkChunksJoin(std::vector<ChunkRecord>& chunks, int fromMs, int fps, std::string& problem)
{
    if (chunks.empty()) {
        problem = "no chunks to join";
        return false;
    }
    std::sort(chunks.begin(), chunks.end(),
              [](const ChunkRecord& a, const ChunkRecord& b) { return a.span.first < b.span.first; });
    const ChunkRecord& model = chunks.front();
    for (const ChunkRecord& c : chunks) {
        auto differs = [&](const char* what) {
            problem = c.file + " was made with other " + what + " than " + model.file;
            return false;
        };
        if (c.optionsText != model.optionsText)
            return differs("options");
        if (c.archiveSha256 != model.archiveSha256 || c.archiveSha256.empty())
            return c.archiveSha256.empty() ? (problem = c.file + " does not say which archive it was made from", false)
                                           : differs("data (archive SHA-256)");
        if (c.version != model.version)
            return differs("program versions");
        if (c.rangeFrames != model.rangeFrames)
            return differs("range lengths");
        if (c.frames != c.span.frames()) {
            problem = c.file + " holds " + std::to_string(c.frames) + " of its " + std::to_string(c.span.frames()) +
                      " frames (" + spanText(c.span.first, c.span.last, fromMs, fps) + "): render it again";
            return false;
        }
    }
    int next = 0; // the first frame not yet covered
    for (const ChunkRecord& c : chunks) {
        if (c.span.first > next) {
            problem = "missing " + spanText(next, c.span.first - 1, fromMs, fps);
            return false;
        }
        if (c.span.first < next) {
            problem = c.file + " repeats " + spanText(c.span.first, std::min(c.span.last, next - 1), fromMs, fps);
            return false;
        }
        next = c.span.last + 1;
    }
    if (next < model.rangeFrames) {
        problem = "missing " + spanText(next, model.rangeFrames - 1, fromMs, fps);
        return false;
    }
    if (next > model.rangeFrames) {
        problem = chunks.back().file + " goes past the range's " + std::to_string(model.rangeFrames) + " frames";
        return false;
    }
    return true;
}
