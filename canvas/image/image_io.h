// Reading and writing JPEG, PNG and BMP pictures into and out of a Surface
// (24-bit blue-green-red, rows bottom-up) and an optional AlphaPlane.
//
// Every reader works from memory (the file readers read the whole file first),
// refuses a picture larger than kMaxSurfaceSide on a side before allocating
// for it, survives a codec error part-way through the data, and leaves the
// caller's surface untouched when it fails. Every writer writes a temporary
// file beside the target and replaces the target only when all went well.
// Failures are reported by result code and, as listed, one message box
// through the platform (ShowMessage). Paths are Shift-JIS.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "base/bytes.h"
#include "base/file_io.h"
#include "canvas/image/surface.h"

namespace sylvane {

enum class ImageType { kUnknown, kPng, kBmp, kJpeg };

// The type of a picture file, first match wins:
//  PNG  - the file starts with the 8-byte PNG signature (whatever its name);
//  BMP  - the name ends in ".bmp" (any mix of case) and the file starts "BM";
//  JPEG - the name ends in ".jpg" or "jpeg" (any mix of case); content not looked at.
ImageType DetectImageType(const std::string& path);

// Loads a picture of any supported type. PNG and BMP failures always show
// their message; a JPEG failure or an unknown type only when show_messages is
// set. Returns 0, or -1 on any failure. On success out.path = path.
int LoadImage(const std::string& path, Surface& out, bool show_messages = true);

// As LoadImage, also filling alpha (width x height bytes, same row order):
// a PNG's own alpha (255 where it has none), 255 everywhere for BMP and JPEG.
// An unknown type shows "ファイルの読み込みに失敗しました。未対応のファイルです。"
// with the path as caption. Returns 0, or -1 on any failure (alpha untouched).
int LoadImageWithAlpha(const std::string& path, Surface& out, AlphaPlane& alpha);

// PNG reader results.
constexpr int kPngOk = 0;
constexpr int kPngBadColorType = -1;   // "PNGファイルのカラータイプが未対応です。"
constexpr int kPngBadBitDepth = -2;    // bit depth other than 8 (16-bit, 1/2/4-bit grey)
constexpr int kPngPalette = -3;        // palette PNG, any depth
constexpr int kPngCannotOpen = -4;     // cannot open, or damaged data
constexpr int kPngNotPng = -5;         // no PNG signature
constexpr int kPngTooLarge = -6;       // a side above kMaxSurfaceSide

// Reads an 8-bit grey, grey+alpha, RGB or RGBA PNG. alpha may be null; when
// given it receives the PNG's alpha (255 for types without). Always shows the
// message of a failure (caption "失敗").
int ReadPng(const std::string& path, Surface& out, AlphaPlane* alpha);
// The same from memory (a canvas file embeds a PNG stream).
int DecodePng(const uint8_t* data, size_t size, Surface& out, AlphaPlane* alpha, bool show_messages);

// BMP reader results (a non-negative value is success).
constexpr int kBmpCannotOpen = -100;
constexpr int kBmpNotBmp = -101;
constexpr int kBmpCannotReopen = -1;
constexpr int kBmpNotFullColour = -2;  // biBitCount other than 24 ("エラー" caption)
constexpr int kBmpShortPixels = -3;    // fewer pixel bytes than height * stride
constexpr int kBmpShortFileHeader = -4;
constexpr int kBmpShortInfoHeader = -5;
constexpr int kBmpBadSize = -6;        // width or height 0 or negative width
constexpr int kBmpCompressed = -7;     // biCompression other than BI_RGB
constexpr int kBmpSeekFailed = -8;
constexpr int kBmpTooLarge = -9;       // a side above kMaxSurfaceSide

// Reads an uncompressed 24-bit BMP. The pixel rows are read from byte 54
// whatever bfOffBits says and kept in stored order whatever the sign of the
// height; the headers are kept as read. Returns bfSize - 14 (at least 0) on
// success, a code above on failure, and always shows the failure's message.
int LoadBmp(const std::string& path, Surface& out);
int DecodeBmp(const uint8_t* data, size_t size, Surface& out, bool show_messages);

// Reads a baseline or progressive 8-bit colour or greyscale JPEG (grey comes
// out as grey pixels). CMYK and 12-bit files are refused. Returns 0 or -1;
// the message "JPEGファイルオープンに失敗しました。2" only with show_messages.
int ReadJpeg(const std::string& path, Surface& out, bool show_messages);
int DecodeJpeg(const uint8_t* data, size_t size, Surface& out, bool show_messages);

// Writes a progressive JPEG at quality 0..100 (baseline-compatible tables).
// 0, or -1 with "ファイルオープンに失敗しました。WRITE_JPEG" (caption "失敗").
int WriteJpeg(const std::string& path, const Surface& s, int quality);
bool EncodeJpeg(const Surface& s, int quality, std::vector<uint8_t>& out);

// Writes an 8-bit RGB PNG, or RGBA when an alpha plane of the surface's size is
// given. 0, or -1 with "ファイルオープンに失敗しました。WRITE_PNG" (caption "失敗").
int WritePng(const std::string& path, const Surface& s, const AlphaPlane* alpha = nullptr);
// How hard the PNG encoder compresses: kSmall is libpng's default (every row
// filter tried, deflate level 6); kFast filters every row by the row above and
// deflates at level 2, about six times faster for a file some 15 % larger
// (canvas files, which are written on every periodic save).
enum class PngPacking { kSmall, kFast };
// The PNG stream in memory; false when s is empty or the alpha plane does not fit.
bool EncodePng(const Surface& s, const AlphaPlane* alpha, std::vector<uint8_t>& out,
               PngPacking packing = PngPacking::kSmall);
// The same stream handed to sink in the pieces libpng makes (chunk heads,
// compressed data of at most a few kilobytes, checksums), so that the whole
// stream is never held in memory. False when s is empty, the alpha plane does
// not fit (checked before anything reaches the sink) or the sink refused
// bytes; the sink may then hold part of a stream.
bool StreamPng(const Surface& s, const AlphaPlane* alpha, PngPacking packing, ByteSink& sink);

// Writes a 24-bit BMP with fresh headers (offset 54, positive height),
// flushed to the disk unless durability says kCached (see AtomicFile).
// 0, or -3 with "ファイル生成に失敗しました。" (caption "Error").
int WriteBmp(const std::string& path, const Surface& s, Durability durability = Durability::kFlushed);
bool EncodeBmp(const Surface& s, std::vector<uint8_t>& out);

}  // namespace sylvane
