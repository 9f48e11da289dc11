// The fade-text logic: a list of text lines shown one at a time, cross-faded from one line to
// the next by a fade timer (25 ms) while a line timer (LineDelay) moves on to the next line.
// Lines carry "<Name>" tags of font items and labels. The window side provides the timers, the
// client size, the picture behind the control and the repaint; everything else lives here.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "base/bitmap.h"
#include "faces/aa_engine.h"
#include "faces/aa_labels.h"
#include "platform/clock.h"

namespace tobu {

enum class TAlignment { taLeftJustify, taRightJustify, taCenter };
enum class TTextLayout { tlTop, tlCenter, tlBottom };
enum class TLabelEffect { leOnlyALine, leUntilNextLabel };
enum class TBackGroundMode { bmTiled, bmStretched, bmCenter, bmNormal };

// A UI timer of the window side (single-threaded, message driven).
class TUITimer {
public:
    virtual ~TUITimer() = default;
    virtual void SetInterval(unsigned ms) = 0;
    virtual unsigned Interval() const = 0;
    virtual void SetEnabled(bool on) = 0; // enabling a running timer keeps it running
    virtual bool Enabled() const = 0;
    void Restart() {
        SetEnabled(false);
        SetEnabled(true);
    }
};

class TFadeTextHost {
public:
    virtual ~TFadeTextHost() = default;
    virtual bool Updating() const = 0; // the update lock is above zero
    virtual bool IsLoaded() const = 0;
    virtual TSize ClientSize() const = 0;
    // Copies the picture that lies behind the control into target (already client-sized).
    virtual void CopyBackground(Bitmap32& target) = 0;
    virtual void Invalidate() = 0;
    virtual void PaintNow() = 0; // paint at once, not merely invalidate
};

// The text lines; every change notifies the owner.
class TFadeLines {
public:
    int Count() const { return static_cast<int>(lines_.size()); }
    const std::string& operator[](int i) const { return lines_.at(i); }
    const std::string& Get(int i) const { return lines_.at(i); }
    void Put(int i, const std::string& s);
    void Add(const std::string& s);
    void Insert(int i, const std::string& s);
    void Delete(int i);
    void Clear();
    void Assign(const std::vector<std::string>& lines);
    const std::vector<std::string>& All() const { return lines_; }
    void SetOnChange(std::function<void()> handler) { onChange_ = std::move(handler); }

private:
    void Changed() {
        if (onChange_) onChange_();
    }
    std::vector<std::string> lines_;
    std::function<void()> onChange_;
};

class TFadeTextCore;

// Lines, timing and layout of a fade text (its Text property).
class TFadeTextParam {
public:
    explicit TFadeTextParam(TFadeTextCore* owner = nullptr);
    TFadeTextParam(const TFadeTextParam&) = delete;
    TFadeTextParam& operator=(const TFadeTextParam&) = delete;
    // Copies every value; FadeDelay without clamping, then LineDelay through its setter.
    void Assign(const TFadeTextParam& other);

    unsigned FadeDelay() const { return fadeDelay_; }
    // Lowered to LineDelay − 200 when larger, then raised to 50 when smaller.
    void SetFadeDelay(unsigned ms);
    unsigned LineDelay() const { return lineDelay_; }
    // Stores max(ms, FadeDelay + 200).
    void SetLineDelay(unsigned ms);

    TFadeLines& Lines() { return lines_; }
    const TFadeLines& Lines() const { return lines_; }
    bool Transparent() const { return transparent_; }
    void SetTransparent(bool v);
    TAlignment Alignment() const { return alignment_; }
    void SetAlignment(TAlignment v);
    TTextLayout Layout() const { return layout_; }
    void SetLayout(TTextLayout v);
    TAAQuality Quality() const;
    void SetQuality(TAAQuality q);
    TAAEffect& FontEffect() { return fontEffect_; }
    const TAAEffect& FontEffect() const { return fontEffect_; }
    TLabelEffect LabelEffect() const { return labelEffect_; }
    void SetLabelEffect(TLabelEffect v);
    TColor BackColor() const;
    void SetBackColor(TColor c);
    const Bitmap32& BackGround() const { return backGround_; }
    void SetBackGround(const Bitmap32& picture);
    TBackGroundMode BackGroundMode() const { return backGroundMode_; }
    void SetBackGroundMode(TBackGroundMode v);

private:
    void Changed();
    TFadeTextCore* owner_;
    unsigned fadeDelay_ = 600;
    unsigned lineDelay_ = 3000;
    TFadeLines lines_;
    bool transparent_ = false;
    TAlignment alignment_ = TAlignment::taCenter;
    TTextLayout layout_ = TTextLayout::tlCenter;
    TAAQuality quality_ = TAAQuality::aqNormal; // used only without an owner
    TAAEffect fontEffect_;
    TLabelEffect labelEffect_ = TLabelEffect::leUntilNextLabel;
    TColor backColor_ = kClWhite; // used only without an owner
    Bitmap32 backGround_;
    TBackGroundMode backGroundMode_ = TBackGroundMode::bmCenter;
};

// Cross-fade of outgoing o and incoming n at level 0..255 into d (the smaller of the two
// sizes): every byte becomes o + floor(level × (n − o) / 256), taken from a 511-entry table.
void AACrossFade(const Bitmap32& o, const Bitmap32& n, int level, Bitmap32& d);

class TFadeTextCore {
public:
    TFadeTextCore(TFadeTextHost& host, TAAFontEx& engine, TFontLabels& fonts, TUserLabels& labels,
                  TUITimer& fadeTimer, TUITimer& lineTimer);
    TFadeTextCore(const TFadeTextCore&) = delete;
    TFadeTextCore& operator=(const TFadeTextCore&) = delete;

