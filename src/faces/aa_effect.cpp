#include "faces/aa_effect.h"

#include <algorithm>

namespace tobu {

namespace {

int Clamp(int v, int lo, int hi) {
    return std::clamp(v, lo, hi);
}

template <typename T> bool Store(T& field, const T& value) {
    if (field == value) return false;
    field = value;
    return true;
}

} // namespace

void TAAShadow::Changed() {
    if (owner_) owner_->Changed();
}
void TAAShadow::SetEnabled(bool v) {
    if (Store(enabled_, v)) Changed();
}
void TAAShadow::SetBlur(int v) {
    if (Store(blur_, Clamp(v, 0, 100))) Changed();
}
void TAAShadow::SetAlpha(int v) {
    if (Store(alpha_, Clamp(v, 0, 100))) Changed();
}
void TAAShadow::SetColor(TColor v) {
    if (Store(color_, v)) Changed();
}
void TAAShadow::SetOffsetX(int v) {
    if (Store(offsetX_, Clamp(v, -128, 127))) Changed();
}
void TAAShadow::SetOffsetY(int v) {
    if (Store(offsetY_, Clamp(v, -128, 127))) Changed();
}

void TAAGradual::Changed() {
    if (owner_) owner_->Changed();
}
void TAAGradual::SetEnabled(bool v) {
    if (Store(enabled_, v)) Changed();
}
void TAAGradual::SetStyle(TGradualStyle v) {
    if (Store(style_, v)) Changed();
}
void TAAGradual::SetStartColor(TColor v) {
    if (Store(startColor_, v)) Changed();
}
void TAAGradual::SetEndColor(TColor v) {
    if (Store(endColor_, v)) Changed();
}

void TAATexture::Changed() {
    if (owner_) owner_->Changed();
}
void TAATexture::SetEnabled(bool v) {
    if (Store(enabled_, v)) Changed();
}
void TAATexture::SetMode(TTextureMode v) {
    if (Store(mode_, v)) Changed();
}
void TAATexture::SetPicture(const Bitmap32& v) {
    picture_ = v;
    if (picture_.pixels.size() != static_cast<size_t>(picture_.width) * picture_.height)
        picture_ = Bitmap32(); // a malformed buffer counts as no picture
    Changed();
}

TAAEffect::TAAEffect() {
    Bind();
}

TAAEffect::TAAEffect(const TAAEffect& other)
    : alpha_(other.alpha_), blur_(other.blur_), noise_(other.noise_), spray_(other.spray_),
      angle_(other.angle_), outline_(other.outline_), horzMirror_(other.horzMirror_),
      vertMirror_(other.vertMirror_), shadow_(other.shadow_), gradual_(other.gradual_),
      texture_(other.texture_) {
    Bind();
}

TAAEffect& TAAEffect::operator=(const TAAEffect& other) {
    if (this == &other) return *this;
    alpha_ = other.alpha_;
    blur_ = other.blur_;
    noise_ = other.noise_;
    spray_ = other.spray_;
    angle_ = other.angle_;
    outline_ = other.outline_;
    horzMirror_ = other.horzMirror_;
    vertMirror_ = other.vertMirror_;
    shadow_ = other.shadow_;
    gradual_ = other.gradual_;
    texture_ = other.texture_;
    Bind();
    Changed();
    return *this;
}

void TAAEffect::Bind() {
    shadow_.owner_ = this;
    gradual_.owner_ = this;
    texture_.owner_ = this;
}

void TAAEffect::Changed() {
    if (onChange_) onChange_();
}

void TAAEffect::SetAlpha(int v) {
    if (Store(alpha_, Clamp(v, 0, 100))) Changed();
}
void TAAEffect::SetBlur(int v) {
    if (Store(blur_, Clamp(v, 0, 100))) Changed();
}
void TAAEffect::SetNoise(int v) {
    if (Store(noise_, Clamp(v, 0, 255))) Changed();
}
void TAAEffect::SetSpray(int v) {
    if (Store(spray_, Clamp(v, 0, 255))) Changed();
}
void TAAEffect::SetAngle(int v) {
    if (Store(angle_, Clamp(v, -32768, 32767))) Changed();
}
void TAAEffect::SetOutline(bool v) {
    if (Store(outline_, v)) Changed();
}
void TAAEffect::SetHorzMirror(bool v) {
    if (Store(horzMirror_, v)) Changed();
}
void TAAEffect::SetVertMirror(bool v) {
    if (Store(vertMirror_, v)) Changed();
}

void TAAEffect::LoadFromSection(const TAAReadInt& read) {
    if (!read) return;
    // Collect first, notify once: a half-loaded effect is never drawn.
    TAANotify saved = std::move(onChange_);
    onChange_ = nullptr;
    SetAlpha(read("Alpha", alpha_));
    SetBlur(read("Blur", blur_));
    SetNoise(read("Noise", noise_));
    SetSpray(read("Spray", spray_));
    SetAngle(read("Angle", angle_));
    SetOutline(read("Outline", outline_ ? 1 : 0) != 0);
    SetHorzMirror(read("HorzMirror", horzMirror_ ? 1 : 0) != 0);
    SetVertMirror(read("VertMirror", vertMirror_ ? 1 : 0) != 0);
    shadow_.SetEnabled(read("Shadow", shadow_.enabled_ ? 1 : 0) != 0);
    shadow_.SetAlpha(read("ShadowAlpha", shadow_.alpha_));
    shadow_.SetBlur(read("ShadowBlur", shadow_.blur_));
    shadow_.SetColor(static_cast<TColor>(read("ShadowColor", static_cast<int>(shadow_.color_))));
    shadow_.SetOffsetX(read("ShadowOffsetX", shadow_.offsetX_));
    shadow_.SetOffsetY(read("ShadowOffsetY", shadow_.offsetY_));
    gradual_.SetEnabled(read("Gradual", gradual_.enabled_ ? 1 : 0) != 0);
    gradual_.SetStartColor(
        static_cast<TColor>(read("GradualStartColor", static_cast<int>(gradual_.startColor_))));
    gradual_.SetEndColor(
        static_cast<TColor>(read("GradualEndColor", static_cast<int>(gradual_.endColor_))));
    int style = read("GradualStyle", static_cast<int>(gradual_.style_));
    gradual_.SetStyle(static_cast<TGradualStyle>(style < 0 || style > 5 ? 0 : style));
    texture_.SetEnabled(read("Texture", texture_.enabled_ ? 1 : 0) != 0);
    int mode = read("TextureMode", static_cast<int>(texture_.mode_));
    texture_.SetMode(static_cast<TTextureMode>(mode < 0 || mode > 3 ? 0 : mode));
    onChange_ = std::move(saved);
    Changed();
}

void TAAEffect::SaveToSection(const TAAWriteInt& write) const {
    if (!write) return;
    write("Alpha", alpha_);
    write("Blur", blur_);
    write("Noise", noise_);
    write("Spray", spray_);
    write("Angle", angle_);
    write("Outline", outline_ ? 1 : 0);
    write("HorzMirror", horzMirror_ ? 1 : 0);
    write("VertMirror", vertMirror_ ? 1 : 0);
    write("Shadow", shadow_.enabled_ ? 1 : 0);
    write("ShadowAlpha", shadow_.alpha_);
    write("ShadowBlur", shadow_.blur_);
    write("ShadowColor", static_cast<int>(shadow_.color_));
    write("ShadowOffsetX", shadow_.offsetX_);
    write("ShadowOffsetY", shadow_.offsetY_);
    write("Gradual", gradual_.enabled_ ? 1 : 0);
    write("GradualStartColor", static_cast<int>(gradual_.startColor_));
    write("GradualEndColor", static_cast<int>(gradual_.endColor_));
    write("GradualStyle", static_cast<int>(gradual_.style_));
    write("Texture", texture_.enabled_ ? 1 : 0);
    write("TextureMode", static_cast<int>(texture_.mode_));
}

} // namespace tobu
