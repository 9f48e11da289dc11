// The named items of a fade-text control: fonts (a font and an effect picked by a "<Name>" tag)
// and labels (a tag that sets the alignment or inserts a value). Names are unique in their
// collection, ignoring letter case; every change notifies the owner.
#pragma once

#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "faces/aa_effect.h"
#include "faces/aa_engine.h"

namespace tobu {

class EDuplicateName : public std::runtime_error {
public:
    EDuplicateName() : std::runtime_error("Duplicate string!") {}
};

class TFontLabels;
class TUserLabels;

class TFontLabel {
public:
    const std::string& Name() const { return name_; }
    void SetName(const std::string& name); // EDuplicateName when another item has it
    const TAACanvasFont& Font() const { return font_; }
    void SetFont(const TAACanvasFont& font);
    TAAEffect& Effect() { return effect_; }
    const TAAEffect& Effect() const { return effect_; }

private:
    friend class TFontLabels;
    explicit TFontLabel(TFontLabels* owner);
    TFontLabels* owner_;
    std::string name_;
    TAACanvasFont font_;
    TAAEffect effect_;
};

enum class TLabelStyle {
    lsLeftJustify,
    lsCenter,
    lsRightJustify,
    lsRegOwner,
    lsRegOrganization,
    lsAppTitle,
    lsDate,
    lsTime,
    lsCustom
};

class TUserLabel;
using TGetTextEvent = std::function<void(TUserLabel& sender, std::string& text)>;

class TUserLabel {
public:
    const std::string& Name() const { return name_; }
    void SetName(const std::string& name); // EDuplicateName when another item has it
    TLabelStyle Style() const { return style_; }
    void SetStyle(TLabelStyle style);
    // Only a custom label has a text of its own.
    const std::string& Text() const { return text_; }
    void SetText(const std::string& text);
    TGetTextEvent OnGetText;

private:
    friend class TUserLabels;
    explicit TUserLabel(TUserLabels* owner) : owner_(owner) {}
    TUserLabels* owner_;
    std::string name_;
    TLabelStyle style_ = TLabelStyle::lsCustom;
    std::string text_;
};

template <typename Item> class TNamedCollection {
public:
    int Count() const { return static_cast<int>(items_.size()); }
    Item& operator[](int i) { return *items_.at(i); }
    const Item& operator[](int i) const { return *items_.at(i); }
    // The item of that name (ignoring case), or null.
    Item* Find(const std::string& name) const;
    bool NameTaken(const std::string& name, const Item* except) const;
    void Delete(int i);
    void Clear();
    void SetOnChange(std::function<void()> handler) { onChange_ = std::move(handler); }
    void Changed() {
        if (onChange_) onChange_();
    }

protected:
    std::vector<std::unique_ptr<Item>> items_;
    std::function<void()> onChange_;
};

class TFontLabels : public TNamedCollection<TFontLabel> {
public:
    // A new item at the end; EDuplicateName (and nothing added) when the name is taken.
    TFontLabel& Add(const std::string& name);
};

// Who the labels name as the registered owner and organisation, read once when the collection
// is created: the user's full name from the account database, else the login name; the
// organisation is empty.
struct TRegistration {
    std::string owner;
    std::string organization;
    static TRegistration FromSystem();
};

class TUserLabels : public TNamedCollection<TUserLabel> {
public:
    TUserLabels() : registration_(TRegistration::FromSystem()) {}
    explicit TUserLabels(TRegistration reg) : registration_(std::move(reg)) {}
    TUserLabel& Add(const std::string& name, TLabelStyle style = TLabelStyle::lsCustom);
    const TRegistration& Registration() const { return registration_; }

private:
    TRegistration registration_;
};

} // namespace tobu
