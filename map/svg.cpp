// SPDX-License-Identifier: GPL-3.0-or-later
#include "map/svg.h"

#include "map/map.h"

#include <array>
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <fstream>

namespace qrb::map {
namespace {

// Numbers with at most two decimals and a point, whatever the locale.
void put(std::string& out, double value) {
    std::array<char, 32> buf{};
    auto [end, ec] =
        std::to_chars(buf.data(), buf.data() + buf.size(), value, std::chars_format::fixed, 2);
    if (ec != std::errc{}) {
        out += '0';
        return;
    }
    char* last = end;
    while (last > buf.data() && last[-1] == '0') {
        --last;
    }
    if (last > buf.data() && last[-1] == '.') {
        --last;
    }
    out.append(buf.data(), last);
    if (last == buf.data() || std::string_view(buf.data(), last) == "-") {
        out += '0';
    }
}

void attr(std::string& out, const char* name, double value) {
    out += ' ';
    out += name;
    out += "=\"";
    put(out, value);
    out += '"';
}

void colour(std::string& out, const char* name, Rgba c) {
    if (c.a == 0) {
        out += ' ';
        out += name;
        out += "=\"none\"";
        return;
    }
    std::array<char, 8> hex{};
    std::snprintf(hex.data(), hex.size(), "#%02x%02x%02x", c.r, c.g, c.b);
    out += ' ';
    out += name;
    out += "=\"";
    out += hex.data();
    out += '"';
    if (c.a != 255) {
        attr(out, (std::string(name) + "-opacity").c_str(), c.a / 255.0);
    }
}

void points(std::string& out, const std::vector<Pt>& pts) {
    for (std::size_t i = 0; i < pts.size(); ++i) {
        if (i > 0) {
            out += ' ';
        }
        put(out, pts[i].x);
        out += ',';
        put(out, pts[i].y);
    }
}

void write(std::string& out, const FillArea& area) {
    out += "<path d=\"";
    for (const std::vector<Pt>& ring : area.rings) {
        for (std::size_t i = 0; i < ring.size(); ++i) {
            out += i == 0 ? 'M' : 'L';
            put(out, ring[i].x);
            out += ' ';
            put(out, ring[i].y);
        }
        out += 'Z';
    }
    out += '"';
    colour(out, "fill", area.fill);
    out += " fill-rule=\"nonzero\" stroke=\"none\"/>\n";
}

void write(std::string& out, const Box& box) {
    out += "<rect";
    attr(out, "x", box.x);
    attr(out, "y", box.y);
    attr(out, "width", box.w);
    attr(out, "height", box.h);
    colour(out, "fill", box.fill);
    if (box.stroke.a != 0 && box.strokeWidth > 0.0) {
        colour(out, "stroke", box.stroke);
        attr(out, "stroke-width", box.strokeWidth);
    }
    if (box.tooltip.empty()) {
        out += "/>\n";
    } else {
        out += "><title>" + xmlEscaped(box.tooltip) + "</title></rect>\n";
    }
}

void write(std::string& out, const Line& line) {
    out += "<polyline points=\"";
    points(out, line.points);
    out += "\" fill=\"none\"";
    colour(out, "stroke", line.stroke);
    attr(out, "stroke-width", line.width);
    out += " stroke-linejoin=\"round\" stroke-linecap=\"round\"/>\n";
}

void write(std::string& out, const Dot& dot) {
    out += "<circle";
    attr(out, "cx", dot.centre.x);
    attr(out, "cy", dot.centre.y);
    attr(out, "r", dot.radius);
    colour(out, "fill", dot.fill);
    out += "/>\n";
}

void write(std::string& out, const Label& label) {
    out += "<text";
    attr(out, "x", label.at.x);
    attr(out, "y", label.at.y);
    attr(out, "font-size", label.size);
    if (label.anchor == Anchor::Middle) {
        out += " text-anchor=\"middle\"";
    } else if (label.anchor == Anchor::End) {
        out += " text-anchor=\"end\"";
    }
    if (label.bold) {
        out += " font-weight=\"bold\"";
    }
    colour(out, "fill", label.colour);
    if (label.halo.a != 0) {
        colour(out, "stroke", label.halo);
        attr(out, "stroke-width", 0.2 * label.size);
        out += " stroke-linejoin=\"round\" paint-order=\"stroke\"";
    }
    out += '>' + xmlEscaped(label.text) + "</text>\n";
}

void writeAll(std::string& out, const std::vector<Primitive>& primitives) {
    for (const Primitive& p : primitives) {
        std::visit([&out](const auto& item) { write(out, item); }, p);
    }
}

// Length of the UTF-8 sequence starting at text[i], 0 when it is none.
std::size_t utf8Length(const std::string& text, std::size_t i) {
    const auto lead = static_cast<unsigned char>(text[i]);
    std::size_t n = 0;
    unsigned int min = 0;
    unsigned int cp = 0;
    if (lead < 0x80) {
        return 1;
    }
    if ((lead & 0xE0) == 0xC0) {
        n = 2, min = 0x80, cp = lead & 0x1Fu;
    } else if ((lead & 0xF0) == 0xE0) {
        n = 3, min = 0x800, cp = lead & 0x0Fu;
    } else if ((lead & 0xF8) == 0xF0) {
        n = 4, min = 0x10000, cp = lead & 0x07u;
    } else {
        return 0;
    }
    if (i + n > text.size()) {
        return 0;
    }
    for (std::size_t k = 1; k < n; ++k) {
        const auto c = static_cast<unsigned char>(text[i + k]);
        if ((c & 0xC0) != 0x80) {
            return 0;
        }
        cp = (cp << 6) | (c & 0x3Fu);
    }
    const bool surrogate = cp >= 0xD800 && cp <= 0xDFFF;
    const bool notChar = cp == 0xFFFE || cp == 0xFFFF;
    return cp < min || cp > 0x10FFFF || surrogate || notChar ? 0 : n;
}

} // namespace

std::string xmlEscaped(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        const char c = text[i];
        const std::size_t n = utf8Length(text, i);
        if (n == 0) {
            out += '?';
            ++i;
            continue;
        }
        if (n > 1) {
            out.append(text, i, n);
        } else if (c == '&') {
            out += "&amp;";
        } else if (c == '<') {
            out += "&lt;";
        } else if (c == '>') {
            out += "&gt;";
        } else if (c == '"') {
            out += "&quot;";
        } else if (c == '\'') {
            out += "&apos;";
        } else if (static_cast<unsigned char>(c) >= 0x20 || c == '\t' || c == '\n') {
            out += c;
        }
        i += n;
    }
    return out;
}

