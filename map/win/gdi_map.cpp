// SPDX-License-Identifier: GPL-3.0-or-later
#include "map/win/gdi_map.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cwchar>
#include <string>
#include <variant>
#include <vector>

namespace qrb::map {
namespace {

// Arial has the widths of Liberation Sans, the family the scene is laid out
// for, and every Windows has it.
constexpr const wchar_t* kFace = L"Arial";

int px(double value) {
    return static_cast<int>(std::lround(value));
}

// GDI draws without transparency: a colour that lets the ground show through
// (the grid of the squares, the rim round a text) is mixed with the white
// paper, which is what most of it stands on.
COLORREF solid(Rgba c) {
    const auto over = [&c](std::uint8_t value) {
        return static_cast<BYTE>((value * c.a + 255 * (255 - c.a) + 127) / 255);
    };
    return RGB(over(c.r), over(c.g), over(c.b));
}

std::wstring wide(const std::string& utf8) {
    if (utf8.empty()) {
        return {};
    }
    const int size =
        MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring out(static_cast<std::size_t>(std::max(size, 0)), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), out.data(), size);
    return out;
}

// A pen, brush or font selected into the context while it lives; a stock
// object is not deleted afterwards.
class Selected {
public:
    Selected(HDC dc, HGDIOBJ object, bool owned = true)
        : dc_(dc), object_(object), owned_(owned && object != nullptr),
          previous_(object != nullptr ? SelectObject(dc, object) : nullptr) {}
    ~Selected() {
        if (previous_ != nullptr) {
            SelectObject(dc_, previous_);
        }
        if (owned_) {
            DeleteObject(object_);
        }
    }
    Selected(const Selected&) = delete;
    Selected& operator=(const Selected&) = delete;

private:
    HDC dc_;
    HGDIOBJ object_;
    bool owned_;
    HGDIOBJ previous_;
};

HPEN pen(Rgba colour, double width, DWORD ends) {
    LOGBRUSH brush{BS_SOLID, solid(colour), 0};
    return ExtCreatePen(PS_GEOMETRIC | PS_SOLID | ends, static_cast<DWORD>(std::max(1, px(width))),
                        &brush, 0, nullptr);
}

std::vector<POINT> points(const std::vector<Pt>& from) {
    std::vector<POINT> out;
    out.reserve(from.size());
    for (const Pt& p : from) {
        out.push_back({px(p.x), px(p.y)});
    }
    return out;
}

class ScenePainter {
public:
    explicit ScenePainter(HDC dc) : dc_(dc) {}

    void operator()(const FillArea& area) {
        if (area.fill.a == 0) {
            return;
        }
        std::vector<POINT> all;
        std::vector<INT> counts;
        for (const std::vector<Pt>& ring : area.rings) {
            if (ring.size() < 3) {
                continue;
            }
            const std::vector<POINT> one = points(ring);
            all.insert(all.end(), one.begin(), one.end());
            counts.push_back(static_cast<INT>(one.size()));
        }
        if (counts.empty()) {
            return;
        }
        SetPolyFillMode(dc_, WINDING);
        const Selected brush(dc_, CreateSolidBrush(solid(area.fill)));
        const Selected noPen(dc_, GetStockObject(NULL_PEN), false);
        PolyPolygon(dc_, all.data(), counts.data(), static_cast<int>(counts.size()));
    }

    void operator()(const Box& box) {
        const int left = px(box.x);
        const int top = px(box.y);
        const int right = px(box.x + box.w);
        const int bottom = px(box.y + box.h);
        if (box.fill.a != 0) {
            const Selected brush(dc_, CreateSolidBrush(solid(box.fill)));
            const Selected noPen(dc_, GetStockObject(NULL_PEN), false);
            // Without a pen the rectangle ends a pixel short on the right and below.
            Rectangle(dc_, left, top, right + 1, bottom + 1);
        }
        if (box.stroke.a != 0 && box.strokeWidth > 0.0) {
            const Selected outline(
                dc_, pen(box.stroke, box.strokeWidth, PS_ENDCAP_SQUARE | PS_JOIN_MITER));
            const Selected hollow(dc_, GetStockObject(NULL_BRUSH), false);
            Rectangle(dc_, left, top, right, bottom);
        }
    }

