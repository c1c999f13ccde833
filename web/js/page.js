// SPDX-License-Identifier: GPL-3.0-or-later
// The page around the window: loads the session module, opens the window as
// at program start, prints DRU's jobs through the browser's print, says when
// the program has ended and offers a new start, and scales the window as a
// whole where the page is narrower than it. Once the window is open, the
// logbook's section (logbook.js) starts its worker; the two are shown one at
// a time, as tabs.
"use strict";

const QrbPage = (() => {
    let session = null;
    let win = null;
    let resolveReady;
    let failReady;
    const page = {
        // Settles once the window is open, LOC1 light green and focused.
        ready: new Promise((resolve, reject) => {
            resolveReady = resolve;
            failReady = reject;
        }),
        // Milliseconds from navigation start to that moment.
        readyAt: null,
        get window() {
            return win;
        },
        get session() {
            return session;
        },
    };

    const byId = (id) => document.getElementById(id);

    // The printout of DRU: the job's lines in its font, one printed line
    // each, laid out by the print style; then the browser's print.
    function print(job) {
        const out = byId("printout");
        out.replaceChildren();
        out.style.fontFamily = QrbWindow.fontFamily(job.face);
        out.style.fontSize = `${job.size}pt`;
        for (const line of job.lines) {
            const row = document.createElement("div");
            row.className = "print-line";
            row.textContent = line;
            out.appendChild(row);
        }
        window.print();
    }

    // END or the close button: a page cannot end the browser's tab, so it
    // says the program has ended and offers a new start.
    function ended() {
        byId("window-frame").hidden = true;
        byId("ended").hidden = false;
        byId("restart").focus({ preventScroll: true });
    }

    function open() {
        byId("ended").hidden = true;
        byId("window-frame").hidden = false;
        // A new client area each time: nothing of the window before stays.
        const client = document.createElement("div");
        byId("window-client").replaceChildren(client);
        win = new QrbWindow.Window(session, client, { print, ended });
        byId("window-caption").textContent = document.title;
        win.start();
        fit();
    }

    // The window keeps its size in CSS pixels (browser zoom enlarges it as a
    // whole); where the page is narrower, it is scaled down as a whole.
    function fit() {
        const frame = byId("window-frame");
        const holder = byId("window-holder");
        frame.style.transform = "";
        const width = frame.offsetWidth;
        const height = frame.offsetHeight;
        const room = holder.parentElement.clientWidth;
        const scale = width > 0 && room > 0 ? Math.min(1, room / width) : 1;
        frame.style.transform = scale < 1 ? `scale(${scale})` : "";
        holder.style.width = `${width * scale}px`;
        holder.style.height = `${height * scale}px`;
    }

    // The window or the logbook. Printing prints what is shown: DRU's job
    // with the window, the report with the logbook.
    const views = { window: "show-window", logbook: "show-logbook" };

    function showView(name) {
        for (const [view, tabId] of Object.entries(views)) {
            const tab = byId(tabId);
            const shown = view === name;
            tab.setAttribute("aria-selected", String(shown));
            tab.tabIndex = shown ? 0 : -1;
            byId(tab.getAttribute("aria-controls")).hidden = !shown;
        }
        document.body.classList.toggle("logbook-shown", name === "logbook");
        if (name === "window") {
            fit();
        }
    }

    for (const [view, tabId] of Object.entries(views)) {
        const tab = byId(tabId);
        tab.addEventListener("click", () => showView(view));
        // Arrow keys go from tab to tab.
        tab.addEventListener("keydown", (event) => {
            if (event.key === "ArrowLeft" || event.key === "ArrowRight") {
                const other = view === "window" ? "logbook" : "window";
                showView(other);
                byId(views[other]).focus();
                event.preventDefault();
            }
        });
    }

    async function boot() {
        try {
            session = await QrbSession.load("qrb-module");
            open();
            page.readyAt = performance.now();
            resolveReady();
        } catch (error) {
            const note = byId("load-failed");
            note.hidden = false;
            note.textContent += ` ${error}`;
            failReady(error);
            return;
        }
        // The logbook's worker after the window: the window is ready first.
        page.logbook = QrbLogbook.start(() => showView("logbook")).catch((error) => {
            const line = document.createElement("p");
            line.textContent = `Die Auswertung der Logbücher konnte nicht geladen werden: ${error}`;
            byId("messages").appendChild(line);
        });
    }

    byId("window-close").addEventListener("click", () => win && win.close());
    byId("restart").addEventListener("click", () => open());
    window.addEventListener("resize", () => fit());
    boot();
    return page;
})();
