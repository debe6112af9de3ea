// JPEG reading and writing through libjpeg. The library reports errors by
// calling error_exit, which here jumps back to the guarded function; the frame
// that calls setjmp holds only plain data, and whatever the library allocated
// goes away with jpeg_destroy.
#include <cstdio>  // jpeglib.h needs FILE and size_t first
#include <jpeglib.h>
#include <jerror.h>

#include <csetjmp>
#include <cstdlib>
#include <cstring>

#include "base/file_io.h"
#include "canvas/image/image_common.h"
#include "canvas/image/image_io.h"
#include "platform/platform.h"

namespace sylvane {
namespace {

using namespace image_detail;

constexpr const char* kJpegReadFailText = "JPEGファイルオープンに失敗しました。2";
// A progressive file may have any number of scans; this many already means a
// damaged or hostile file that would only burn time.
constexpr int kMaxJpegScans = 500;

struct JpegErrorManager {
  jpeg_error_mgr pub;  // must come first: libjpeg sees only this part
  jmp_buf jump;        // where error_exit returns to
};

[[noreturn]] void JpegErrorExit(j_common_ptr cinfo) {
  JpegErrorManager* err = reinterpret_cast<JpegErrorManager*>(cinfo->err);
  std::longjmp(err->jump, 1);
}

// Warnings and traces are not printed: a desktop program has no console.
void JpegOutputMessage(j_common_ptr) {}

void JpegScanLimit(j_common_ptr cinfo) {
  j_decompress_ptr d = reinterpret_cast<j_decompress_ptr>(cinfo);
  if (cinfo->is_decompressor && d->input_scan_number > kMaxJpegScans) {
    JpegErrorExit(cinfo);
  }
}

// Warnings are passed over, except running out of data: libjpeg would pad a
// cut-off file with grey and call it a picture.
void JpegEmitMessage(j_common_ptr cinfo, int msg_level) {
  if (msg_level < 0 && cinfo->err->msg_code == JWRN_JPEG_EOF) JpegErrorExit(cinfo);
}

JpegErrorManager* InstallErrorManager(JpegErrorManager* err) {
  jpeg_std_error(&err->pub);
  err->pub.error_exit = JpegErrorExit;
  err->pub.output_message = JpegOutputMessage;
  err->pub.emit_message = JpegEmitMessage;
  return err;
}

// ---- reading ----

enum JpegReadResult { kJpegOk = 0, kJpegFailed = -1, kJpegTooLarge = -2 };

struct JpegReadJob {
  jpeg_decompress_struct cinfo;
  JpegErrorManager err;
  jpeg_progress_mgr progress;
  const uint8_t* data;  // the whole JPEG file
  size_t size;          // its bytes
  Surface* surface;     // receives the picture (created here)
  uint8_t* row;         // malloc'ed scanline buffer (when decoding to RGB)
};

int JpegReadBody(JpegReadJob* job) {
  jpeg_decompress_struct* cinfo = &job->cinfo;
  jpeg_create_decompress(cinfo);
  job->progress.progress_monitor = JpegScanLimit;
  cinfo->progress = &job->progress;
  jpeg_mem_src(cinfo, job->data, static_cast<unsigned long>(job->size));
  jpeg_read_header(cinfo, TRUE);
  // Only 8-bit grey and three-channel colour: CMYK, YCCK and other
  // component layouts are refused rather than shown in false colours.
  const bool grey = cinfo->jpeg_color_space == JCS_GRAYSCALE && cinfo->num_components == 1;
  const bool colour = (cinfo->jpeg_color_space == JCS_YCbCr || cinfo->jpeg_color_space == JCS_RGB) &&
                      cinfo->num_components == 3;
  if (!(grey || colour) || cinfo->data_precision != 8) return kJpegFailed;
  if (!FitsSurface(cinfo->image_width, cinfo->image_height)) return kJpegTooLarge;
#ifdef JCS_EXTENSIONS
  // The decoder writes blue, green, red straight into the surface rows.
  cinfo->out_color_space = JCS_EXT_BGR;
  const bool direct = true;
#else
  cinfo->out_color_space = JCS_RGB;
  const bool direct = false;
#endif
  jpeg_start_decompress(cinfo);
  const int w = int(cinfo->output_width);
  const int h = int(cinfo->output_height);
  if (cinfo->output_components != 3 || !FitsSurface(w, h)) return kJpegFailed;
  Surface& s = *job->surface;
  if (!s.CreateFilled(w, h, 0)) return kJpegTooLarge;  // padding bytes stay 0
  s.RefreshHeaders();
  if (!direct) {
    job->row = static_cast<uint8_t*>(std::malloc(size_t(w) * 3));
    if (!job->row) return kJpegFailed;
  }
  while (cinfo->output_scanline < cinfo->output_height) {
    // The first decoded scanline is the top of the picture: the last buffer row.
    uint8_t* target = s.BufferRow(h - 1 - int(cinfo->output_scanline));
    JSAMPROW row = direct ? target : job->row;
    if (jpeg_read_scanlines(cinfo, &row, 1) != 1) return kJpegFailed;
    if (!direct) {
      for (int x = 0; x < w; ++x) {
        target[3 * x] = job->row[3 * x + 2];
        target[3 * x + 1] = job->row[3 * x + 1];
        target[3 * x + 2] = job->row[3 * x];
      }
    }
  }
  jpeg_finish_decompress(cinfo);
  return kJpegOk;
}

int JpegReadGuarded(JpegReadJob* job) {
  job->cinfo.err = &InstallErrorManager(&job->err)->pub;
  if (setjmp(job->err.jump)) return kJpegFailed;
  return JpegReadBody(job);
}

// ---- writing ----

// A growing malloc'ed stream. libjpeg's own memory destination is not used:
// after an error part-way it leaves the caller a pointer to a freed buffer.
struct JpegMemoryDestination {
  jpeg_destination_mgr pub;  // must come first
  uint8_t* buffer;           // malloc'ed; freed by the caller on either path
  size_t capacity;           // bytes at buffer
  size_t size;               // bytes of the finished stream
};

void JpegInitDestination(j_compress_ptr cinfo) {
  JpegMemoryDestination* d = reinterpret_cast<JpegMemoryDestination*>(cinfo->dest);
  d->capacity = 65536;
  d->buffer = static_cast<uint8_t*>(std::malloc(d->capacity));
  if (!d->buffer) JpegErrorExit(reinterpret_cast<j_common_ptr>(cinfo));
  d->pub.next_output_byte = d->buffer;
  d->pub.free_in_buffer = d->capacity;
}

boolean JpegEmptyOutputBuffer(j_compress_ptr cinfo) {
  // Called when the whole buffer is full.
  JpegMemoryDestination* d = reinterpret_cast<JpegMemoryDestination*>(cinfo->dest);
  const size_t used = d->capacity;
  uint8_t* grown = static_cast<uint8_t*>(std::realloc(d->buffer, used * 2));
  if (!grown) JpegErrorExit(reinterpret_cast<j_common_ptr>(cinfo));
  d->buffer = grown;
  d->capacity = used * 2;
  d->pub.next_output_byte = d->buffer + used;
  d->pub.free_in_buffer = d->capacity - used;
  return TRUE;
}

void JpegTermDestination(j_compress_ptr cinfo) {
  JpegMemoryDestination* d = reinterpret_cast<JpegMemoryDestination*>(cinfo->dest);
  d->size = d->capacity - d->pub.free_in_buffer;
}

struct JpegWriteJob {
  jpeg_compress_struct cinfo;
  JpegErrorManager err;
  JpegMemoryDestination dest;
  const Surface* surface;
  int quality;
  uint8_t* row;  // malloc'ed scanline buffer (when feeding RGB)
};

void JpegWriteBody(JpegWriteJob* job) {
  jpeg_compress_struct* cinfo = &job->cinfo;
  const Surface& s = *job->surface;
  jpeg_create_compress(cinfo);
  job->dest.pub.init_destination = JpegInitDestination;
  job->dest.pub.empty_output_buffer = JpegEmptyOutputBuffer;
  job->dest.pub.term_destination = JpegTermDestination;
  cinfo->dest = &job->dest.pub;
  cinfo->image_width = JDIMENSION(s.width);
  cinfo->image_height = JDIMENSION(s.height);
  cinfo->input_components = 3;
#ifdef JCS_EXTENSIONS
  cinfo->in_color_space = JCS_EXT_BGR;  // same stream as RGB input, without a copy
  const bool direct = true;
#else
  cinfo->in_color_space = JCS_RGB;
  const bool direct = false;
#endif
  jpeg_set_defaults(cinfo);
  jpeg_set_quality(cinfo, job->quality, TRUE);
  jpeg_simple_progression(cinfo);
  jpeg_start_compress(cinfo, TRUE);
  if (!direct) {
    job->row = static_cast<uint8_t*>(std::malloc(size_t(s.width) * 3));
    if (!job->row) JpegErrorExit(reinterpret_cast<j_common_ptr>(cinfo));
  }
  while (cinfo->next_scanline < cinfo->image_height) {
    // Top of the picture first: the last buffer row.
    const uint8_t* in = s.BufferRow(s.height - 1 - int(cinfo->next_scanline));
    JSAMPROW row;
    if (direct) {
      row = const_cast<JSAMPROW>(in);  // libjpeg only reads input rows
    } else {
      for (int x = 0; x < s.width; ++x) {
        job->row[3 * x] = in[3 * x + 2];
        job->row[3 * x + 1] = in[3 * x + 1];
        job->row[3 * x + 2] = in[3 * x];
      }
      row = job->row;
    }
    jpeg_write_scanlines(cinfo, &row, 1);
  }
  jpeg_finish_compress(cinfo);
}

bool JpegWriteGuarded(JpegWriteJob* job) {
  job->cinfo.err = &InstallErrorManager(&job->err)->pub;
  if (setjmp(job->err.jump)) return false;
  JpegWriteBody(job);
  return true;
}

}  // namespace

int DecodeJpeg(const uint8_t* data, size_t size, Surface& out, bool show_messages) {
  Surface decoded;
  int result = kJpegFailed;
  if (data && size > 0) {
    // Zeroed first: jpeg_destroy must see a null memory manager if creation failed.
    JpegReadJob* job = static_cast<JpegReadJob*>(std::calloc(1, sizeof(JpegReadJob)));
    if (job) {
      job->data = data;
      job->size = size;
      job->surface = &decoded;
      result = JpegReadGuarded(job);
      jpeg_destroy_decompress(&job->cinfo);
      std::free(job->row);
      std::free(job);
    }
  }
  if (result != kJpegOk) {
    if (show_messages) ShowMessage(result == kJpegTooLarge ? kTooLargeText : kJpegReadFailText, kCaptionFailure);
    return -1;
  }
  AdoptPicture(out, decoded);
  return 0;
}

int ReadJpeg(const std::string& path, Surface& out, bool show_messages) {
  std::vector<uint8_t> bytes;
  const ReadFileStatus status = ReadWholeFile(path, bytes);
  if (status == ReadFileStatus::kCannotOpen) return -1;  // as the reader always did: no message
  if (status != ReadFileStatus::kOk) {
    if (show_messages) ShowMessage(kJpegReadFailText, kCaptionFailure);
    return -1;
  }
  const int result = DecodeJpeg(bytes.data(), bytes.size(), out, show_messages);
  if (result == 0) out.path = path;
  return result;
}

bool EncodeJpeg(const Surface& s, int quality, std::vector<uint8_t>& out) {
  out.clear();
  if (s.width <= 0 || s.height <= 0 || s.pixels.size() < size_t(s.height) * size_t(s.stride)) return false;
  JpegWriteJob* job = static_cast<JpegWriteJob*>(std::calloc(1, sizeof(JpegWriteJob)));
  if (!job) return false;
  job->surface = &s;
  job->quality = quality < 0 ? 0 : (quality > 100 ? 100 : quality);
  const bool ok = JpegWriteGuarded(job);
  jpeg_destroy_compress(&job->cinfo);
  if (ok && job->dest.buffer) out.assign(job->dest.buffer, job->dest.buffer + job->dest.size);
  std::free(job->dest.buffer);
  std::free(job->row);
  std::free(job);
  return ok && !out.empty();
}

int WriteJpeg(const std::string& path, const Surface& s, int quality) {
  std::vector<uint8_t> bytes;
  const bool encoded = EncodeJpeg(s, quality, bytes);
  return WriteEncoded(path, bytes, encoded, -1, "ファイルオープンに失敗しました。WRITE_JPEG",
                      "ファイルの書き込みに失敗しました。WRITE_JPEG", kCaptionFailure);
}

}  // namespace sylvane
