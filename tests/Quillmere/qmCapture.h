#pragma once
// A frame the program wrote with --capture, read back for its pixels.

#include <png.h>

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace qmtest {

// A captured frame as RGBA rows; empty when the file does not read.
struct Capture {
    int nWidth = 0, nHeight = 0;
    std::vector<uint8_t> rgba;
    // The pixel's red, green and blue, or -1s outside the picture.
    std::array<int, 3> At(int x, int y) const
    {
        if (x < 0 || y < 0 || x >= nWidth || y >= nHeight)
            return {-1, -1, -1};
        const uint8_t* p = &rgba[(static_cast<size_t>(y) * static_cast<size_t>(nWidth) + static_cast<size_t>(x)) * 4];
        return {p[0], p[1], p[2]};
    }
};

inline Capture ReadCapture(const std::string& path)
{
    Capture c;
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, path.c_str()))
        return c;
    image.format = PNG_FORMAT_RGBA;
    c.rgba.resize(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, c.rgba.data(), 0, nullptr)) {
        png_image_free(&image);
        c.rgba.clear();
        return c;
    }
    c.nWidth = static_cast<int>(image.width);
    c.nHeight = static_cast<int>(image.height);
    return c;
}

}  // namespace qmtest
