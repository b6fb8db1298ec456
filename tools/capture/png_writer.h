// PNG frames written beside the render thread: a worker encodes and writes while the next frame
// renders. Each file is written under a temporary name and renamed when complete, so a folder
// only ever shows whole pictures.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

// An opaque RGB PNG of an RGBA picture (top row first; alpha dropped), zlib at `level`.
std::vector<uint8_t> encodePng(const uint8_t* rgba, int width, int height, int level);

class PngWriter {
public:
    // At most `maxPending` pictures wait; submitting more waits for the worker.
    PngWriter(std::string folder, int width, int height, size_t maxPending = 3);
    ~PngWriter();
    PngWriter(const PngWriter&) = delete;
    PngWriter& operator=(const PngWriter&) = delete;

    // Queues one picture; false once a write has failed (`error` says which).
    bool submit(std::vector<uint8_t>&& rgba, const std::string& fileName);
    // Writes everything queued, stops the worker; false if any write failed.
    bool finish();
    size_t written() const;
    std::string error() const;

private:
    struct Job {
        std::vector<uint8_t> rgba;
        std::string fileName;
    };
    void work();
    bool writeOne(const Job& job);

    std::string folder;
    int width, height;
    size_t maxPending;
    mutable std::mutex mutex;
    std::condition_variable changed;
    std::deque<Job> jobs;
    bool stopping = false;
    bool failed = false;
    size_t done = 0;
    std::string problem;
    std::thread worker;
};
