#include "gx/gl/gxPngWriter.h"

#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <png.h>

#include "platform/os.h"

namespace gxgl {

static bool WriteRows(FILE* file, const std::vector<png_bytep>& rows, int width, int height)
{
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    if (!png)
        return false;
    png_infop info = png_create_info_struct(png);
    if (!info) {
        png_destroy_write_struct(&png, nullptr);
        return false;
    }
    // libpng reports errors by longjmp; nothing with a destructor lives in this frame.
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return false;
    }
    png_init_io(png, file);
    png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8,
                 PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    png_set_filler(png, 0, PNG_FILLER_AFTER);  // input rows carry a fourth byte to skip
    png_write_image(png, const_cast<png_bytepp>(rows.data()));
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return true;
}

namespace {

// Where a picture for a path goes. A path that names something other than
// a regular file (a device, a pipe) is written in place and never removed:
// it is not the program's to replace. Any other is written to a new file
// beside the file it names (through symbolic links) and renamed over that
// once complete, so a failed write leaves the target as it was and removes
// only the new file. Where no new file can be made (a folder the user may
// not write to) the target is written in place, and kept whatever happens.
// One picture at a time is written to a target.
struct Destination {
    std::string target;  // the file the finished picture replaces
    std::string temp;    // the new file written first; empty: in place
    FILE* file = nullptr;
};

// A new file beside target (named for it and this process), open for
// writing, with the permission bits of the file it replaces (a new one's are
// what the umask leaves of 0666). Null when it cannot be made, or when a file
// of that name is there already (left by an earlier process of the same id,
// say): that one is not ours to remove.
FILE* OpenBeside(const std::string& target, const struct stat* pReplaced, std::string* pTemp)
{
    std::string temp = target + "." + std::to_string(getpid()) + ".tmp";
    const int fd = open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0)
        return nullptr;
    if (pReplaced)
        fchmod(fd, pReplaced->st_mode & 07777);
    FILE* file = fdopen(fd, "wb");
    if (!file) {
        close(fd);
        unlink(temp.c_str());
        return nullptr;
    }
    *pTemp = std::move(temp);
    return file;
}

Destination Open(const char* path)
{
    Destination d{path, "", nullptr};
    struct stat st, link;
    const bool bExists = stat(path, &st) == 0;
    // A link to nothing: the file it names is made in place.
    const bool bInPlace = bExists ? !S_ISREG(st.st_mode) : lstat(path, &link) == 0;
    if (!bInPlace) {
        if (char* resolved = bExists ? realpath(path, nullptr) : nullptr) {
            d.target = resolved;
            std::free(resolved);
        }
        d.file = OpenBeside(d.target, bExists ? &st : nullptr, &d.temp);
    }
    if (!d.file)
        d.file = std::fopen(path, "wb");
    return d;
}

}  // namespace

bool WritePngRgb(const char* path, const uint8_t* rgba, int width, int height)
{
    if (!path || !rgba || width <= 0 || height <= 0) {
        OSReport("VI: screenshot: no image to write\n");
        return false;
    }
    const Destination d = Open(path);
    if (!d.file) {
        OSReport("VI: screenshot: cannot open \"%s\" for writing\n", path);
        return false;
    }
    std::vector<png_bytep> rows(static_cast<size_t>(height));
    for (int y = 0; y < height; ++y)
        rows[static_cast<size_t>(y)] = const_cast<png_bytep>(rgba + static_cast<size_t>(y) * width * 4);
    const bool bWritten = WriteRows(d.file, rows, width, height);
    const bool bClosed = std::fclose(d.file) == 0;
    const bool bPlaced = bWritten && bClosed && (d.temp.empty() || rename(d.temp.c_str(), d.target.c_str()) == 0);
    if (!bPlaced) {
        OSReport("VI: screenshot: writing \"%s\" failed\n", path);
        if (!d.temp.empty())
            unlink(d.temp.c_str());
        return false;
    }
    return true;
}

}  // namespace gxgl
