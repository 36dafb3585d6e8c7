#pragma once
// The photo library in a browser: the phone's own chooser (an <input type="file"
// accept="image/*">, which offers the photo library and the camera) in place of the game's grid.
// The page writes the chosen file into the program's file system and says so through the
// bz_photo_* entry points.

#include "Platform/PhotoLibrary.h"

#include <string>

class WebPhotoLibrary final : public PhotoLibrary {
public:
    WebPhotoLibrary();
    ~WebPhotoLibrary() override;

    bool libraryAvailable() const override { return true; }
    // The browser's chooser offers the camera itself.
    bool cameraAvailable() const override { return false; }
    std::string folder() const override { return ""; }
    std::vector<std::string> pictures() override { return {}; }
    void requestThumbnail(const std::string&, int) override { }
    std::vector<std::pair<std::string, HostImage>> takeFinishedThumbnails() override { return {}; }
    void cancelThumbnails() override { }
    std::string takeDroppedFile() override;
    bool loadPicture(const std::string& path, int maxSide, long long maxPixels, HostImage& out,
        std::string& error) override;

    bool hasSystemPicker() const override { return true; }
    void presentSystemPicker() override;
    bool takeSystemPickerCancelled() override;

    // From the page: a file written to path (or, when it was too large to read, only its size
    // known), or the chooser closed without one.
    void chosen(const std::string& path, double bytes);
    void cancelled() { m_cancelled = true; }

    static WebPhotoLibrary* shared() { return s_shared; }
    // Where the page puts chosen files.
    static constexpr const char* kFolder = "/tmp/picked";
    // Larger files are not read into the page at all.
    static constexpr double kMaxFileBytes = 64.0 * 1024 * 1024;

private:
    static WebPhotoLibrary* s_shared;
    std::string m_chosen;
    double m_chosenBytes = 0;
    bool m_cancelled = false;
};
