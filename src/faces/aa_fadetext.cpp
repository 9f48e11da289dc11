#include "faces/aa_fadetext.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <ctime>

#include "base/datetime.h"
#include "base/text.h"

namespace tobu {

// --- lines --------------------------------------------------------------------------------

void TFadeLines::Put(int i, const std::string& s) {
    if (i < 0 || i >= Count()) return;
    lines_[i] = s;
    Changed();
}

void TFadeLines::Add(const std::string& s) {
    lines_.push_back(s);
    Changed();
}

void TFadeLines::Insert(int i, const std::string& s) {
    i = std::clamp(i, 0, Count());
    lines_.insert(lines_.begin() + i, s);
    Changed();
}

void TFadeLines::Delete(int i) {
    if (i < 0 || i >= Count()) return;
    lines_.erase(lines_.begin() + i);
    Changed();
}

void TFadeLines::Clear() {
    lines_.clear();
    Changed();
}

void TFadeLines::Assign(const std::vector<std::string>& lines) {
    lines_ = lines;
    Changed();
}

// --- parameters ---------------------------------------------------------------------------

TFadeTextParam::TFadeTextParam(TFadeTextCore* owner) : owner_(owner) {
    lines_.Assign({"<Center>Tobu桌面时钟", "<Date> <Time>"});
    lines_.SetOnChange([this] { Changed(); });
    fontEffect_.SetOnChange([this] { Changed(); });
}

void TFadeTextParam::Changed() {
    if (owner_) owner_->Changed();
}

void TFadeTextParam::SetFadeDelay(unsigned ms) {
    long long v = ms;
    if (v > static_cast<long long>(lineDelay_) - 200) v = static_cast<long long>(lineDelay_) - 200;
    if (v < 50) v = 50;
    fadeDelay_ = static_cast<unsigned>(v);
    Changed();
}

void TFadeTextParam::SetLineDelay(unsigned ms) {
    const unsigned long long v = std::max<unsigned long long>(ms, fadeDelay_ + 200ull);
    lineDelay_ = static_cast<unsigned>(std::min<unsigned long long>(v, 0x7FFFFFFF));
    if (owner_) owner_->LineDelayChanged();
    Changed();
}

void TFadeTextParam::Assign(const TFadeTextParam& other) {
    if (this == &other) return;
    fadeDelay_ = other.fadeDelay_;
    lines_.Assign(other.lines_.All());
    transparent_ = other.transparent_;
    alignment_ = other.alignment_;
    layout_ = other.layout_;
    SetQuality(other.Quality());
    fontEffect_.Assign(other.fontEffect_);
    labelEffect_ = other.labelEffect_;
    SetBackColor(other.BackColor());
    backGround_ = other.backGround_;
    backGroundMode_ = other.backGroundMode_;
    SetLineDelay(other.lineDelay_);
}

void TFadeTextParam::SetTransparent(bool v) {
    transparent_ = v;
    Changed();
}
void TFadeTextParam::SetAlignment(TAlignment v) {
    alignment_ = v;
    Changed();
}
void TFadeTextParam::SetLayout(TTextLayout v) {
    layout_ = v;
    Changed();
}
TAAQuality TFadeTextParam::Quality() const {
    return owner_ ? owner_->Engine().Quality() : quality_;
}
void TFadeTextParam::SetQuality(TAAQuality q) {
    if (owner_)
        owner_->Engine().SetQuality(q);
    else
        quality_ = q;
    Changed();
}
void TFadeTextParam::SetLabelEffect(TLabelEffect v) {
    labelEffect_ = v;
    Changed();
}
TColor TFadeTextParam::BackColor() const {
    return owner_ ? owner_->Color() : backColor_;
}
void TFadeTextParam::SetBackColor(TColor c) {
    if (owner_)
        owner_->SetColor(c);
    else
        backColor_ = c;
}
void TFadeTextParam::SetBackGround(const Bitmap32& picture) {
    backGround_ = picture;
    if (backGround_.pixels.size() != static_cast<size_t>(backGround_.width) * backGround_.height)
        backGround_ = Bitmap32();
    Changed();
}
void TFadeTextParam::SetBackGroundMode(TBackGroundMode v) {
    backGroundMode_ = v;
    Changed();
}

// --- cross-fade ---------------------------------------------------------------------------

void AACrossFade(const Bitmap32& o, const Bitmap32& n, int level, Bitmap32& d) {
    const int w = std::min(o.width, n.width), h = std::min(o.height, n.height);
    if (d.width != w || d.height != h) d = Bitmap32(w, h);
    if (w <= 0 || h <= 0) return;
    level = std::clamp(level, 0, 255);
    if (level == 0 || level == 255) {
        const Bitmap32& src = level == 0 ? o : n;
        for (int y = 0; y < h; ++y) std::copy(src.Row(y), src.Row(y) + w, d.Row(y));
        return;
    }
    int table[511];
    for (int diff = -255; diff <= 255; ++diff) {
        const int prod = level * diff;
        table[diff + 255] = prod >= 0 ? prod / 256 : -((-prod + 255) / 256);
    }
    for (int y = 0; y < h; ++y) {
        const std::uint32_t* po = o.Row(y);
        const std::uint32_t* pn = n.Row(y);
        std::uint32_t* pd = d.Row(y);
        for (int x = 0; x < w; ++x) {
            const std::uint32_t a = po[x], b = pn[x];
            std::uint32_t out = 0;
            for (int shift = 0; shift < 32; shift += 8) {
                const int ob = (a >> shift) & 0xFF, nb = (b >> shift) & 0xFF;
                out |= static_cast<std::uint32_t>(ob + table[nb - ob + 255]) << shift;
            }
            pd[x] = out;
        }
    }
}

// --- the control's logic ------------------------------------------------------------------

TFadeTextCore::TFadeTextCore(TFadeTextHost& host, TAAFontEx& engine, TFontLabels& fonts,
                             TUserLabels& labels, TUITimer& fadeTimer, TUITimer& lineTimer)
    : host_(host), engine_(engine), fonts_(fonts), labels_(labels), fadeTimer_(fadeTimer),
      lineTimer_(lineTimer), text_(this), clock_(nullptr) {
    display_.canvas.bitmap = &display_.bmp;
    outgoing_.canvas.bitmap = &outgoing_.bmp;
    incoming_.canvas.bitmap = &incoming_.bmp;
    fonts_.SetOnChange([this] { Changed(); });
    labels_.SetOnChange([this] { Changed(); });
    fadeTimer_.SetEnabled(false);
    fadeTimer_.SetInterval(25);
    lineTimer_.SetEnabled(false);
    lineTimer_.SetInterval(text_.LineDelay());
    alignment_ = text_.Alignment();
}

void TFadeTextCore::LineDelayChanged() {
    lineTimer_.SetInterval(text_.LineDelay());
}

void TFadeTextCore::SetActive(bool on) {
    if (on == active_) return;
    active_ = on;
    if (!host_.IsLoaded()) return; // applied by the loaded-reset
    lineTimer_.SetEnabled(on);
    if (on) {
        passCount_ = 0;
        NextLine();
    }
}

void TFadeTextCore::SetFont(const TAACanvasFont& font) {
    if (font == font_) return;
    font_ = font;
    Changed();
}

void TFadeTextCore::SetColor(TColor c) {
    if (c == color_) return;
    color_ = c;
    Changed();
}

namespace {
bool SamePicture(const Bitmap32& a, const Bitmap32& b) {
    return a.width == b.width && a.height == b.height && a.pixels == b.pixels;
}
} // namespace

void TFadeTextCore::StartTransition(const std::string& text) {
    outgoing_.bmp = display_.bmp;
    RenderText(text, incoming_);
    identicalFade_ = SamePicture(outgoing_.bmp, incoming_.bmp);
    previousText_ = currentText_;
    currentText_ = text;
    if (identicalFade_) {
        // Nothing on screen would change: the fade is over at once and its timer stays still.
        fadeTimer_.SetEnabled(false);
        fadeLevel_ = 255;
        fadeAccumulator_ = 255;
    } else {
        fadeLevel_ = 0;
        fadeTimer_.Restart();
    }
    if (lineTimer_.Enabled()) lineTimer_.Restart();
}

void TFadeTextCore::ShowLine(int index) {
    const int count = text_.Lines().Count();
    if (count == 0) return;
    if (index < 0) index = 0;
    if (index >= count) {
        ++passCount_;
        if (repeatCount_ != 0 && passCount_ >= repeatCount_) {
            active_ = false;
            lineTimer_.SetEnabled(false);
            passCount_ = 0;
            lineIndex_ = -1;
            StartTransition(std::string());
            if (OnComplete) OnComplete();
            return;
        }
        index = 0;
    }
    StartTransition(text_.Lines()[index]);
    lineIndex_ = index;
}

void TFadeTextCore::FadeTimerTick() {
    if (std::abs(fadeAccumulator_ - fadeLevel_) > 1) fadeAccumulator_ = fadeLevel_;
    const unsigned delay = std::max(text_.FadeDelay(), 1u);
    fadeAccumulator_ += static_cast<double>(fadeTimer_.Interval() * 255u / delay);
    if (fadeAccumulator_ > 255) {
        fadeAccumulator_ = 255;
        fadeTimer_.SetEnabled(false);
    }
    const int level = static_cast<int>(std::nearbyint(fadeAccumulator_));
    if (level != fadeLevel_) {
        fadeLevel_ = level;
        if (!identicalFade_) host_.PaintNow();
    }
}

void TFadeTextCore::LoadedReset() {
    alignment_ = text_.Alignment();
    Redraw();
    passCount_ = 0;
    lineTimer_.SetEnabled(active_);
    if (active_) NextLine();
}

void TFadeTextCore::Redraw() {
    if (fadeLevel_ > 0) {
        RenderText(previousText_, outgoing_);
        RenderText(currentText_, incoming_);
        identicalFade_ = SamePicture(outgoing_.bmp, incoming_.bmp);
        AACrossFade(outgoing_.bmp, incoming_.bmp, fadeLevel_, display_.bmp);
    } else {
        RenderText(currentText_, display_);
    }
    host_.Invalidate();
}

void TFadeTextCore::Changed() {
    if (host_.Updating() || !host_.IsLoaded()) return;
    Redraw();
}

bool TFadeTextCore::PaintCanvas() {
    if (painting_ || host_.Updating()) return false;
    painting_ = true;
    if (text_.Transparent()) {
        if (fadeLevel_ > 0) {
            RenderText(previousText_, outgoing_);
            RenderText(currentText_, incoming_);
        } else {
            RenderText(currentText_, display_);
        }
    }
    if (fadeLevel_ > 0) AACrossFade(outgoing_.bmp, incoming_.bmp, fadeLevel_, display_.bmp);
    painting_ = false;
    return true;
}

TDateTime TFadeTextCore::Now() const {
    if (clock_) return clock_->Now();
    timespec ts{};
    clock_gettime(CLOCK_REALTIME, &ts);
    tm local{};
    localtime_r(&ts.tv_sec, &local);
    return EncodeDateTime(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour,
                          local.tm_min, std::min(local.tm_sec, 59),
                          static_cast<int>(ts.tv_nsec / 1000000));
}

std::string TFadeTextCore::LabelText(TUserLabel& label) {
    std::string value;
    switch (label.Style()) {
    case TLabelStyle::lsRegOwner:
        value = labels_.Registration().owner;
        break;
    case TLabelStyle::lsRegOrganization:
        value = labels_.Registration().organization;
        break;
    case TLabelStyle::lsAppTitle:
        value = appTitle_;
        break;
    case TLabelStyle::lsDate:
        value = FormatDateTime("ddddd", Now());
        break;
    case TLabelStyle::lsTime:
        value = FormatDateTime("tt", Now());
        break;
    case TLabelStyle::lsCustom:
        value = label.Text();
        break;
    default:
        return value;
    }
    if (label.OnGetText) label.OnGetText(label, value);
    return value;
}

std::string TFadeTextCore::ApplyTags(const std::string& line, TAACanvas& canvas) {
    std::string text = line;
    // ASCII-only upper-casing keeps byte positions, so positions found in the upper-case copy
    // are positions in the text.
    std::string upper = AsciiUpper(text);
    for (int i = 0; i < fonts_.Count(); ++i) {
        const TFontLabel& item = fonts_[i];
        const std::string tag = "<" + AsciiUpper(item.Name()) + ">";
        const size_t pos = upper.find(tag);
        if (pos == std::string::npos) continue;
        canvas.font = item.Font();
        engine_.Effect() = item.Effect();
        text.erase(pos, tag.size());
        upper.erase(pos, tag.size());
    }
    for (int i = 0; i < labels_.Count(); ++i) {
        TUserLabel& label = labels_[i];
        const std::string tag = "<" + AsciiUpper(label.Name()) + ">";
        const size_t pos = upper.find(tag);
        if (pos == std::string::npos) continue;
        text.erase(pos, tag.size());
        upper.erase(pos, tag.size());
        switch (label.Style()) {
        case TLabelStyle::lsLeftJustify:
            alignment_ = TAlignment::taLeftJustify;
            break;
        case TLabelStyle::lsCenter:
            alignment_ = TAlignment::taCenter;
            break;
        case TLabelStyle::lsRightJustify:
            alignment_ = TAlignment::taRightJustify;
            break;
        default: {
            const std::string value = LabelText(label);
            text.insert(pos, value);
            upper.insert(pos, AsciiUpper(value));
            break;
        }
        }
    }
    return text;
}

void TFadeTextCore::RenderText(const std::string& line, Surface& s) {
    engine_.SetCanvas(&s.canvas);
    if (text_.LabelEffect() == TLabelEffect::leOnlyALine) {
        s.canvas.font = font_;
        engine_.Effect() = text_.FontEffect();
        alignment_ = text_.Alignment();
    }
    std::string text = ApplyTags(line, s.canvas);

    const TSize client = host_.ClientSize();
    const int cw = std::max(client.cx, 0), ch = std::max(client.cy, 0);
    // Every character is at least a pixel wide: a line of more characters than the control has
    // pixels overflows it anyway. It is cut to what covers the width and drawn from its start,
    // so measuring and drawing a line of any length (a long announcement) costs no more than
    // the visible width.
    size_t chars = 0, cut = std::string::npos;
    for (size_t i = 0; i < text.size(); ++i) {
        if ((static_cast<unsigned char>(text[i]) & 0xC0) == 0x80) continue;
        if (chars++ == static_cast<size_t>(cw) + 1) {
            cut = i;
            break;
        }
    }
    if (cut != std::string::npos) {
        text.resize(cut);
        alignment_ = TAlignment::taLeftJustify;
    }
    const TSize size = engine_.Measure(text);
    int x = 0, y = 0;
    switch (alignment_) {
    case TAlignment::taLeftJustify:
        x = 0;
        break;
    case TAlignment::taRightJustify:
        x = cw - size.cx;
        break;
    case TAlignment::taCenter:
        x = (cw - size.cx) / 2;
        break;
    }
    switch (text_.Layout()) {
    case TTextLayout::tlTop:
        y = 0;
        break;
    case TTextLayout::tlCenter:
        y = (ch - size.cy) / 2;
        break;
    case TTextLayout::tlBottom:
        y = ch - size.cy;
        break;
    }

    if (s.bmp.width != cw || s.bmp.height != ch) s.bmp = Bitmap32(cw, ch);
    s.canvas.bitmap = &s.bmp;
    s.canvas.brushColor = color_;
    s.canvas.brushStyle = TBrushStyle::bsSolid;
    const std::uint32_t fill = ColorToPixel(color_ & 0xFFFFFF);
    if (text_.Transparent()) {
        std::fill(s.bmp.pixels.begin(), s.bmp.pixels.end(), fill);
        host_.CopyBackground(s.bmp);
    } else if (text_.BackGround().Empty()) {
        std::fill(s.bmp.pixels.begin(), s.bmp.pixels.end(), fill);
    } else {
        const auto mode = static_cast<TTextureMode>(static_cast<int>(text_.BackGroundMode()));
        s.bmp = AATextureForeground(cw, ch, text_.BackGround(), mode, color_);
    }
    s.canvas.brushStyle = TBrushStyle::bsClear;
    engine_.Draw(x, y, text);
    engine_.SetCanvas(nullptr);
}

} // namespace tobu
