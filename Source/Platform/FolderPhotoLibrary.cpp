#include "Platform/FolderPhotoLibrary.h"

#include "Platform/ImageCodec.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;

namespace {

bool isPictureName(const std::string& name)
{
    const std::string::size_type dot = name.find_last_of('.');
    if (dot == std::string::npos || name[0] == '.')
        return false;
    std::string ext = name.substr(dot + 1);
    std::transform(
        ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return char(std::tolower(c)); });
    static const char* const kKnown[]
        = { "png", "jpg", "jpeg", "jpe", "bmp", "gif", "tga", "tif", "tiff", "webp" };
    return std::find(std::begin(kKnown), std::end(kKnown), ext) != std::end(kKnown);
}

} // namespace

FolderPhotoLibrary::FolderPhotoLibrary(std::string folder, bool threaded)
    : m_folder(std::move(folder))
    , m_threaded(threaded)
{
}

FolderPhotoLibrary::~FolderPhotoLibrary()
{
    {
        std::lock_guard<std::mutex> lock(m_lock);
        m_quit = true;
        m_queue.clear();
    }
    m_wake.notify_all();
    if (m_worker.joinable())
        m_worker.join();
}

// There is no capture code behind a camera device here, so no frame could ever be delivered:
// the picker offers the folder alone.
bool FolderPhotoLibrary::cameraAvailable() const { return false; }

std::vector<std::string> FolderPhotoLibrary::pictures()
{
    std::vector<std::string> found;
    std::error_code ec;
    if (m_folder.empty() || !fs::is_directory(m_folder, ec))
        return found;
    for (fs::directory_iterator it(m_folder, ec), end; !ec && it != end; it.increment(ec)) {
        std::error_code typeError;
        if (it->is_regular_file(typeError) && isPictureName(it->path().filename().string()))
            found.push_back(it->path().string());
    }
    std::sort(found.begin(), found.end());
    return found;
}

HostImage FolderPhotoLibrary::shrink(const HostImage& image, int maxSide)
{
    const int largest = std::max(image.width, image.height);
    if (largest <= maxSide || maxSide <= 0)
        return image;
    HostImage out;
    out.width = std::max(1, image.width * maxSide / largest);
    out.height = std::max(1, image.height * maxSide / largest);
    out.hasAlpha = image.hasAlpha;
    out.rgba.resize(static_cast<std::size_t>(out.width) * out.height * 4);
    // A box average over the source pixels each thumbnail pixel covers, sampled on a grid of at
    // most 4 x 4 so a 4096-pixel photo costs about as much as a small one.
    for (int y = 0; y < out.height; ++y)
        for (int x = 0; x < out.width; ++x) {
            const int x0 = x * image.width / out.width,
                      x1 = std::max(x0 + 1, (x + 1) * image.width / out.width);
            const int y0 = y * image.height / out.height,
                      y1 = std::max(y0 + 1, (y + 1) * image.height / out.height);
            const int stepX = std::max(1, (x1 - x0) / 4), stepY = std::max(1, (y1 - y0) / 4);
            unsigned sum[4] = { 0, 0, 0, 0 }, n = 0;
            for (int sy = y0; sy < y1; sy += stepY)
                for (int sx = x0; sx < x1; sx += stepX) {
                    const std::uint8_t* p
                        = image.rgba.data() + (static_cast<std::size_t>(sy) * image.width + sx) * 4;
                    for (int k = 0; k < 4; ++k)
                        sum[k] += p[k];
                    ++n;
                }
            std::uint8_t* o = out.rgba.data() + (static_cast<std::size_t>(y) * out.width + x) * 4;
            for (int k = 0; k < 4; ++k)
                o[k] = static_cast<std::uint8_t>(sum[k] / n);
        }
    return out;
}

void FolderPhotoLibrary::requestThumbnail(const std::string& path, int maxSide)
{
    std::unique_lock<std::mutex> lock(m_lock);
    if (!m_asked.insert(path).second)
        return;
    if (!m_threaded) {
        lock.unlock();
        HostImage image;
        std::string error;
        if (ImageCodec::decodeFile(path, 4096, image, error))
            image = shrink(image, maxSide);
        else
            image = HostImage {};
        lock.lock();
        m_done.emplace_back(path, std::move(image));
        return;
    }
    m_queue.emplace_back(path, maxSide);
    if (!m_worker.joinable())
        m_worker = std::thread([this] { work(); });
    lock.unlock();
    m_wake.notify_one();
}

void FolderPhotoLibrary::work()
{
    for (;;) {
        std::pair<std::string, int> job;
        {
            std::unique_lock<std::mutex> lock(m_lock);
            m_wake.wait(lock, [this] { return m_quit || !m_queue.empty(); });
            if (m_quit)
                return;
            job = std::move(m_queue.front());
            m_queue.pop_front();
        }
        HostImage image;
        std::string error;
        if (ImageCodec::decodeFile(job.first, 4096, image, error))
            image = shrink(image, job.second);
        else
            image = HostImage {};
        std::lock_guard<std::mutex> lock(m_lock);
        // Cancelled meanwhile: the picker that asked is gone.
        if (m_asked.count(job.first))
            m_done.emplace_back(std::move(job.first), std::move(image));
    }
}

std::vector<std::pair<std::string, HostImage>> FolderPhotoLibrary::takeFinishedThumbnails()
{
    std::lock_guard<std::mutex> lock(m_lock);
    std::vector<std::pair<std::string, HostImage>> done = std::move(m_done);
    m_done.clear();
    return done;
}

void FolderPhotoLibrary::cancelThumbnails()
{
    std::lock_guard<std::mutex> lock(m_lock);
    m_queue.clear();
    m_done.clear();
    m_asked.clear();
}

void FolderPhotoLibrary::fileDropped(const std::string& path) { m_dropped = path; }

std::string FolderPhotoLibrary::takeDroppedFile() { return std::exchange(m_dropped, std::string()); }

bool FolderPhotoLibrary::loadPicture(
    const std::string& path, int maxSide, long long maxPixels, HostImage& out, std::string& error)
{
    // The header alone says how large the picture is; a JPEG's size can sit well past its
    // start, behind EXIF data and thumbnails.
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        error = "The file could not be opened.";
        return false;
    }
    std::vector<std::uint8_t> head(256 * 1024);
    file.read(reinterpret_cast<char*>(head.data()), static_cast<std::streamsize>(head.size()));
    head.resize(static_cast<std::size_t>(file.gcount()));
    if (head.empty()) {
        error = "The file is empty.";
        return false;
    }
    ImageCodec::Format format = ImageCodec::Format::Unknown;
    int width = 0, height = 0;
    if (ImageCodec::probe(head.data(), head.size(), format, width, height)
        && (width > maxSide || height > maxSide || static_cast<long long>(width) * height > maxPixels)) {
        error = "The picture is too large (" + std::to_string(width) + " x " + std::to_string(height)
            + " pixels). Pictures up to " + std::to_string(maxSide) + " pixels a side can be used.";
        return false;
    }
    std::string why;
    if (!ImageCodec::decodeFile(path, maxSide, out, why)) {
        error = "The picture could not be read: " + why;
        return false;
    }
    if (static_cast<long long>(out.width) * out.height > maxPixels) {
        error = "The picture is too large.";
        out = HostImage {};
        return false;
    }
    return true;
}
