// Image files through the still-image codec service (GraphicsMagick):
// loading any format it reads into the current image, saving the current
// image as BMP, JPEG (quality 100), GIF, PNG or TIFF.
#pragma once

#include <string>

enum ImageFormat { kFormatBmp = 0, kFormatJpeg = 1, kFormatGif = 2, kFormatPng = 3, kFormatTiff = 4 };

extern int jpegQuality;  // 100

// 0 drawn; 1 the file cannot be read (nothing drawn); 2 no live current image.
int LoadImageFile(const char* path, int x, int y);
// 0 saved; 1 the save failed (any file that stood at the path is untouched);
// 2 width or height 0; 3 no live current image.
int SaveImageFile(int width, int height, int format, const char* path);
// Copies a rectangle of the current image; pixels outside it are 0.
void ReadImageRegion(void* buffer, int x, int y, int width, int height);
// The codec's name for the encoder of a mime type ("PNG" for "image/png"):
// 0 found; 1 none (classId unchanged).
int FindEncoderByMimeType(const std::string& mimeType, std::string* classId);
// Appends the extension unless the path's last four characters, lower-cased,
// contain it. At most 259 characters are kept.
void AppendExtension(std::string& path, const std::string& extension);

// Width and height of an image file without drawing it (0, 0 when unreadable).
void ImageFileSize(const char* path, int* width, int* height);
