// The effect of an anti-aliased text: alpha, blur, noise, spray, rotation, outline, mirrors,
// a drop shadow, a gradient fill and a texture fill. Every change notifies the owner (the
// control redraws); Assign copies every value, those of shadow, gradient and texture included.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "base/bitmap.h"

namespace tobu {

enum class TGradualStyle {
    gsLeftToRight,
    gsRightToLeft,
    gsTopToBottom,
    gsBottomToTop,
    gsCenterToLR,
    gsCenterToTB
};
enum class TTextureMode { tmTiled, tmStretched, tmCenter, tmNormal };

class TAAEffect;

// Shared by the effect and its three sub-objects: the owner's change handler.
using TAANotify = std::function<void()>;

class TAAShadow {
public:
    bool Enabled() const { return enabled_; }
    int Blur() const { return blur_; }
    int Alpha() const { return alpha_; }
    TColor Color() const { return color_; }
    int OffsetX() const { return offsetX_; }
    int OffsetY() const { return offsetY_; }
    void SetEnabled(bool v);
    void SetBlur(int v);  // 0..100
    void SetAlpha(int v); // 0..100
    void SetColor(TColor v);
    void SetOffsetX(int v); // -128..127
    void SetOffsetY(int v);

private:
    friend class TAAEffect;
    void Changed();
    TAAEffect* owner_ = nullptr;
    bool enabled_ = false;
    int blur_ = 80;
    int alpha_ = 70;
    TColor color_ = 0x444444;
    int offsetX_ = 2;
    int offsetY_ = 2;
};

class TAAGradual {
public:
    bool Enabled() const { return enabled_; }
    TGradualStyle Style() const { return style_; }
    TColor StartColor() const { return startColor_; }
    TColor EndColor() const { return endColor_; }
    void SetEnabled(bool v);
    void SetStyle(TGradualStyle v);
    void SetStartColor(TColor v);
    void SetEndColor(TColor v);

private:
    friend class TAAEffect;
    void Changed();
    TAAEffect* owner_ = nullptr;
    bool enabled_ = false;
    TGradualStyle style_ = TGradualStyle::gsLeftToRight;
    TColor startColor_ = 0xFFFFFF;
    TColor endColor_ = 0;
};

class TAATexture {
public:
    bool Enabled() const { return enabled_; }
    TTextureMode Mode() const { return mode_; }
    const Bitmap32& Picture() const { return picture_; }
    void SetEnabled(bool v);
    void SetMode(TTextureMode v);
    void SetPicture(const Bitmap32& v);

private:
    friend class TAAEffect;
    void Changed();
    TAAEffect* owner_ = nullptr;
    bool enabled_ = false;
    TTextureMode mode_ = TTextureMode::tmTiled;
    Bitmap32 picture_;
};

// Reading and writing one settings section, one integer key at a time. Booleans travel as 0/1.
using TAAReadInt = std::function<int(const std::string& key, int def)>;
using TAAWriteInt = std::function<void(const std::string& key, int value)>;

class TAAEffect {
public:
    TAAEffect();
    TAAEffect(const TAAEffect& other);
    TAAEffect& operator=(const TAAEffect& other); // values only; keeps this object's handler
    void Assign(const TAAEffect& other) { *this = other; }

    void SetOnChange(TAANotify handler) { onChange_ = std::move(handler); }

    int Alpha() const { return alpha_; }
    int Blur() const { return blur_; }
    int Noise() const { return noise_; }
    int Spray() const { return spray_; }
    int Angle() const { return angle_; }
    bool Outline() const { return outline_; }
    bool HorzMirror() const { return horzMirror_; }
    bool VertMirror() const { return vertMirror_; }
    void SetAlpha(int v); // 0..100
    void SetBlur(int v);  // 0..100
    void SetNoise(int v); // 0..255
    void SetSpray(int v); // 0..255
    void SetAngle(int v); // -32768..32767 degrees
    void SetOutline(bool v);
    void SetHorzMirror(bool v);
    void SetVertMirror(bool v);

    TAAShadow& Shadow() { return shadow_; }
    const TAAShadow& Shadow() const { return shadow_; }
    TAAGradual& Gradual() { return gradual_; }
    const TAAGradual& Gradual() const { return gradual_; }
    TAATexture& Texture() { return texture_; }
    const TAATexture& Texture() const { return texture_; }

    // The keys "Alpha" … "TextureMode" of one section; out-of-range values are brought into
    // range, a GradualStyle above 5 or a TextureMode above 3 becomes 0. The texture picture is
    // not part of the section.
    void LoadFromSection(const TAAReadInt& read);
    void SaveToSection(const TAAWriteInt& write) const;

    void Changed();

private:
    void Bind();
    TAANotify onChange_;
    int alpha_ = 100;
    int blur_ = 0;
    int noise_ = 0;
    int spray_ = 0;
    int angle_ = 0;
    bool outline_ = false;
    bool horzMirror_ = false;
    bool vertMirror_ = false;
    TAAShadow shadow_;
    TAAGradual gradual_;
    TAATexture texture_;
};

} // namespace tobu
