#include "gx/gl/gxPngWriter.h"

#include <cerrno>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <png.h>

#include "platform/os.h"

namespace gxgl {

namespace {

// Where the encoder's bytes go: a stream, or memory.
void AppendToVector(png_structp png, png_bytep data, png_size_t length)
{
    auto* pOut = static_cast<std::vector<uint8_t>*>(png_get_io_ptr(png));
    pOut->insert(pOut->end(), data, data + length);
}

void FlushNothing(png_structp) {}

// libpng's own messages would go to stderr without the file's name; the
// caller reports a failure once, naming the file. An error still ends the
// encoding through the jump set in Encode.
[[noreturn]] void JumpOnError(png_structp png, png_const_charp) { png_longjmp(png, 1); }
void IgnoreWarning(png_structp, png_const_charp) {}

// The picture as PNG into file, or into pOut when file is null.
bool Encode(FILE* file, std::vector<uint8_t>* pOut, const std::vector<png_bytep>& rows, int width, int height)
{
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, JumpOnError, IgnoreWarning);
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
    if (file)
        png_init_io(png, file);
    else
        png_set_write_fn(png, pOut, AppendToVector, FlushNothing);
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

// Where a picture for a path goes. A path that names something other than
// a regular file (a device, a pipe) is written in place and never removed:
// it is not the program's to replace. Any other is written to a new file
// beside the file it names (through symbolic links) and renamed over that
// once complete, so a failed write leaves the target as it was and removes
// only the new file. Where no new file can be made (a folder the user may
// not write to) the target is rewritten in place, but only once the whole
// picture is encoded and the room for it is made (RewriteInPlace).
// One picture at a time is written to a target.
struct Destination {
    std::string target;  // the file the finished picture replaces
    std::string temp;    // the new file written first; empty: in place
    FILE* file = nullptr;
    bool bRegular = false;  // a regular file or a new one: rewritten in place only whole
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

// A device or a pipe is opened to be written as it is; a regular target
// without a new file beside it is left closed for RewriteInPlace.
Destination Open(const char* path)
{
    Destination d{path, "", nullptr, false};
    struct stat st, link;
    const bool bExists = stat(path, &st) == 0;
    // A link to nothing: the file it names is made in place.
    const bool bInPlace = bExists ? !S_ISREG(st.st_mode) : lstat(path, &link) == 0;
    if (bInPlace) {
        d.file = std::fopen(path, "wb");
        return d;
    }
    d.bRegular = true;
    if (char* resolved = bExists ? realpath(path, nullptr) : nullptr) {
        d.target = resolved;
        std::free(resolved);
    }
    d.file = OpenBeside(d.target, bExists ? &st : nullptr, &d.temp);
    return d;
}

bool WriteAll(int fd, const std::vector<uint8_t>& bytes)
{
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = pwrite(fd, bytes.data() + done, bytes.size() - done, static_cast<off_t>(done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += static_cast<size_t>(n);
    }
    return true;
}

// The file's blocks for size bytes, or false with the file as it was: a
// file-size limit or a full device fails here, before a byte is written.
bool MakeRoom(int fd, off_t oldSize, off_t size)
{
    // A write past the file-size limit fails at any offset, inside the file
    // too, where reserving blocks asks nothing of the limit.
    rlimit limit;
    if (getrlimit(RLIMIT_FSIZE, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY &&
        static_cast<rlim_t>(size) > limit.rlim_cur)
        return false;
    int err = posix_fallocate(fd, 0, size);
    while (err == EINTR)
        err = posix_fallocate(fd, 0, size);
    if (err == 0)
        return true;
    // Where the file system cannot reserve blocks, the C library writes
    // them out itself: the file may have grown before the failure.
    struct stat st;
    if (fstat(fd, &st) == 0 && st.st_size != oldSize)
        ftruncate(fd, oldSize);
    return false;
}

// The whole picture over a regular target where no new file can be made
// beside it: encoded in memory, the room for it made, then written and cut
// to its length. A target that could not take it is left as it was; one
// this call made is removed again.
bool RewriteInPlace(const char* path, const std::vector<png_bytep>& rows, int width, int height)
{
    std::vector<uint8_t> bytes;
    if (!Encode(nullptr, &bytes, rows, width, height)) {
        OSReport("VI: screenshot: the picture for \"%s\" could not be encoded\n", path);
        return false;
    }
    bool bMade = false;
    int fd = open(path, O_WRONLY | O_CLOEXEC);
    if (fd < 0 && errno == ENOENT) {
        fd = open(path, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        bMade = fd >= 0;
    }
    if (fd < 0) {
        OSReport("VI: screenshot: cannot open \"%s\" for writing\n", path);
        return false;
    }
    struct stat st;
    const off_t size = static_cast<off_t>(bytes.size());
    const bool bRoom = fstat(fd, &st) == 0 && MakeRoom(fd, st.st_size, size);
    const bool bWritten = bRoom && WriteAll(fd, bytes) && ftruncate(fd, size) == 0;
    const bool bClosed = close(fd) == 0;
    if (!bRoom)
        OSReport("VI: screenshot: no room for %zu bytes in \"%s\"; it is left as it was\n", bytes.size(), path);
    else if (!bWritten || !bClosed)
        OSReport("VI: screenshot: writing \"%s\" failed\n", path);
    if (!(bWritten && bClosed) && bMade)
        unlink(path);
    return bWritten && bClosed;
}

}  // namespace

bool WritePngRgb(const char* path, const uint8_t* rgba, int width, int height)
{
    if (!path || !rgba || width <= 0 || height <= 0) {
        OSReport("VI: screenshot: no image to write\n");
        return false;
    }
    std::vector<png_bytep> rows(static_cast<size_t>(height));
    for (int y = 0; y < height; ++y)
        rows[static_cast<size_t>(y)] = const_cast<png_bytep>(rgba + static_cast<size_t>(y) * width * 4);
    const Destination d = Open(path);
    if (!d.file && d.bRegular)
        return RewriteInPlace(path, rows, width, height);
    if (!d.file) {
        OSReport("VI: screenshot: cannot open \"%s\" for writing\n", path);
        return false;
    }
    const bool bWritten = Encode(d.file, nullptr, rows, width, height);
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
