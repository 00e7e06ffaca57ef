#pragma once

#include "platform/StatusItem.h"
#include "platform/fake/CallRecord.h"

#include <memory>
#include <string>
#include <vector>

namespace platform::fake {

class FakeMenuItem : public MenuItem {
public:
    FakeMenuItem(CallRecord& record, std::string title, std::string keyEquivalent, std::function<void()> action);
    void setTitle(std::string_view title) override;
    std::string title() const { return title_; }

    // The user chooses the item.
    void choose();

    bool isSeparator = false;
    std::string keyEquivalent;

private:
    CallRecord& record_;
    std::string title_;
    std::function<void()> action_;
};

class FakeMenu : public Menu {
public:
    explicit FakeMenu(CallRecord& record) : record_(record) {}
    MenuItem& addItem(std::string_view title, std::string_view keyEquivalent, std::function<void()> action) override;
    void addSeparator() override;
    MenuItem& insertItem(std::size_t position, std::string_view title, std::function<void()> action) override;
    void removeItem(MenuItem& item) override;

    // The item with this title, or null.
    FakeMenuItem* itemTitled(std::string_view title);
    std::vector<std::unique_ptr<FakeMenuItem>> items;
    // Removed items live on: an item may be removed by its own action.
    std::vector<std::unique_ptr<FakeMenuItem>> removed;

private:
    CallRecord& record_;
};

class FakeStatusBarButton : public StatusBarButton {
public:
    explicit FakeStatusBarButton(CallRecord& record) : record_(record) {}
    void setImage(const std::optional<std::filesystem::path>& image) override;
    bool hasImage() const override { return image.has_value(); }

    std::optional<std::filesystem::path> image;

private:
    CallRecord& record_;
};

class FakeStatusItem : public StatusItem {
public:
    FakeStatusItem(CallRecord& record, bool withButton);
    StatusBarButton* button() override { return button_.get(); }
    void setMenu(std::unique_ptr<Menu> menu) override;

    FakeMenu* menu = nullptr;

private:
    CallRecord& record_;
    std::unique_ptr<FakeStatusBarButton> button_;
    std::unique_ptr<Menu> ownedMenu_;
};

}  // namespace platform::fake
