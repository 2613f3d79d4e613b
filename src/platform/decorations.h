// Frame geometry of top-level windows (pure functions, tested as tables)
// and the painting of frames, captions, close boxes and menu bars.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/geometry.h"

namespace plat {

class Font;
class Menu;
struct Dc;

enum class HitTest {
    Nowhere,
    Client,
    Caption,
    CloseBox,
    MenuBar,
    Left,
    Right,
    Top,
    Bottom,
    TopLeft,
    TopRight,
    BottomLeft,
    BottomRight,
};

// Where each part lies, in window coordinates (0, 0 = outer top-left).
struct FrameGeometry {
    Rect outer;
    Rect caption;   // empty without a caption
    Rect closeBox;  // empty without a close box
    Rect menuBar;   // empty without a menu bar
    Rect client;
};

FrameGeometry frameGeometry(int outerWidth, int outerHeight, unsigned style, bool hasMenu);
// Frame thickness on each side for a style (sizing or dialog frame, thin border).
int frameThickness(unsigned style);
HitTest hitTest(const FrameGeometry& g, unsigned style, Point windowPoint);
bool isSizingEdge(HitTest h);
// The proposed outer rectangle when an edge is dragged by (dx, dy) from
// `start`, kept at least minW x minH.
Rect sizedRect(const Rect& start, HitTest edge, int dx, int dy, int minW, int minH);

// Menu bar items laid out from the left; one rectangle per item (window
// coordinates), empty for separators.
std::vector<Rect> menuBarLayout(const FrameGeometry& g, const Menu& menu, const Font& font);

// The menu text without '&' markers and the index of the underlined
// character (-1 for none). "&&" is a literal '&'. Text after '\t' is dropped
// into `accelerator`.
std::u32string menuLabel(const std::string& text, int* mnemonicIndex, std::u32string* accelerator);

struct FrameLook {
    bool active = false;
    int pressedMenuItem = -1;
    bool closePressed = false;
};

void paintFrame(Dc& dc, const FrameGeometry& g, unsigned style, const std::string& title,
                const Menu* menu, const FrameLook& look);

// Colours of the decorations.
constexpr uint32_t kFaceColor = 0xD4D0C8;
constexpr uint32_t kLightColor = 0xFFFFFF;
constexpr uint32_t kShadowColor = 0x808080;
constexpr uint32_t kDarkColor = 0x404040;
constexpr uint32_t kActiveCaption = 0x0A246A;
constexpr uint32_t kInactiveCaption = 0x808080;
constexpr uint32_t kGrayText = 0x808080;

// A raised (or sunken) 3D box edge inside r.
void drawEdge(Dc& dc, const Rect& r, bool sunken);

}  // namespace plat
