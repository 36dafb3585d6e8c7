#include "Platform/Web/WebPhotoLibrary.h"

#include "Platform/Web/WebHost.h"

#include <emscripten.h>
#include <stb/stb_image.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <utility>

// clang-format off
EM_JS(void, bz_js_choose_photo, (), {
    if (Module.bzChoosePhoto)
        Module.bzChoosePhoto();
});
// clang-format on

extern "C" {
EMSCRIPTEN_KEEPALIVE void bz_photo_chosen(const char* path, double bytes)
{
    if (WebPhotoLibrary* photos = WebPhotoLibrary::shared())
        photos->chosen(path ? path : "", bytes);
}
EMSCRIPTEN_KEEPALIVE void bz_photo_cancelled()
{
    if (WebPhotoLibrary* photos = WebPhotoLibrary::shared())
        photos->cancelled();
}
}

WebPhotoLibrary* WebPhotoLibrary::s_shared = nullptr;

WebPhotoLibrary::WebPhotoLibrary()
{
    s_shared = this;
    std::error_code ignored;
    std::filesystem::create_directories(kFolder, ignored);
}

WebPhotoLibrary::~WebPhotoLibrary()
{
    if (s_shared == this)
        s_shared = nullptr;
}

void WebPhotoLibrary::presentSystemPicker() { bz_js_choose_photo(); }

void WebPhotoLibrary::chosen(const std::string& path, double bytes)
{
    m_chosen = path;
    m_chosenBytes = bytes;
    m_cancelled = false;
}

std::string WebPhotoLibrary::takeDroppedFile() { return std::exchange(m_chosen, {}); }

bool WebPhotoLibrary::takeSystemPickerCancelled() { return std::exchange(m_cancelled, false); }

// The same checks and messages as the desktop's picture folder.
bool WebPhotoLibrary::loadPicture(
    const std::string& path, int maxSide, long long maxPixels, HostImage& out, std::string& error)
{
    const std::string name = path.substr(path.find_last_of('/') + 1);
    if (m_chosenBytes > kMaxFileBytes) {
        error = "The picture could not be read: " + name + " is larger than "
            + std::to_string(int(kMaxFileBytes / (1024 * 1024))) + " MiB";
        return false;
    }
    std::vector<std::uint8_t> bytes;
    {
        std::ifstream file(path, std::ios::binary);
        if (!file) {
            error = "The file could not be opened.";
            return false;
        }
        bytes.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
    }
    // Read once: the page's memory is the file system's.
    if (path.rfind(kFolder, 0) == 0) {
        std::error_code ignored;
        std::filesystem::remove(path, ignored);
    }
    if (bytes.empty()) {
        error = "The file is empty.";
        return false;
    }
    int width = 0, height = 0, channels = 0;
    if (stbi_info_from_memory(bytes.data(), int(bytes.size()), &width, &height, &channels)
        && (width > maxSide || height > maxSide || static_cast<long long>(width) * height > maxPixels)) {
        error = "The picture is too large (" + std::to_string(width) + " x " + std::to_string(height)
            + " pixels). Pictures up to " + std::to_string(maxSide) + " pixels a side can be used.";
        return false;
    }
    std::string why;
    if (!WebHost::decodePicture(bytes.data(), bytes.size(), maxSide, out, why)) {
        error = "The picture could not be read: " + name + ": " + why;
        return false;
    }
    return true;
}