    void operator()(const Line& line) {
        if (line.stroke.a == 0 || line.points.size() < 2) {
            return;
        }
        const Selected stroke(dc_, pen(line.stroke, line.width, PS_ENDCAP_ROUND | PS_JOIN_ROUND));
        const std::vector<POINT> path = points(line.points);
        Polyline(dc_, path.data(), static_cast<int>(path.size()));
    }

    void operator()(const Dot& dot) {
        if (dot.fill.a == 0) {
            return;
        }
        const Selected brush(dc_, CreateSolidBrush(solid(dot.fill)));
        const Selected noPen(dc_, GetStockObject(NULL_PEN), false);
        Ellipse(dc_, px(dot.centre.x - dot.radius), px(dot.centre.y - dot.radius),
                px(dot.centre.x + dot.radius) + 1, px(dot.centre.y + dot.radius) + 1);
    }

    void operator()(const Label& label) {
        const std::wstring text = wide(label.text);
        if (text.empty() || label.colour.a == 0) {
            return;
        }
        LOGFONTW face{};
        face.lfHeight = -std::max(1, px(label.size)); // the em square, as label.size says
        face.lfWeight = label.bold ? FW_BOLD : FW_NORMAL;
        face.lfCharSet = DEFAULT_CHARSET;
        face.lfOutPrecision = OUT_TT_PRECIS;
        face.lfQuality = ANTIALIASED_QUALITY;
        wcsncpy(face.lfFaceName, kFace, LF_FACESIZE - 1);
        const Selected font(dc_, CreateFontIndirectW(&face));
        const UINT align = label.anchor == Anchor::Start    ? TA_LEFT
                           : label.anchor == Anchor::Middle ? TA_CENTER
                                                            : TA_RIGHT;
        SetTextAlign(dc_, align | TA_BASELINE | TA_NOUPDATECP);
        SetBkMode(dc_, TRANSPARENT);
        const int x = px(label.at.x);
        const int y = px(label.at.y);
        const auto length = static_cast<UINT>(text.size());
        if (label.halo.a != 0) {
            // The rim: the letters' outlines drawn with a broad pen first.
            BeginPath(dc_);
            ExtTextOutW(dc_, x, y, 0, nullptr, text.c_str(), length, nullptr);
            EndPath(dc_);
            const Selected rim(dc_,
                               pen(label.halo, 0.2 * label.size, PS_ENDCAP_ROUND | PS_JOIN_ROUND));
            StrokePath(dc_);
        }
        SetTextColor(dc_, solid(label.colour));
        ExtTextOutW(dc_, x, y, 0, nullptr, text.c_str(), length, nullptr);
    }

private:
    HDC dc_;
};

} // namespace

void paintScene(HDC dc, const Scene& scene) {
    const int saved = SaveDC(dc);
    ScenePainter draw(dc);
    draw(Box{0.0, 0.0, scene.width, scene.height, scene.paper, {0, 0, 0, 0}, 0.0, {}});
    const int beforeClip = SaveDC(dc);
    IntersectClipRect(dc, px(scene.frame.x), px(scene.frame.y), px(scene.frame.x + scene.frame.w),
                      px(scene.frame.y + scene.frame.h));
    for (const Primitive& p : scene.map) {
        std::visit(draw, p);
    }
    RestoreDC(dc, beforeClip);
    for (const Primitive& p : scene.overlay) {
        std::visit(draw, p);
    }
    RestoreDC(dc, saved);
}

void drawOnPage(HDC dc, const RECT& area, const MapInput& in) {
    MapInput page = in;
    page.widthPx = std::max(1, static_cast<int>(area.right - area.left));
    page.heightPx = std::max(1, static_cast<int>(area.bottom - area.top));
    const int dpi = GetDeviceCaps(dc, LOGPIXELSY);
    page.dpi = dpi > 0 ? dpi : 150.0;
    const Scene scene = drawMap(page);
    const int saved = SaveDC(dc);
    OffsetViewportOrgEx(dc, area.left, area.top, nullptr);
    paintScene(dc, scene);
    RestoreDC(dc, saved);
}

} // namespace qrb::map
