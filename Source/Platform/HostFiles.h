#pragma once
// Resources by name, the folder the program writes to, and the persistent key-value store.

#include <string>

class KeyValueStore;
class PhotoLibrary;

class HostFiles {
public:
    virtual ~HostFiles() = default;
    // Full path of a resource by file name, or "" when there is none.
    virtual std::string resourcePath(const std::string& fileName) = 0;
    // Folder for everything the program writes (settings, working directories).
    virtual std::string dataDirectory() = 0;
    // The persistent key-value store (opened on first use, lives as long as the host).
    virtual KeyValueStore& store() = 0;
    // Creates the folder, and any missing folders above it, with the permission bits given.
    // True when it exists afterwards. The POSIX version is in HostServices.cpp.
    virtual bool makeDirectory(const std::string& path, int mode);
    // Pictures for the photo picker (Platform/PhotoLibrary.h); null where there are none.
    virtual PhotoLibrary* photoLibrary() { return nullptr; }
};
