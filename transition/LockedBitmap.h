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
  // do the same. Not recursive: a thread takes it once.
  void Lock() const { FLock.lock(); }
  void Unlock() const { FLock.unlock(); }

 private:
  mutable std::mutex FLock;
};

// Holds a bitmap's canvas lock for a scope. A caller whose thread holds the
// lock already, further out (a frame composed within a frame by one of its
// own handlers), says so, and nothing is taken.
class CanvasLock {
 public:
  explicit CanvasLock(const LockedBitmap& b, bool heldHere = false)
      : FBitmap(heldHere ? nullptr : &b) {
    if (FBitmap) FBitmap->Lock();
  }
  ~CanvasLock() {
    if (FBitmap) FBitmap->Unlock();
  }
  CanvasLock(const CanvasLock&) = delete;
  CanvasLock& operator=(const CanvasLock&) = delete;

 private:
  const LockedBitmap* FBitmap;  // null when the lock was held already
};

}  // namespace vantora
