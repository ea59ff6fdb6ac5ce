#pragma once
// The one owner of a zlib stream state.

#include <zlib.h>

namespace cratework {

class Inflater {
 public:
  Inflater() { ok_ = inflateInit(&stream_) == Z_OK; }
  Inflater(const Inflater&) = delete;
  Inflater& operator=(const Inflater&) = delete;
  ~Inflater() {
    if (ok_) inflateEnd(&stream_);
  }
  bool ok() const { return ok_; }
  z_stream& stream() { return stream_; }
  // Ready for the next stream, without the cost of a new state.
  bool reset() { return ok_ && inflateReset(&stream_) == Z_OK; }

 private:
  z_stream stream_{};
  bool ok_ = false;
};

class Deflater {
 public:
  // Level 6, zlib's default: the sizes of the game's tables gain little from more.
  Deflater() { ok_ = deflateInit(&stream_, 6) == Z_OK; }
  Deflater(const Deflater&) = delete;
  Deflater& operator=(const Deflater&) = delete;
  ~Deflater() {
    if (ok_) deflateEnd(&stream_);
  }
  bool ok() const { return ok_; }
  z_stream& stream() { return stream_; }
  bool reset() { return ok_ && deflateReset(&stream_) == Z_OK; }

 private:
  z_stream stream_{};
  bool ok_ = false;
};

}  // namespace cratework
