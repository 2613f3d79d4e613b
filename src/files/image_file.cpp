#include "files/image_file.h"

#include <Magick++.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <vector>

#include "image/image_table.h"
#include "platform/codec_service.h"

int jpegQuality = 100;

namespace {

struct FormatInfo {
    const char* mime;
    const char* extension;
    const char* codec;
};
constexpr FormatInfo kFormats[5] = {{"image/bmp", ".bmp", "BMP3"},
                                    {"image/jpeg", ".jpg", "JPEG"},
                                    {"image/gif", ".gif", "GIF"},
                                    {"image/png", ".png", "PNG"},
                                    {"image/tiff", ".tif", "TIFF"}};

bool Live() { return unsigned(currentImage) < unsigned(kImageSlots) && imageTable[currentImage].inUse; }

// Reads a file whole; false when the codec cannot (warnings are not errors).
bool ReadFile(const char* path, Magick::Image& img) {
    if (!path || !*path) return false;
    try {
        img.read(path);
    } catch (const Magick::Warning&) {
        // A damaged but readable file: what was read is kept.
    } catch (const std::exception&) {
        return false;
    }
    return img.isValid() && img.columns() > 0 && img.rows() > 0;
}

}  // namespace

void ImageFileSize(const char* path, int* width, int* height) {
    // The library must be initialised before its first object is made.
    plat::startCodecService(nullptr);
    Magick::Image img;
    const bool ok = ReadFile(path, img);
    if (width) *width = ok ? int(img.columns()) : 0;
    if (height) *height = ok ? int(img.rows()) : 0;
}

int LoadImageFile(const char* path, int x, int y) {
    if (!Live()) return 2;
    plat::startCodecService(nullptr);
    Magick::Image img;
    if (!ReadFile(path, img)) return 1;
    const int w = int(img.columns()), h = int(img.rows());
    // Decode completely before anything is drawn: a failure leaves the image as it was.
    std::vector<uint8_t> rgb(size_t(w) * h * 3);
    std::vector<ColourEntry> palette;
    try {
        img.write(0, 0, unsigned(w), unsigned(h), "RGB", Magick::CharPixel, rgb.data());
        if (imageTable[currentImage].bitsPerPixel == 8 && img.classType() == Magick::PseudoClass) {
            const size_t n = std::min<size_t>(img.colorMapSize(), 256);
            for (size_t i = 0; i < n; ++i) {
                const Magick::ColorRGB c = img.colorMap(i);
                palette.push_back(ColourEntry{uint8_t(c.blue() * 255 + 0.5), uint8_t(c.green() * 255 + 0.5),
                                              uint8_t(c.red() * 255 + 0.5), 0});
            }
        }
    } catch (const std::exception&) {
        return 1;
    }
    ImageSlot& s = imageTable[currentImage];
    if (!palette.empty()) ORV_SetPalette(palette.data(), int(palette.size()));
    plat::Surface& dst = *s.bitmap;
    // An 8-bit target takes the nearest colour-table entry of each pixel.
    std::vector<int> cacheKey(4096, -1);
    std::vector<uint8_t> cacheVal(4096);
    for (int j = 0; j < h; ++j) {
        const int ty = y + j;
        if (ty < 0 || ty >= s.height) continue;
        for (int i = 0; i < w; ++i) {
            const int tx = x + i;
            if (tx < 0 || tx >= s.width) continue;
            const uint8_t* p = &rgb[(size_t(j) * w + i) * 3];
            const uint32_t c = uint32_t(p[0]) << 16 | uint32_t(p[1]) << 8 | p[2];
            if (s.bitsPerPixel == 32) {
                dst.row32(ty)[tx] = c;
            } else {
                const int key = int(((c >> 12) ^ c) & 4095);
                if (cacheKey[size_t(key)] != int(c)) {
                    cacheKey[size_t(key)] = int(c);
                    cacheVal[size_t(key)] = plat::nearestPaletteIndex(dst.palette, c);
                }
                dst.row8(ty)[tx] = cacheVal[size_t(key)];
            }
        }
    }
    return 0;
}

