#pragma once
// The transition control's bitmaps are drawn on and read by two threads (the
// worker composes frames while the widget's thread paints), so each carries
// a canvas lock; the drawing layer's bitmaps carry none.

#include <mutex>

#include "raster/Bitmap.h"

namespace vantora {

// A bitmap with its canvas lock. It is a Bitmap wherever one is drawn on;
// copying or moving one takes the pixels and leaves each its own lock, so a
// lock held on the target stays valid.
class LockedBitmap : public Bitmap {
 public:
  using Bitmap::Bitmap;
  LockedBitmap(const LockedBitmap& other) : Bitmap(other) {}
  LockedBitmap& operator=(const LockedBitmap& other) {
    Bitmap::operator=(other);
    return *this;
  }

  // Held by whoever draws on or reads the bitmap while another thread may
  // do the same. Recursive, as a canvas lock is.
  void Lock() const { FLock.lock(); }
  void Unlock() const { FLock.unlock(); }

 private:
  mutable std::recursive_mutex FLock;
};

// Holds a bitmap's canvas lock for a scope.
class CanvasLock {
 public:
  explicit CanvasLock(const LockedBitmap& b) : FBitmap(b) { FBitmap.Lock(); }
  ~CanvasLock() { FBitmap.Unlock(); }
  CanvasLock(const CanvasLock&) = delete;
  CanvasLock& operator=(const CanvasLock&) = delete;

 private:
  const LockedBitmap& FBitmap;
};

}  // namespace vantora
