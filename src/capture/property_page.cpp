// The camera property page: a modal dialog titled with the camera's graph
// name, one row per supported property (name, a slider over the device's
// range, the value, an Auto box where the device has automatic control).
// Changes go to the device at once.
#include <cstdio>
#include <vector>

#include "capture/capture.h"
#include "platform/controls.h"
#include "platform/keys.h"
#include "platform/system.h"
#include "platform/window.h"

namespace {

constexpr const char* kPageClass = "orv_campage";
constexpr const char* kPropertyNames[kCameraProperties] = {
    "Brightness", "Contrast", "Hue", "Saturation", "Sharpness", "Gamma", "Colour enable", "White balance",
    "Backlight comp.", "Gain", "Pan", "Tilt", "Roll", "Zoom", "Exposure", "Iris", "Focus"};
constexpr int kRowHeight = 28, kOkId = 1;

struct Row {
    int property;
    cap::PropertySet* set;
    int number;
    plat::Window slider, value, autoBox;
};

struct Page {
    std::vector<Row> rows;
    bool done = false;
};

void ShowValue(const Row& r) {
    long v = 0, f = 0;
    if (!r.set->get(r.number, &v, &f)) return;
    char buf[32];
    std::snprintf(buf, sizeof buf, "%ld", v);
    plat::setWindowText(r.value, buf);
    if (r.autoBox) plat::setCheckboxChecked(r.autoBox, (f & cap::kFlagAuto) != 0);
}

plat::LResult PageProc(plat::Window w, plat::Msg m, plat::WParam wp, plat::LParam lp) {
    auto* page = reinterpret_cast<Page*>(plat::userData(w));
    switch (m) {
        case plat::Msg::Create:
            plat::setUserData(w, intptr_t(reinterpret_cast<plat::CreateParams*>(lp)->param));
            return 0;
        case plat::Msg::Command: {
            if (!page) return 0;
            const int id = plat::commandId(wp);
            if (id == kOkId) {
                page->done = true;
                return 0;
            }
            for (Row& r : page->rows) {
                if (id == 100 + r.property) {
                    long v = 0, f = 0;
                    r.set->get(r.number, &v, &f);
                    r.set->set(r.number, plat::sliderPosition(r.slider), cap::kFlagManual);
                    ShowValue(r);
                } else if (id == 200 + r.property) {
                    long v = 0, f = 0;
                    r.set->get(r.number, &v, &f);
                    r.set->set(r.number, v, plat::checkboxChecked(r.autoBox) ? cap::kFlagAuto : cap::kFlagManual);
                    ShowValue(r);
                }
            }
            return 0;
        }
        case plat::Msg::KeyDown:
            if ((wp == plat::key::Escape || wp == plat::key::Return) && page) page->done = true;
            return 0;
        case plat::Msg::Close:
            if (page) page->done = true;
            return 0;
        default:
            return plat::defaultWindowProc(w, m, wp, lp);
    }
}

plat::Window Child(plat::Window parent, const char* cls, const std::string& text, int x, int y, int w, int h,
                   int id) {
    plat::CreateParams p;
    p.className = cls;
    p.title = text;
    p.style = plat::kVisible | plat::kChild | plat::kTabStop;
    p.x = x;
    p.y = y;
    p.width = w;
    p.height = h;
    p.parent = parent;
    p.controlId = id;
    return plat::createWindow(p);
}

}  // namespace

int ORV_ShowCameraPropertyPage(int camera) {
    if (!capture.open || camera < 0 || camera >= capture.cameraCount) return 1;
    CameraRecord& rec = capture.cameras[camera];
    if (!rec.procAmp && !rec.cameraControl) return 2;
    plat::registerClass(kPageClass, PageProc, 0, 0xD4D0C8);  // harmless when registered already

    Page page;
    for (int p = 0; p < kCameraProperties; ++p) {
        if (!rec.supported[p]) continue;
        cap::PropertySet* set = p < 10 ? rec.procAmp : rec.cameraControl;
        if (set) page.rows.push_back(Row{p, set, p < 10 ? p : p - 10, {}, {}, {}});
    }
    const int clientW = 460, clientH = int(page.rows.size()) * kRowHeight + 56;
    const unsigned style = plat::kVisible | plat::kCaption | plat::kCloseBox | plat::kDialogFrame;
    const plat::Rect outer = plat::adjustWindowRect({0, 0, clientW, clientH}, style, false);
    plat::CreateParams p;
    p.className = kPageClass;
    p.title = rec.graphName;
    p.style = style;
    p.x = 0;
    p.y = 0;
    p.width = outer.width();
    p.height = outer.height();
    p.param = &page;
    const plat::Window dlg = plat::createWindow(p);
    if (!dlg) return 2;
    int y = 10;
    for (Row& r : page.rows) {
        Child(dlg, plat::kStaticClass, kPropertyNames[r.property], 10, y + 4, 120, 20, 0);
        r.slider = Child(dlg, plat::kSliderClass, "", 135, y, 200, 24, 100 + r.property);
        r.value = Child(dlg, plat::kStaticClass, "", 342, y + 4, 50, 20, 0);
        cap::PropertyRange range;
        if (r.set->range(r.number, &range)) {
            plat::setSliderRange(r.slider, range.minimum, range.maximum);
            long v = 0, f = 0;
            if (r.set->get(r.number, &v, &f)) plat::setSliderPosition(r.slider, v);
            if (range.flags & cap::kFlagAuto)
                r.autoBox = Child(dlg, plat::kCheckboxClass, "Auto", 395, y + 2, 60, 22, 200 + r.property);
        }
        ShowValue(r);
        y += kRowHeight;
    }
    Child(dlg, plat::kButtonClass, "OK", clientW - 90, clientH - 36, 80, 26, kOkId);
    plat::setForegroundWindow(dlg);

    // Modal: the frames keep arriving; the framework's other windows wait.
    plat::runModalLoop(dlg, page.done);
    if (plat::isWindow(dlg)) {
        plat::setUserData(dlg, 0);
        plat::destroyWindow(dlg);
    }
    return 0;
}
