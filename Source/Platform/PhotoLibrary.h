#pragma once
// Where the photo picker gets its pictures: the user's picture folder, pictures dropped on the
// window, and (where one really works) a camera. Host code implements it; the game reaches it
// through HostFiles::photoLibrary(). No SDL or OS headers here.

#include "Platform/HostImages.h"

#include <memory>
#include <string>
#include <utility>
#include <vector>

class PhotoLibrary {
public:
    virtual ~PhotoLibrary() = default;

    // Whether a picture folder can be shown (it may be empty).
    virtual bool libraryAvailable() const = 0;
    // Only where a camera has delivered a frame; none on this platform so far.
    virtual bool cameraAvailable() const = 0;

    // The folder listed, for the picker's heading; "" when there is none.
    virtual std::string folder() const = 0;
    // Picture files in the folder (by extension: png, jpg, jpeg, ...), sorted by name. Reads
    // the folder each time.
    virtual std::vector<std::string> pictures() = 0;

    // Asks for a thumbnail no larger than maxSide pixels either way. The desktop makes it on a
    // worker thread so the frame never waits on a decoder; collect it with
    // takeFinishedThumbnails. Asking again for a path already asked for does nothing.
    virtual void requestThumbnail(const std::string& path, int maxSide) = 0;
    // Thumbnails made since the last call (main thread). A picture that cannot be read comes
    // back with an empty image.
    virtual std::vector<std::pair<std::string, HostImage>> takeFinishedThumbnails() = 0;
    // Drops pending requests and forgets what was made (the picker closed).
    virtual void cancelThumbnails() = 0;

    // A picture file dropped on the window, or chosen in the system's picker, since the last
    // call, or "".
    virtual std::string takeDroppedFile() = 0;

    // Where the platform has a picker of its own (a phone's browser offers its photo library
    // and camera), the game shows that instead of its grid. presentSystemPicker must be called
    // while a tap is being handled: browsers open a chooser only for one. What is chosen
    // arrives through takeDroppedFile.
    virtual bool hasSystemPicker() const { return false; }
    virtual void presentSystemPicker() { }
    // The player closed the system's picker without choosing, since the last call.
    virtual bool takeSystemPickerCancelled() { return false; }

    // The picture itself, decoded. Refused from the header, before decoding, when a side is over
    // maxSide or it has more than maxPixels pixels. False with a message for the player.
    virtual bool loadPicture(
        const std::string& path, int maxSide, long long maxPixels, HostImage& out, std::string& error)
        = 0;
};
