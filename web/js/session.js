// SPDX-License-Identifier: GPL-3.0-or-later
// The window session, compiled to WebAssembly and inlined into the page as
// base64: each call hands one event to it and returns what the event
// changed, as the module writes it (web/bridge.cpp).
"use strict";

const QrbSession = (() => {
    function decodeBase64(text) {
        if (typeof Uint8Array.fromBase64 === "function") {
            return Uint8Array.fromBase64(text.trim());
        }
        const binary = atob(text.trim());
        const out = new Uint8Array(binary.length);
        for (let i = 0; i < binary.length; ++i) {
            out[i] = binary.charCodeAt(i);
        }
        return out;
    }

    // Instantiates the module held (as base64) in the element `sourceId`.
    async function load(sourceId) {
        const wasi = QrbWasi.create();
        const bytes = decodeBase64(document.getElementById(sourceId).textContent);
        const { instance } = await WebAssembly.instantiate(bytes, wasi.imports);
        wasi.attach(instance);
        instance.exports._initialize();
        return new Session(instance.exports);
    }

    class Session {
        constructor(exports) {
            this.x = exports;
            this.decoder = new TextDecoder("ascii");
        }

        // The module's answer: JSON in its memory.
        reply(pointer) {
            const size = this.x.qrb_reply_size();
            const text = this.decoder.decode(new Uint8Array(this.x.memory.buffer, pointer, size));
            return JSON.parse(text);
        }

        layout() {
            return this.reply(this.x.qrb_layout());
        }
        // A new window, started as at program start.
        start() {
            return this.reply(this.x.qrb_start());
        }
        // A key that delivers a character reached `field` before it inserted
        // it; `caret` is [cursor, selectionStart, selectionLength].
        key(field, code, caret) {
            return this.reply(this.x.qrb_key(field, code, caret[0], caret[1], caret[2]));
        }
        click(control) {
            return this.reply(this.x.qrb_click(control));
        }
        // The focus moved to `control` (-1: to none).
        focusMoved(control, byTab) {
            return this.reply(this.x.qrb_focus(control, byTab ? 1 : 0));
        }
        tab(backwards) {
            return this.reply(this.x.qrb_tab(backwards ? 1 : 0));
        }
        // A field's text changed without a key (paste, Delete, cut, undo).
        edited(field, text, caret) {
            const at = this.x.qrb_text(text.length);
            const units = new Uint16Array(this.x.memory.buffer, at, text.length);
            for (let i = 0; i < text.length; ++i) {
                units[i] = text.charCodeAt(i);
            }
            return this.reply(this.x.qrb_edited(field, caret[0], caret[1], caret[2]));
        }
        close() {
            return this.reply(this.x.qrb_close());
        }
        // The shared variables (LAENGE and BREITE as the bits of the 32-bit
        // float, the counters as decimal texts).
        shared() {
            return this.reply(this.x.qrb_shared());
        }
        // QRB_TAB as 41 x 41 numbers, [x * 41 + y].
        pointTable() {
            return this.reply(this.x.qrb_point_table());
        }
    }

    return { load, decodeBase64 };
})();