std::string toSvg(const Scene& scene) {
    std::string out;
    out.reserve(1 << 16);
    out += "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
           "<svg xmlns=\"http://www.w3.org/2000/svg\" version=\"1.1\"";
    attr(out, "width", scene.width);
    attr(out, "height", scene.height);
    out += " viewBox=\"0 0 ";
    put(out, scene.width);
    out += ' ';
    put(out, scene.height);
    out += "\" font-family=\"";
    out += kFontFamily;
    out += ", Arial, Helvetica, sans-serif\">\n<title>" + xmlEscaped(scene.description) +
           "</title>\n<defs><clipPath id=\"karte\"><rect";
    attr(out, "x", scene.frame.x);
    attr(out, "y", scene.frame.y);
    attr(out, "width", scene.frame.w);
    attr(out, "height", scene.frame.h);
    out += "/></clipPath></defs>\n<rect width=\"100%\" height=\"100%\"";
    colour(out, "fill", scene.paper);
    out += "/>\n<g clip-path=\"url(#karte)\">\n";
    writeAll(out, scene.map);
    out += "</g>\n";
    writeAll(out, scene.overlay);
    out += "</svg>\n";
    return out;
}

bool writeSvg(const MapInput& in, const std::string& path, std::string& error) {
    const std::string svg = toSvg(drawMap(in));
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    if (file) {
        file.write(svg.data(), static_cast<std::streamsize>(svg.size()));
        file.close();
    }
    if (!file) {
        error = path + ": " + std::strerror(errno);
        return false;
    }
    return true;
}

} // namespace qrb::map
