// SPDX-License-Identifier: GPL-3.0-or-later
// The window TELVOR as a view of the window session: it builds the controls
// from the session's layout table, hands every key, click and focus move to
// the session and shows what the session then holds. It decides nothing
// itself; it plays only the part a toolkit plays (hit-testing, focus by
// click, editing that is no key of the filter).
//
// Every control is an element with its layout name as id; its tab index is
// in data-tabindex. Twips become CSS pixels at 96 dpi (15 twips a pixel).
"use strict";

const QrbWindow = (() => {
    const TWIPS_PER_PIXEL = 15;
    const px = (twips) => Math.round(twips / TWIPS_PER_PIXEL);

    // The faces the window asks for, then the metric-compatible Liberation
    // faces (installed, or the subsets the page carries), so that captions
    // keep the widths they were fitted to where Arial and Courier New are
    // missing, as on phones.
    const FACES = {
        "Arial": ['"Arial"', '"Liberation Sans"', '"QRB Liberation Sans"', "sans-serif"],
        "Courier New": ['"Courier New"', '"Liberation Mono"', '"QRB Liberation Mono"', "monospace"],
        "MS Sans Serif": ['"MS Sans Serif"', '"Microsoft Sans Serif"', '"Arial"',
            '"Liberation Sans"', '"QRB Liberation Sans"', "sans-serif"],
    };

    function fontFamily(face) {
        return (FACES[face] || [`"${face}"`, "sans-serif"]).join(", ");
    }

    // 0x00BBGGRR as CSS.
    function colour(bgr) {
        return `rgb(${bgr & 0xff}, ${(bgr >> 8) & 0xff}, ${(bgr >> 16) & 0xff})`;
    }

    const isField = (kind) => kind === "TextField" || kind === "DisplayField";
    const isButton = (kind) => kind === "CommandButton" || kind === "OptionButton";

    // The cursor and selection of a field as the session counts them:
    // [cursor, selectionStart, selectionLength].
    function caretOf(field) {
        const start = field.selectionStart ?? 0;
        const end = field.selectionEnd ?? start;
        const cursor = field.selectionDirection === "backward" ? start : end;
        return [cursor, start, end - start];
    }

    function showCaret(field, caret) {
        if (caret[2] > 0) {
            field.setSelectionRange(caret[1], caret[1] + caret[2]);
        } else {
            field.setSelectionRange(caret[0], caret[0]);
        }
    }

    class Window {
        // `client`: the element that becomes TELVOR's client area. `hooks`:
        // print(job) for DRU's jobs, ended() once END or closing ended it.
        constructor(session, client, hooks) {
            this.session = session;
            this.client = client;
            this.hooks = hooks;
            this.layout = session.layout();
            this.elements = [];
            this.kinds = [];
            // Set while the session's state is shown: focus moves made then
            // are the session's own.
            this.applying = false;
            this.ended = false;
            this.build();
            this.listen();
        }

        // ---- Building ----------------------------------------------------

        build() {
            const w = this.layout.window;
            const client = this.client;
            client.id = w.name;
            client.classList.add("telvor");
            client.style.width = `${px(w.width)}px`;
            client.style.height = `${px(w.height)}px`;
            client.style.fontFamily = fontFamily(w.font);
            client.style.fontSize = `${w.size}pt`;
            client.style.backgroundColor = colour(w.color);
            client.replaceChildren();
            document.title = w.caption;

            // In the order of the window: a later control lies above an
            // earlier one where they overlap (the help panel over the log,
            // the band buttons over their frame).
            const labels = new Map(); // caption -> id of the label showing it
            for (const c of this.layout.controls) {
                const el = this.make(c);
                el.id = c.name;
                el.dataset.control = String(c.id);
                el.dataset.tabindex = String(c.tab);
                el.classList.add("control", c.kind);
                el.style.left = `${px(c.place[0])}px`;
                el.style.top = `${px(c.place[1])}px`;
                // A label is as wide as its caption needs in the Liberation
                // Sans widths, up to the next control.
                const width = c.kind === "Label" ? c.fittedWidth : c.place[2];
                el.style.width = `${px(width)}px`;
                el.style.height = `${px(c.place[3])}px`;
                el.style.fontFamily = fontFamily(c.font);
                el.style.fontSize = `${c.size}pt`;
                el.style.backgroundColor = colour(c.color);
                if (c.tooltip) {
                    el.title = c.tooltip;
                }
                if (c.kind === "Label") {
                    labels.set(c.caption, c.name);
                } else if (isField(c.kind) && labels.has(c.accessible)) {
                    // Named by the label beside it; the tooltip describes it.
                    el.setAttribute("aria-labelledby", labels.get(c.accessible));
                } else if (c.accessible && (c.accessible !== c.caption || c.kind === "Frame")) {
                    // A frame is not named by what it holds, nor is a
                    // band button by its caption alone.
                    el.setAttribute("aria-label", c.accessible);
                }
                const parent = c.parent >= 0 ? this.elements[c.parent] : client;
                parent.appendChild(el);
                this.elements[c.id] = el;
                this.kinds[c.id] = c.kind;
                this.showEnabled(c.id, c.enabled);
                this.showVisible(c.id, c.visible);
            }
            for (const l of this.layout.lines) {
                const line = document.createElement("div");
                line.id = l.name;
                line.className = "line";
                line.setAttribute("aria-hidden", "true");
                const left = Math.min(l.from[0], l.to[0]);
                const top = Math.min(l.from[1], l.to[1]);
                line.style.left = `${px(left)}px`;
                line.style.top = `${px(top)}px`;
                line.style.width = `${Math.max(1, px(Math.abs(l.to[0] - l.from[0])))}px`;
                line.style.height = `${Math.max(1, px(Math.abs(l.to[1] - l.from[1])))}px`;
                (l.parent >= 0 ? this.elements[l.parent] : client).appendChild(line);
            }
        }

        make(c) {
            let el;
            switch (c.kind) {
            case "Label":
                el = document.createElement("div");
                el.textContent = c.caption;
                break;
            case "CommandButton":
                el = document.createElement("button");
                el.type = "button";
                el.textContent = c.caption;
                break;
            case "OptionButton": {
                el = document.createElement("button");
                el.type = "button";
                el.setAttribute("role", "radio");
                el.setAttribute("aria-checked", "false");
                const dot = document.createElement("span");
                dot.className = "dot";
                dot.setAttribute("aria-hidden", "true");
                const caption = document.createElement("span");
                caption.className = "caption";
                caption.textContent = c.caption;
                el.append(dot, caption);
                break;
            }
            case "List":
                el = document.createElement("div");
                el.setAttribute("role", "listbox");
                el.tabIndex = 0;
                break;
            case "TextField":
            case "DisplayField":
                el = document.createElement("input");
                el.type = "text";
                el.autocomplete = "off";
                el.spellcheck = false;
                el.setAttribute("autocapitalize", "characters");
                el.setAttribute("autocorrect", "off");
                el.readOnly = c.kind === "DisplayField";
                break;
            case "Frame": {
                el = document.createElement("div");
                el.setAttribute("role", "group");
                const caption = document.createElement("span");
                caption.className = "caption";
                caption.textContent = c.caption;
                el.appendChild(caption);
                break;
            }
            default:
                el = document.createElement("div");
                break;
            }
            return el;
        }

        // ---- Events ------------------------------------------------------

        idOf(node) {
            const el = node instanceof Element ? node.closest("[data-control]") : null;
            return el && this.client.contains(el) ? Number(el.dataset.control) : -1;
        }

        listen() {
            const client = this.client;
            // A press where no control takes the focus (the window, a label,
            // the frame, a disabled control) leaves the focus where it is.
            client.addEventListener("mousedown", (e) => {
                const id = this.idOf(e.target);
                if (id < 0 || !this.takesFocus(id)) {
                    e.preventDefault();
                }
            });
            client.addEventListener("click", (e) => {
                const id = this.idOf(e.target);
                if (id < 0 || this.ended || !isButton(this.kinds[id])) {
                    return;
                }
                const el = this.elements[id];
                // A clicked button has the focus before it acts, in every
                // browser (some do not focus buttons on a click).
                if (document.activeElement !== el) {
                    el.focus({ preventScroll: true });
                }
                this.apply(this.session.click(id));
            });
            client.addEventListener("focusin", (e) => {
                const id = this.idOf(e.target);
                if (!this.applying && !this.ended && id >= 0) {
                    this.apply(this.session.focusMoved(id, false));
                }
            });
            client.addEventListener("keydown", (e) => this.keyDown(e));
            client.addEventListener("beforeinput", (e) => this.beforeInput(e));
            client.addEventListener("input", (e) => this.input(e));
            client.addEventListener("compositionend", (e) => this.compositionEnd(e));
            client.addEventListener("paste", (e) => this.paste(e));
            client.addEventListener("click", (e) => this.chooseRow(e));
        }

        takesFocus(id) {
            const el = this.elements[id];
            return el.tabIndex >= 0 && !el.disabled && el.style.visibility !== "hidden";
        }

        field(e) {
            const id = this.idOf(e.target);
            return id >= 0 && this.kinds[id] === "TextField" && !this.ended ? id : -1;
        }

        // One key that delivers a character, before the field inserts it;
        // the session inserts it itself.
        key(id, code) {
            this.apply(this.session.key(id, code, caretOf(this.elements[id])));
        }

        keyDown(e) {
            if (this.ended || e.isComposing || e.altKey || e.ctrlKey || e.metaKey) {
                return;
            }
            const id = this.idOf(e.target);
            if (id < 0) {
                return;
            }
            if (e.key === "Tab") {
                // Tab moves the focus along the session's chain.
                e.preventDefault();
                this.apply(this.session.tab(e.shiftKey));
                return;
            }
            const kind = this.kinds[id];
            if (kind === "List" && this.moveInList(this.elements[id], e.key)) {
                e.preventDefault();
                return;
            }
            if (isButton(kind) && e.key === "Enter") {
                // Enter does not press a button of this window; Space does.
                e.preventDefault();
                return;
            }
            if (kind !== "TextField") {
                return;
            }
            // Enter and Backspace as keys, also where the field has nothing
            // to delete; phone keyboards that send keyCode 229 come through
            // beforeinput instead.
            if (e.key === "Enter") {
                e.preventDefault();
                this.key(id, 13);
            } else if (e.key === "Backspace" && !e.shiftKey) {
                e.preventDefault();
                this.key(id, 8);
            }
        }

        beforeInput(e) {
            const id = this.field(e);
            if (id < 0 || e.isComposing) {
                return;
            }
            switch (e.inputType) {
            case "insertText":
                if (e.data === null || !e.cancelable) {
                    return;
                }
                e.preventDefault();
                for (let i = 0; i < e.data.length && !this.ended; ++i) {
                    this.key(id, e.data.charCodeAt(i));
                    if (e.data.charCodeAt(i) === 13) {
                        break;
                    }
                }
                break;
            case "insertLineBreak":
            case "insertParagraph":
                e.preventDefault();
                this.key(id, 13);
                break;
            case "deleteContentBackward":
                if (e.cancelable) {
                    e.preventDefault();
                    this.key(id, 8);
                }
                break;
            default:
                // Delete, cut, undo, drop, a spelling fix: the field edits
                // its text itself and the session hears of it afterwards.
                break;
            }
        }

        input(e) {
            const id = this.field(e);
            if (id < 0 || e.isComposing) {
                return;
            }
            const el = this.elements[id];
            this.apply(this.session.edited(id, el.value, caretOf(el)));
        }

        // What an input method composed (a phone keyboard's word) goes to
        // the session as the keys of its characters, over the text that was
        // replaced.
        compositionEnd(e) {
            const id = this.field(e);
            if (id < 0) {
                return;
            }
            const el = this.elements[id];
            const before = this.texts[id] ?? "";
            const after = el.value;
            let start = 0;
            while (start < before.length && start < after.length &&
                   before[start] === after[start]) {
                ++start;
            }
            let tail = 0;
            while (tail < before.length - start && tail < after.length - start &&
                   before[before.length - 1 - tail] === after[after.length - 1 - tail]) {
                ++tail;
            }
            const typed = after.slice(start, after.length - tail);
            const replaced = before.length - tail - start;
            const caret = [start + replaced, start, replaced];
            el.value = before;
            for (let i = 0; i < typed.length && !this.ended; ++i) {
                this.apply(this.session.key(id, typed.charCodeAt(i), i === 0 ? caret : caretOf(el)));
                if (typed.charCodeAt(i) === 13) {
                    break;
                }
            }
        }

        // A paste goes in at the cursor in place of the selection, as the
        // field would insert it, and reaches the session as an edit. A
        // read-only field takes none.
        paste(e) {
            const id = this.idOf(e.target);
            if (id < 0 || !isField(this.kinds[id])) {
                return;
            }
            e.preventDefault();
            if (this.field(e) < 0) {
                return;
            }
            const el = this.elements[id];
            const text = e.clipboardData ? e.clipboardData.getData("text/plain") : "";
            const [, start, length] = caretOf(el);
            const value = el.value.slice(0, start) + text + el.value.slice(start + length);
            const at = start + text.length;
            this.apply(this.session.edited(id, value, [at, at, 0]));
        }

        // A click on a line of a list, or the arrow keys in it, make that
        // line the current one, which a screen reader reads.
        chooseRow(e) {
            const row = e.target instanceof Element ? e.target.closest(".row") : null;
            if (row) {
                this.choose(row.parentElement, row);
            }
        }

        choose(list, row) {
            const before = list.querySelector('[aria-selected="true"]');
            if (before) {
                before.setAttribute("aria-selected", "false");
            }
            row.setAttribute("aria-selected", "true");
            if (!row.id) {
                row.id = `${list.id}-${Array.prototype.indexOf.call(list.children, row)}`;
            }
            list.setAttribute("aria-activedescendant", row.id);
            row.scrollIntoView({ block: "nearest" });
        }

        moveInList(list, key) {
            const rows = list.children;
            if (rows.length === 0) {
                return false;
            }
            const current = list.querySelector('[aria-selected="true"]');
            const at = current ? Array.prototype.indexOf.call(rows, current) : -1;
            const last = rows.length - 1;
            const to = { ArrowUp: Math.max(0, at - 1), ArrowDown: Math.min(last, at + 1),
                Home: 0, End: last }[key];
            if (to === undefined) {
                return false;
            }
            this.choose(list, rows[to]);
            return true;
        }

        // The window's close button.
        close() {
            if (!this.ended) {
                this.apply(this.session.close());
            }
        }

        // ---- Showing what the session holds --------------------------------

        start() {
            this.texts = [];
            this.apply(this.session.start());
        }

        apply(changes) {
            this.applying = true;
            try {
                for (const c of changes.controls) {
                    this.applyControl(c);
                }
                for (const [id, lines] of changes.lines) {
                    this.append(id, lines);
                }
                const want = changes.focus >= 0 ? this.elements[changes.focus] : null;
                if (want) {
                    // A field the session gives the focus shows the session's
                    // caret (its whole text selected when Tab took it there);
                    // one that a click focused keeps the cursor where the
                    // click put it.
                    if (document.activeElement !== want) {
                        want.focus({ preventScroll: true });
                        if (changes.focusCaret) {
                            showCaret(want, changes.focusCaret);
                        }
                    }
                } else if (this.client.contains(document.activeElement)) {
                    document.activeElement.blur();
                }
            } finally {
                this.applying = false;
            }
            if (changes.print) {
                this.hooks.print(changes.print);
            }
            if (changes.ended) {
                this.ended = true;
                this.hooks.ended();
            }
        }

        applyControl(c) {
            const el = this.elements[c.id];
            const kind = this.kinds[c.id];
            el.style.backgroundColor = colour(c.color);
            if (isField(kind)) {
                this.texts[c.id] = c.text;
                if (el.value !== c.text) {
                    el.value = c.text;
                }
                if (document.activeElement === el) {
                    showCaret(el, c.caret);
                }
            } else if (kind !== "List") {
                const caption = el.querySelector(".caption") ?? el;
                if (caption.textContent !== c.caption) {
                    caption.textContent = c.caption;
                }
            }
            if (kind === "OptionButton") {
                el.setAttribute("aria-checked", String(c.checked));
            }
            this.showEnabled(c.id, c.enabled);
            this.showVisible(c.id, c.visible);
        }

        showEnabled(id, enabled) {
            const el = this.elements[id];
            if ("disabled" in el) {
                el.disabled = !enabled;
            } else {
                el.toggleAttribute("aria-disabled", !enabled);
            }
        }

        showVisible(id, visible) {
            // Hidden, a control keeps its place: a click there reaches what
            // lies beneath it.
            this.elements[id].style.visibility = visible ? "" : "hidden";
        }

        // New lines at the end of a list; the lines before stay as they are.
        append(id, lines) {
            const list = this.elements[id];
            const rows = document.createDocumentFragment();
            for (const line of lines) {
                const row = document.createElement("div");
                row.className = "row";
                row.setAttribute("role", "option");
                row.setAttribute("aria-selected", "false");
                row.textContent = line;
                rows.appendChild(row);
            }
            list.appendChild(rows);
        }
    }

    return { Window, fontFamily, TWIPS_PER_PIXEL };
})();
