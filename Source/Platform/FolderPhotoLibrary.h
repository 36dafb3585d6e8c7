#pragma once
// The photo library over a folder of picture files, with thumbnails made on a worker thread
// (or at once, for the headless host, whose runs must not depend on thread timing).

#include "Platform/PhotoLibrary.h"

#include <condition_variable>
#include <deque>
#include <mutex>
#include <set>
#include <thread>

class FolderPhotoLibrary : public PhotoLibrary {
public:
    // folder "" lists nothing.
    FolderPhotoLibrary(std::string folder, bool threaded);
    ~FolderPhotoLibrary() override;

    bool libraryAvailable() const override { return true; }
    bool cameraAvailable() const override;
    std::string folder() const override { return m_folder; }
    void setFolder(const std::string& folder) { m_folder = folder; }
    std::vector<std::string> pictures() override;
    void requestThumbnail(const std::string& path, int maxSide) override;
    std::vector<std::pair<std::string, HostImage>> takeFinishedThumbnails() override;
    void cancelThumbnails() override;
    std::string takeDroppedFile() override;
    bool loadPicture(const std::string& path, int maxSide, long long maxPixels, HostImage& out,
        std::string& error) override;

    // The window heard a file dropped on it (main thread).
    void fileDropped(const std::string& path);

    // A picture shrunk to fit maxSide (nearest of a few samples per pixel: a thumbnail).
    static HostImage shrink(const HostImage& image, int maxSide);

private:
    void work();
    std::string m_folder;
    bool m_threaded;
    std::string m_dropped;

    std::mutex m_lock;
    std::condition_variable m_wake;
    std::deque<std::pair<std::string, int>> m_queue;
    std::vector<std::pair<std::string, HostImage>> m_done;
    std::set<std::string> m_asked;
    bool m_quit = false;
    std::thread m_worker;
};
