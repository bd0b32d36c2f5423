// PNG output through stb_image_write.
#include "host/io/png_file.h"

#include <vector>

#include "host/io/error.h"

#define STB_IMAGE_WRITE_IMPLEMENTATION
#define STBI_WRITE_NO_STDIO_UNUSED
#include <stb_image_write.h>

namespace tarnhost {

void writePng(const std::string& path, const uint32_t* bgrx, int width, int height) {
    std::vector<uint8_t> rgb(static_cast<size_t>(width) * height * 3);
    for (size_t i = 0; i < static_cast<size_t>(width) * height; ++i) {
        rgb[i * 3 + 0] = static_cast<uint8_t>(bgrx[i] >> 16);
        rgb[i * 3 + 1] = static_cast<uint8_t>(bgrx[i] >> 8);
        rgb[i * 3 + 2] = static_cast<uint8_t>(bgrx[i]);
    }
    if (stbi_write_png(path.c_str(), width, height, 3, rgb.data(), width * 3) == 0)
        throw Error("cannot write " + path);
}

}  // namespace tarnhost