    TFadeTextParam& Text() { return text_; }
    TAAFontEx& Engine() { return engine_; }

    bool Active() const { return active_; }
    void SetActive(bool on);
    int RepeatCount() const { return repeatCount_; }
    void SetRepeatCount(int n) { repeatCount_ = n < 0 ? 0 : n; }
    const TAACanvasFont& Font() const { return font_; }
    void SetFont(const TAACanvasFont& font);
    TColor Color() const { return color_; }
    void SetColor(TColor c);
    // Where the Date and Time labels read "now"; null means the local system time.
    void SetClock(const Clock* clock) { clock_ = clock; }
    const std::string& AppTitle() const { return appTitle_; }
    void SetAppTitle(const std::string& title) { appTitle_ = title; }

    int LineIndex() const { return lineIndex_; }
    int PassCount() const { return passCount_; }
    int FadeLevel() const { return fadeLevel_; }
    bool IdenticalFade() const { return identicalFade_; }
    const std::string& PreviousText() const { return previousText_; }
    const std::string& CurrentText() const { return currentText_; }
    TAlignment AlignmentInForce() const { return alignment_; }

    std::function<void()> OnComplete;

    void ShowLine(int index);
    void NextLine() { ShowLine(lineIndex_ + 1); }
    void FadeTimerTick();
    void LineTimerTick() { NextLine(); }

    // Once when loading is complete (or at the first paint).
    void LoadedReset();
    // Renders the stored texts again and invalidates.
    void Redraw();
    // A change notification: redraws unless updating or not yet loaded.
    void Changed();
    void LineDelayChanged();
    // Prepares the display bitmap for a paint; false when the paint is skipped (re-entry or
    // an update in progress), in which case the display keeps its last picture.
    bool PaintCanvas();
    const Bitmap32& Display() const { return display_.bmp; }
    const Bitmap32& Outgoing() const { return outgoing_.bmp; }
    const Bitmap32& Incoming() const { return incoming_.bmp; }

    // The line with its tags applied: the font and effect it selects are left on the canvas and
    // the engine, the alignment in force is updated. Exposed for tests.
    std::string ApplyTags(const std::string& line, TAACanvas& canvas);
    std::string LabelText(TUserLabel& label);
    TDateTime Now() const;

private:
    struct Surface {
        Bitmap32 bmp;
        TAACanvas canvas;
    };
    void RenderText(const std::string& line, Surface& s);
    void StartTransition(const std::string& text);

    TFadeTextHost& host_;
    TAAFontEx& engine_;
    TFontLabels& fonts_;
    TUserLabels& labels_;
    TUITimer& fadeTimer_;
    TUITimer& lineTimer_;
    TFadeTextParam text_;
    const Clock* clock_;
    std::string appTitle_;

    bool active_ = true;
    int repeatCount_ = 0;
    TAACanvasFont font_;
    TColor color_ = kClWhite;
    int lineIndex_ = -1;
    int passCount_ = 0;
    std::string previousText_, currentText_;
    int fadeLevel_ = 0;
    double fadeAccumulator_ = 0;
    TAlignment alignment_ = TAlignment::taCenter;
    Surface display_, outgoing_, incoming_;
    // The last fade went between two identical pictures (a one-line list, or the same line
    // again): it ends where it starts, without a fade timer; should a redraw later find two
    // identical pictures under a running fade, its remaining steps are not painted.
    bool identicalFade_ = false;
    bool painting_ = false;
};

} // namespace tobu
