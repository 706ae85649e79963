#include "core/FileSystem.h"

std::unique_ptr<IFile> openTrackFile(IFileSystem& files, const std::string& path, const std::u16string& widePath) {
    return widePath.empty() ? files.openRead(path) : files.openReadWide(widePath);
}

bool trackFileExists(IFileSystem& files, const std::string& path, const std::u16string& widePath) {
    return widePath.empty() ? files.exists(path) : files.existsWide(widePath);
}
