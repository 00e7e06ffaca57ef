#include "platform/fake/FakeStatusItem.h"

#include <algorithm>

namespace platform::fake {

FakeMenuItem::FakeMenuItem(CallRecord& record, std::string title, std::string keyEquivalent,
                           std::function<void()> action)
    : keyEquivalent(std::move(keyEquivalent)), record_(record), title_(std::move(title)), action_(std::move(action)) {}

void FakeMenuItem::setTitle(std::string_view title) {
    record_.add("menuItem.setTitle " + std::string(title));
    title_ = title;
}

void FakeMenuItem::choose() {
    record_.add("menu.choose " + title_);
    if (action_) {
        action_();
    }
}

MenuItem& FakeMenu::addItem(std::string_view title, std::string_view keyEquivalent, std::function<void()> action) {
    record_.add("menu.addItem " + std::string(title) + " key=" + std::string(keyEquivalent));
    items.push_back(
        std::make_unique<FakeMenuItem>(record_, std::string(title), std::string(keyEquivalent), std::move(action)));
    return *items.back();
}

void FakeMenu::addSeparator() {
    record_.add("menu.addSeparator");
    items.push_back(std::make_unique<FakeMenuItem>(record_, "", "", nullptr));
    items.back()->isSeparator = true;
}

MenuItem& FakeMenu::insertItem(std::size_t position, std::string_view title, std::function<void()> action) {
    record_.add("menu.insertItem " + std::to_string(position) + " " + std::string(title));
    const auto at = items.begin() + static_cast<std::ptrdiff_t>(std::min(position, items.size()));
    return **items.insert(at, std::make_unique<FakeMenuItem>(record_, std::string(title), "", std::move(action)));
}

void FakeMenu::removeItem(MenuItem& item) {
    for (auto it = items.begin(); it != items.end(); ++it) {
        if (it->get() == &item) {
            record_.add("menu.removeItem " + (*it)->title());
            removed.push_back(std::move(*it));
            items.erase(it);
            return;
        }
    }
}

FakeMenuItem* FakeMenu::itemTitled(std::string_view title) {
    for (auto& item : items) {
        if (!item->isSeparator && item->title() == title) {
            return item.get();
        }
    }
    return nullptr;
}

void FakeStatusBarButton::setImage(const std::optional<std::filesystem::path>& file) {
    record_.add("statusItem.button.setImage " + (file ? file->filename().string() : std::string("none")));
    image = file;
}

FakeStatusItem::FakeStatusItem(CallRecord& record, bool withButton)
    : record_(record), button_(withButton ? std::make_unique<FakeStatusBarButton>(record) : nullptr) {}

void FakeStatusItem::setMenu(std::unique_ptr<Menu> newMenu) {
    record_.add("statusItem.setMenu");
    menu = dynamic_cast<FakeMenu*>(newMenu.get());
    ownedMenu_ = std::move(newMenu);
}

}  // namespace platform::fake
