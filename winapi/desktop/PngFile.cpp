#include "desktop/PngFile.h"

#include <png.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace WinApi {
namespace {

// The temporary file until it is renamed: removed on every other way out.
class TemporaryFile {
public:
    explicit TemporaryFile(const std::string& destination) {
        const size_t slash = destination.rfind('/');
        const std::string folder = slash == std::string::npos ? "." : destination.substr(0, slash);
        const std::string name =
            slash == std::string::npos ? destination : destination.substr(slash + 1);
        // Hidden and unique, in the destination's folder so that the rename
        // stays on one file system.
        std::string pattern = folder + "/." + name + ".XXXXXX";
        Descriptor = ::mkstemp(pattern.data());
        if (Descriptor >= 0)
            Path = pattern;
    }
    ~TemporaryFile() {
        if (File)
            std::fclose(File);
        else if (Descriptor >= 0)
            ::close(Descriptor);
        if (!Path.empty())
            ::unlink(Path.c_str());
    }
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;

    bool Opened() const { return Descriptor >= 0; }
    std::FILE* Stream() {
        if (!File && Descriptor >= 0)
            File = ::fdopen(Descriptor, "wb");
        return File;
    }
    // Flushes, closes and renames; errno tells why when it fails.
    bool Commit(const std::string& destination) {
        std::FILE* file = File;
        File = nullptr;
        Descriptor = -1;
        // mkstemp makes the file private; a picture is for anyone to see.
        bool written = ::fchmod(::fileno(file), 0644) == 0 && std::fflush(file) == 0 &&
                       ::fsync(::fileno(file)) == 0;
        const int writeError = errno;
        written = std::fclose(file) == 0 && written;
        if (!written) {
            errno = writeError;
            return false;
        }
        if (::rename(Path.c_str(), destination.c_str()) != 0)
            return false;
        Path.clear();
        return true;
    }

private:
    int Descriptor = -1;
    std::FILE* File = nullptr;
    std::string Path;
};

std::string Failure(const std::string& path, const char* why) {
    return "the picture could not be saved to " + path + ": " + why;
}

} // namespace

std::string WritePngFile(const std::string& path, int width, int height,
                         const std::vector<std::uint32_t>& pixels) {
    if (width <= 0 || height <= 0 ||
        pixels.size() != static_cast<size_t>(width) * static_cast<size_t>(height))
        return Failure(path, "the window has no picture");
    std::vector<png_byte> rgb(pixels.size() * 3);
    for (size_t i = 0; i < pixels.size(); ++i) {
        rgb[3 * i] = static_cast<png_byte>(pixels[i] >> 16);
        rgb[3 * i + 1] = static_cast<png_byte>(pixels[i] >> 8);
        rgb[3 * i + 2] = static_cast<png_byte>(pixels[i]);
    }
    TemporaryFile temporary(path);
    if (!temporary.Opened())
        return Failure(path, std::strerror(errno));
    std::FILE* stream = temporary.Stream();
    if (!stream)
        return Failure(path, std::strerror(errno));
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    image.width = static_cast<png_uint_32>(width);
    image.height = static_cast<png_uint_32>(height);
    image.format = PNG_FORMAT_RGB;
    errno = 0;
    if (!png_image_write_to_stdio(&image, stream, 0, rgb.data(), 0, nullptr)) {
        const int error = errno;
        std::string why = image.message;
        png_image_free(&image);
        return Failure(path, error != 0 ? std::strerror(error) : why.c_str());
    }
    if (!temporary.Commit(path))
        return Failure(path, std::strerror(errno));
    return {};
}

} // namespace WinApi
