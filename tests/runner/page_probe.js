// SPDX-License-Identifier: GPL-3.0-or-later
// Put into every page qrb-scenario --web opens, before the page's own
// scripts: reads back what the page shows, as a scenario expects it, and
// records DRU's print jobs instead of printing them. Texts go back as their
// UTF-16 code units, so that every character survives the way.
"use strict";

(() => {
    const TWIPS_PER_PIXEL = 15;
    const units = (text) => Array.from({ length: text.length }, (_, i) => text.charCodeAt(i));
    const byId = (id) => document.getElementById(id);
    const client = () => byId("TELVOR");

    // The family asked for first, as the style names it.
    function firstFamily(families) {
        return families.split(",")[0].trim().replace(/^["']|["']$/g, "");
    }
    // Points to the hundredth, as sizes are given.
    const points = (cssPixels) => Math.round(parseFloat(cssPixels) * 75) / 100;
    const twips = (pixels) => Math.round(pixels * TWIPS_PER_PIXEL);

    // rgb(r, g, b) as 0x00BBGGRR.
    function bgr(css) {
        const m = /rgba?\((\d+),\s*(\d+),\s*(\d+)/.exec(css);
        return m ? (Number(m[1]) | (Number(m[2]) << 8) | (Number(m[3]) << 16)) >>> 0 : -1;
    }

    // What the browser would print: the printout's lines in its font.
    function printout() {
        const out = byId("printout");
        const style = getComputedStyle(out);
        return {
            face: units(firstFamily(style.fontFamily)),
            size: points(style.fontSize),
            lines: Array.from(out.querySelectorAll(".print-line"), (row) => units(row.textContent)),
        };
    }

    const printed = [];
    window.print = () => {
        printed.push(printout());
    };

    function control(name) {
        const area = client();
        if (!area) {
            return null;
        }
        if (name === "TELVOR") {
            return area;
        }
        const el = byId(name);
        return el && area.contains(el) ? el : null;
    }

    const found = (value) => ({ value });
    const missing = (why) => ({ missing: why });
    const is = (el, kind) => el.classList.contains(kind);
    const isField = (el) => is(el, "TextField") || is(el, "DisplayField");

    function ended() {
        const notice = byId("ended");
        return notice !== null && !notice.hidden;
    }

    function readWindow(area, property) {
        const style = getComputedStyle(area);
        const frame = byId("window-frame");
        switch (property) {
        case "caption":
            return found(units(document.title));
        case "tooltip":
            return found(units(area.title));
        case "color":
            return found(bgr(style.backgroundColor));
        case "enabled":
            return found(true);
        case "visible":
            return found(!frame.hidden && style.visibility === "visible");
        case "font":
            return found([units(firstFamily(style.fontFamily)), points(style.fontSize)]);
        case "geometry":
            return found([0, 0, twips(area.clientWidth), twips(area.clientHeight)]);
        case "size":
            return found([twips(area.clientWidth), twips(area.clientHeight)]);
        default:
            return missing("the window has no such property");
        }
    }

    function readLine(el, property) {
        switch (property) {
        case "line": {
            // The line is the top edge of its box, or the left edge of a
            // box taller than wide.
            const x = el.offsetLeft;
            const y = el.offsetTop;
            const across = el.offsetWidth >= el.offsetHeight;
            return found([twips(x), twips(y), twips(across ? x + el.offsetWidth : x),
                twips(across ? y : y + el.offsetHeight)]);
        }
        case "visible":
            return found(getComputedStyle(el).visibility === "visible");
        case "enabled":
            return found(true);
        case "tooltip":
            return found([]);
        default:
            return missing(`${el.id} is a drawn line`);
        }
    }

    function read(name, property, index) {
        const el = control(name);
        if (!el) {
            return missing(`the window has no control named ${name}`);
        }
        if (el === client()) {
            return readWindow(el, property);
        }
        if (is(el, "line")) {
            return readLine(el, property);
        }
        const style = getComputedStyle(el);
        const list = is(el, "List");
        switch (property) {
        case "text":
            return isField(el) ? found(units(el.value)) : missing(`${name} is no text field`);
        case "caption": {
            if (isField(el) || list) {
                return missing(`${name} has no caption`);
            }
            const caption = el.querySelector(".caption") ?? el;
            return found(units(caption.textContent));
        }
        case "tooltip":
            return found(units(el.title));
        case "color":
            return found(bgr(style.backgroundColor));
        case "enabled":
            return found(!el.disabled && !el.hasAttribute("aria-disabled"));
        case "visible":
            return found(style.visibility === "visible");
        case "checked":
            if (is(el, "OptionButton") || is(el, "CommandButton")) {
                return found(el.getAttribute("aria-checked") === "true");
            }
            return missing(`${name} is no button`);
        case "geometry":
            return found([twips(el.offsetLeft), twips(el.offsetTop), twips(el.offsetWidth),
                twips(el.offsetHeight)]);
        case "line":
            return missing(`${name} is no drawn line`);
        case "font":
            return found([units(firstFamily(style.fontFamily)), points(style.fontSize)]);
        case "taborder":
            return found(Number(el.dataset.tabindex));
        case "count":
            return list ? found(el.querySelectorAll(".row").length) : missing(`${name} is no list`);
        case "item": {
            if (!list) {
                return missing(`${name} is no list`);
            }
            const rows = el.querySelectorAll(".row");
            if (index >= rows.length) {
                return missing(`no line ${index} in ${name}, which counts ${rows.length}`);
            }
            return found(units(rows[index].textContent));
        }
        case "size":
            return missing("only the window has a size");
        default:
            return missing("unknown property");
        }
    }

    function focus() {
        const active = document.activeElement;
        const el = active ? active.closest("[data-control]") : null;
        return el && client() && client().contains(el) ? el.id : "none";
    }

    // The middle of a control (or drawn line) in the viewport, where a
    // click lands; hidden, it still has its place.
    function centre(name) {
        const el = control(name);
        if (!el) {
            return null;
        }
        const box = el.getBoundingClientRect();
        return [box.left + box.width / 2, box.top + box.height / 2];
    }

    // The focused element receives a paste carrying the text, as from the
    // clipboard.
    function paste(codes) {
        const text = String.fromCharCode(...codes);
        const target = document.activeElement ?? document.body;
        const data = new DataTransfer();
        data.setData("text/plain", text);
        target.dispatchEvent(new ClipboardEvent("paste", {
            clipboardData: data, bubbles: true, cancelable: true, composed: true,
        }));
    }

    // Whether the page came up as a program does: the window shown and the
    // page focused.
    function started() {
        const frame = byId("window-frame");
        if (!frame || frame.hidden || !client()) {
            return "a hidden window";
        }
        return document.hasFocus() ? "" : "an inactive window";
    }

    function shared() {
        const s = QrbPage.session.shared();
        for (const name of ["LOC_TEXT", "QTH_TEXT"]) {
            s[name] = units(s[name]);
        }
        return s;
    }

    globalThis.__qrbProbe = {
        read, focus, ended, centre, paste, started, shared,
        pointTable: () => QrbPage.session.pointTable(),
        printed: () => printed,
        closeButton: () => centreOf(byId("window-close")),
    };

    function centreOf(el) {
        const box = el.getBoundingClientRect();
        return [box.left + box.width / 2, box.top + box.height / 2];
    }
})();
