#include "faces/aa_labels.h"

#include <pwd.h>
#include <unistd.h>

#include "base/text.h"

namespace tobu {

template <typename Item> Item* TNamedCollection<Item>::Find(const std::string& name) const {
    for (const auto& item : items_)
        if (SameText(item->Name(), name)) return item.get();
    return nullptr;
}

template <typename Item>
bool TNamedCollection<Item>::NameTaken(const std::string& name, const Item* except) const {
    for (const auto& item : items_)
        if (item.get() != except && SameText(item->Name(), name)) return true;
    return false;
}

template <typename Item> void TNamedCollection<Item>::Delete(int i) {
    if (i < 0 || i >= Count()) return;
    items_.erase(items_.begin() + i);
    Changed();
}

template <typename Item> void TNamedCollection<Item>::Clear() {
    if (items_.empty()) return;
    items_.clear();
    Changed();
}

template class TNamedCollection<TFontLabel>;
template class TNamedCollection<TUserLabel>;

TFontLabel::TFontLabel(TFontLabels* owner) : owner_(owner) {
    effect_.SetOnChange([this] { owner_->Changed(); });
}

void TFontLabel::SetName(const std::string& name) {
    if (name == name_) return;
    if (owner_->NameTaken(name, this)) throw EDuplicateName();
    name_ = name;
    owner_->Changed();
}

void TFontLabel::SetFont(const TAACanvasFont& font) {
    if (font == font_) return;
    font_ = font;
    owner_->Changed();
}

TFontLabel& TFontLabels::Add(const std::string& name) {
    if (NameTaken(name, nullptr)) throw EDuplicateName();
    items_.push_back(std::unique_ptr<TFontLabel>(new TFontLabel(this)));
    items_.back()->name_ = name;
    Changed();
    return *items_.back();
}

void TUserLabel::SetName(const std::string& name) {
    if (name == name_) return;
    if (owner_->NameTaken(name, this)) throw EDuplicateName();
    name_ = name;
    owner_->Changed();
}

void TUserLabel::SetStyle(TLabelStyle style) {
    if (style == style_) return;
    style_ = style;
    if (style_ != TLabelStyle::lsCustom) text_.clear();
    owner_->Changed();
}

void TUserLabel::SetText(const std::string& text) {
    if (style_ != TLabelStyle::lsCustom || text == text_) return;
    text_ = text;
    owner_->Changed();
}

TUserLabel& TUserLabels::Add(const std::string& name, TLabelStyle style) {
    if (NameTaken(name, nullptr)) throw EDuplicateName();
    items_.push_back(std::unique_ptr<TUserLabel>(new TUserLabel(this)));
    items_.back()->name_ = name;
    items_.back()->style_ = style;
    Changed();
    return *items_.back();
}

TRegistration TRegistration::FromSystem() {
    TRegistration reg;
    std::vector<char> buf(16384);
    passwd pw{};
    passwd* found = nullptr;
    if (getpwuid_r(getuid(), &pw, buf.data(), buf.size(), &found) == 0 && found) {
        // The full name is the first comma-separated field of the comment.
        std::string gecos = found->pw_gecos ? found->pw_gecos : "";
        reg.owner = Trim(gecos.substr(0, gecos.find(',')));
        if (reg.owner.empty() && found->pw_name) reg.owner = found->pw_name;
    }
    if (reg.owner.empty()) {
        const char* login = getlogin();
        if (login) reg.owner = login;
    }
    return reg;
}

} // namespace tobu
