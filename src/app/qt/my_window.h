// The skinned dialog frame: a caption strip with the dialog's title, a close button, a drag
// strip and a frame picture stretched to the dialog's size, with rounded corners. The bar
// builds one TMyWindow from the dialog-frame skin and every dialog applies it through
// SkinDialog while it opens. The close button is a TBitmapButton named "FrameCloseButton";
// the drag strip is a widget named "FrameDragStrip" moved through WindowMover, so the
// program moves the window itself and snapping sees every step.
#pragma once

#include <QImage>
#include <QPoint>
#include <QString>
#include <QWidget>
#include <memory>

#include "base/bitmap.h"
#include "settings/skin_loaders.h"

namespace tobu {

// A copy of the pixels as an ARGB32 image.
QImage ToQImage(const Bitmap32& bmp);
Bitmap32 FromQImage(const QImage& img);
// The same picture with magenta pixels made fully transparent.
QImage KeyedImage(const Bitmap32& bmp, TColor key = kClFuchsia);

class TMyWindow {
public:
    TMyWindow(TColor caption_color, const Bitmap32& frame, const Bitmap32& close,
              const Bitmap32& close_hot);
    static std::unique_ptr<TMyWindow> FromSkin(const WinSkin& skin);
    // The built-in frame used while no dialog-frame skin was loaded.
    static std::unique_ptr<TMyWindow> Plain();

    // Gives the form the frame: borderless, frame picture behind everything, the caption
    // written into it, a close button at the top right (kept there when the form is resized),
    // with `drag_strip` a 28-pixel strip along the top that moves the form, and the rounded
    // window shape.
    void ApplyFrame(QWidget* form, const QString& caption, bool drag_strip) const;

    // The W × H frame picture with the caption written into it.
    QImage FramePicture(int w, int h, const QString& caption) const;

    TColor CaptionColor() const { return caption_color_; }

private:
    TColor caption_color_;
    Bitmap32 frame_, close_, close_hot_;
};

// The bar's SkinDialog: applies `frame`, or the built-in plain frame when there is none, so a
// dialog always opens with a caption, a close button and a drag strip.
void SkinDialog(const TMyWindow* frame, QWidget* form, const QString& caption,
                bool drag_strip = true);

} // namespace tobu
