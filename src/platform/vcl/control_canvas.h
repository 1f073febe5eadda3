// TControlCanvas: the canvas of a control. It starts with the control's font and follows it
// (the control hands every change of its Font on), so text measured outside painting already
// uses the control's font. During painting its handle is the paint context.
#pragma once

#include "platform/gfx/canvas.h"

namespace vcl {

class TControl;

class TControlCanvas : public TCanvas {
 public:
  explicit TControlCanvas(TControl* AControl);
  std::string ClassName() const override { return "TControlCanvas"; }

  TControl* Control() const { return FControl; }
  // Sets TextFlags to ETO_RTLREADING when the control reads right to left, clears it otherwise.
  void UpdateTextFlags();
  // Takes the control's current font; the control calls this whenever its Font changes.
  void ControlFontChanged();

 private:
  TControl* FControl;
};

// Points a canvas at a paint context for the life of the scope and lets it go on every exit,
// exceptions included, so the canvas never keeps a context that the paint has released.
class TCanvasPaintScope {
 public:
  TCanvasPaintScope(TCanvas& Canvas, HDC DC) : FCanvas(Canvas) { FCanvas.SetHandle(DC); }
  ~TCanvasPaintScope() { FCanvas.SetHandle(nullptr); }
  TCanvasPaintScope(const TCanvasPaintScope&) = delete;
  TCanvasPaintScope& operator=(const TCanvasPaintScope&) = delete;

 private:
  TCanvas& FCanvas;
};

}  // namespace vcl
