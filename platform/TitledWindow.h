#pragma once

#include <cstdint>
#include <string_view>

namespace platform {

class ContentView;

namespace WindowStyle {
inline constexpr std::uint32_t titled = 1;
inline constexpr std::uint32_t closable = 2;
inline constexpr std::uint32_t miniaturizable = 4;
inline constexpr std::uint32_t resizable = 8;
}  // namespace WindowStyle

// An ordinary application window with a title bar, holding one content view.
class TitledWindow {
public:
    virtual ~TitledWindow() = default;

    virtual void setContentView(ContentView& content) = 0;
    virtual void setTitle(std::string_view title) = 0;
    virtual void setStyleMask(std::uint32_t style) = 0;
    virtual void setContentSize(double width, double height) = 0;
    // When false, closing the window only orders it out, keeping it for later.
    virtual void setReleasedWhenClosed(bool released) = 0;
    // Centres the window on the screen now; later showings keep wherever it was left.
    virtual void center() = 0;

    virtual void makeKeyAndOrderFront() = 0;
    virtual void orderOut() = 0;
};

}  // namespace platform