void ReadImageRegion(void* buffer, int x, int y, int width, int height) {
    if (!Live() || !buffer) return;
    const bool eight = currentView.bits == 8;
    for (int j = 0; j < height; ++j)
        for (int i = 0; i < width; ++i) {
            const int px = x + i, py = y + j;
            const bool in = unsigned(px) < currentView.width && unsigned(py) < currentView.height;
            const size_t k = size_t(j) * size_t(width) + size_t(i);
            if (eight) static_cast<uint8_t*>(buffer)[k] = in ? uint8_t(ORV_GetPixel(px, py)) : 0;
            else static_cast<uint32_t*>(buffer)[k] = in ? uint32_t(ORV_GetPixel(px, py)) : 0;
        }
}

int FindEncoderByMimeType(const std::string& mime, std::string* classId) {
    for (const FormatInfo& f : kFormats)
        if (mime == f.mime) {
            if (classId) *classId = f.codec;
            return 0;
        }
    return 1;
}

void AppendExtension(std::string& path, const std::string& ext) {
    if (path.size() >= 4) {
        std::string tail = path.substr(path.size() - 4);
        for (char& c : tail) c = char(std::tolower(static_cast<unsigned char>(c)));
        if (tail.find(ext) != std::string::npos) return;
    }
    path += ext;
    if (path.size() > 259) path.resize(259);
}

int SaveImageFile(int width, int height, int format, const char* pathIn) {
    if (!Live()) return 3;
    if (width == 0 || height == 0) return 2;
    if (width < 0 || height < 0 || format < 0 || format > 4 || !pathIn) return 1;
    std::string codec;
    if (FindEncoderByMimeType(kFormats[format].mime, &codec) != 0) return 1;
    std::string path = pathIn;
    AppendExtension(path, kFormats[format].extension);
    plat::startCodecService(nullptr);
    const ImageSlot& s = imageTable[currentImage];
    try {
        Magick::Image img;
        if (s.bitsPerPixel == 32) {
            std::vector<uint32_t> region(size_t(width) * height);
            ReadImageRegion(region.data(), 0, 0, width, height);
            // Each word is B, G, R, pad in memory; the top byte is dropped.
            img.read(unsigned(width), unsigned(height), "BGRP", Magick::CharPixel, region.data());
            img.type(Magick::TrueColorType);
        } else {
            std::vector<uint8_t> region(size_t(width) * height);
            ReadImageRegion(region.data(), 0, 0, width, height);
            img.size(Magick::Geometry(unsigned(width), unsigned(height)));
            img.classType(Magick::PseudoClass);
            img.colorMapSize(256);
            for (int i = 0; i < 256; ++i) {
                const uint32_t c = s.bitmap->palette[size_t(i)];
                img.colorMap(size_t(i), Magick::ColorRGB(((c >> 16) & 0xFF) / 255.0, ((c >> 8) & 0xFF) / 255.0,
                                                         (c & 0xFF) / 255.0));
            }
            img.modifyImage();
            Magick::PixelPacket* px = img.getPixels(0, 0, unsigned(width), unsigned(height));
            Magick::IndexPacket* idx = img.getIndexes();
            if (!px || !idx) return 1;
            for (size_t k = 0; k < region.size(); ++k) {
                idx[k] = region[k];
                px[k] = img.colorMap(region[k]);
            }
            img.syncPixels();
        }
        img.depth(8);
        if (format == kFormatJpeg) img.quality(size_t(jpegQuality));
        // A temporary name beside the target, renamed when complete, so a
        // failed save never leaves a truncated file where a good one stood.
        const std::string tmp = path + ".part" + std::to_string(getpid());
        try {
            img.write(codec + ":" + tmp);
        } catch (const Magick::Warning&) {
        } catch (const std::exception&) {
            unlink(tmp.c_str());
            return 1;
        }
        if (std::rename(tmp.c_str(), path.c_str()) != 0) {
            unlink(tmp.c_str());
            return 1;
        }
    } catch (const std::exception&) {
        return 1;
    }
    return 0;
}
