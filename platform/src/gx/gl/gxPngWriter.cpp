#include "gx/gl/gxPngWriter.h"

#include <csetjmp>
#include <cstdio>
#include <vector>

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

bool WritePngRgb(const char* path, const uint8_t* rgba, int width, int height)
{
    if (!path || !rgba || width <= 0 || height <= 0) {
        OSReport("VI: screenshot: no image to write\n");
        return false;
    }
    FILE* file = std::fopen(path, "wb");
    if (!file) {
        OSReport("VI: screenshot: cannot open \"%s\" for writing\n", path);
        return false;
    }
    std::vector<png_bytep> rows(static_cast<size_t>(height));
    for (int y = 0; y < height; ++y)
        rows[static_cast<size_t>(y)] = const_cast<png_bytep>(rgba + static_cast<size_t>(y) * width * 4);
    const bool written = WriteRows(file, rows, width, height);
    const bool closed = std::fclose(file) == 0;
    if (!written || !closed) {
        OSReport("VI: screenshot: writing \"%s\" failed\n", path);
        std::remove(path);
        return false;
    }
    return true;
}

}  // namespace gxgl
